#include "update/patch_rules.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cwctype>
#include <ostream>
#include <string>
#include <vector>

#include "update/name_text.h"

namespace tendril {

void PrintTo(const NameFinding& finding, std::ostream* out) {
    *out << "{problem " << static_cast<int>(finding.problem) << ", '" << ShowUtf16(finding.subject)
         << "', " << finding.length << "}";
}

namespace {

TEST(UpcaseUnitTest, MapsEachLowerCaseLetterOfTheCoveredBlocksToItsCapital) {
    struct Case {
        char16_t unit;
        char16_t upper;
    };
    const Case cases[] = {
        {u'a', u'A'},            // ASCII
        {u'z', u'Z'},            // the range's end
        {u'A', u'A'},            // a capital is its own
        {u'_', u'_'},            // no letter
        {u'\u00E0', u'\u00C0'},  // à: Latin-1
        {u'\u00FE', u'\u00DE'},  // þ
        {u'\u00F7', u'\u00F7'},  // ÷ sits among the letters and is none
        {u'\u00DF', u'\u00DF'},  // ß has no one-unit capital
        {u'\u00FF', u'\u0178'},  // ÿ: its capital is in Latin Extended-A
        {u'\u00B5', u'\u039C'},  // micro sign: Greek capital mu
        {u'\u0101', u'\u0100'},  // ā: Latin Extended-A
        {u'\u0131', u'I'},       // dotless i
        {u'\u0130', u'\u0130'},  // İ stays
        {u'\u013A', u'\u0139'},  // ĺ: the pairs change parity at U+0139
        {u'\u0149', u'\u0149'},  // ŉ has no capital
        {u'\u014B', u'\u014A'},  // ŋ: parity changes back at U+014A
        {u'\u017E', u'\u017D'},  // ž
        {u'\u017F', u'S'},       // long s
        {u'\u0219', u'\u0218'},  // ș: the Latin Extended-B letters covered
        {u'\u01B0', u'\u01AF'},  // ư
        {u'\u03B1', u'\u0391'},  // α: Greek
        {u'\u03C2', u'\u03A3'},  // final sigma
        {u'\u03C3', u'\u03A3'},  // σ
        {u'\u03AC', u'\u0386'},  // ά
        {u'\u03CE', u'\u038F'},  // ώ
        {u'\u0390', u'\u0390'},  // ΐ has no one-unit capital
        {u'\u03D0', u'\u0392'},  // beta symbol
        {u'\u03F2', u'\u03F9'},  // lunate sigma
        {u'\u0430', u'\u0410'},  // а: Cyrillic
        {u'\u044F', u'\u042F'},  // я
        {u'\u0451', u'\u0401'},  // ё
        {u'\u0491', u'\u0490'},  // ґ
        {u'\u04CF', u'\u04C0'},  // palochka
        {u'\u04C2', u'\u04C1'},  // ӂ: odd capitals from U+04C1
        {u'\u0527', u'\u0526'},  // Cyrillic Supplement
        {u'\u0561', u'\u0531'},  // Armenian
        {u'\u1EA1', u'\u1EA0'},  // ạ: Latin Extended Additional
        {u'\u2170', u'\u2160'},  // small Roman numeral one
        {u'\u24D0', u'\u24B6'},  // circled a
        {u'\uFF41', u'\uFF21'},  // fullwidth a
        {u'\u10D0', u'\u10D0'},  // Georgian: not covered
        {u'\u1F00', u'\u1F00'},  // Greek Extended: not covered
        {0xD801, 0xD801},        // a surrogate is never mapped
        {0xDC28, 0xDC28},        // nor its low half
    };
    for (const auto& c : cases) {
        EXPECT_EQ(static_cast<unsigned>(UpcaseUnit(c.unit)), static_cast<unsigned>(c.upper))
            << std::hex << "U+" << static_cast<unsigned>(c.unit);
    }
}

// Unicode's simple mapping as glibc's C.UTF-8 locale has it, over every block and range the
// table says it covers.
TEST(UpcaseUnitTest, AgreesWithUnicodeOverTheCoveredBlocks) {
    struct Block {
        char16_t first;
        char16_t last;
    };
    const Block blocks[] = {{0x0000, 0x017F}, {0x01A0, 0x01A1}, {0x01AF, 0x01B0}, {0x01CD, 0x01DC},
                            {0x01DE, 0x01EF}, {0x01F8, 0x021F}, {0x0222, 0x0233}, {0x0370, 0x058F},
                            {0x1E00, 0x1EFF}, {0x2150, 0x218F}, {0x2460, 0x24FF}, {0xFF00, 0xFFEF}};
    const std::string previous = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    for (const auto& block : blocks) {
        for (unsigned unit = block.first; unit <= block.last; ++unit) {
            EXPECT_EQ(static_cast<unsigned>(UpcaseUnit(static_cast<char16_t>(unit))),
                      static_cast<unsigned>(std::towupper(static_cast<wint_t>(unit))))
                << std::hex << "U+" << unit;
        }
    }
    std::setlocale(LC_CTYPE, previous.c_str());
}

TEST(NameKeyTest, NamesAreOneWhenEachUnitUpperCasesAlike) {
    struct Case {
        std::u16string_view a;
        std::u16string_view b;
        bool same;
    };
    const Case cases[] = {
        {u"README.txt", u"Readme.txt", true},
        {u"\u00C9mile.txt", u"\u00E9mile.txt", true},  // Émile, émile
        {u"\u03A3.txt", u"\u03C2.txt", true},          // Σ, ς
        {u"\u0416\u0443\u043A", u"\u0436\u0423\u041A", true},
        {u"f\u0131le", u"FILE", true},          // dotless i
        {u"Stra\u00DFe", u"STRASSE", false},    // no full case mapping
        {u"\u00E9", u"e\u0301", false},         // no normalisation
        {u"\uFB01", u"FI", false},              // nor ligature expansion
        {u"a.txt", u"a.txt ", false},           // the key keeps what path parsing drops
        {u"\U00010428", u"\U00010400", false},  // Deseret: pairs are not mapped
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NameKey(c.a) == NameKey(c.b), c.same)
            << ShowUtf16(c.a) << " / " << ShowUtf16(c.b);
    }
}

TEST(CheckNameTest, ReportsEachRuleANameBreaks) {
    using P = NameProblem;
    struct Case {
        std::u16string name;
        std::vector<NameFinding> findings;
    };
    const std::u16string long_name(256, u'n');
    const Case cases[] = {
        {u"setup.exe", {}},
        {u"a b.c.d", {}},
        {u"CON", {{P::kReservedDeviceName, u"CON"}}},
        {u"con", {{P::kReservedDeviceName, u"CON"}}},
        {u"Prn.txt", {{P::kReservedDeviceName, u"PRN"}}},
        {u"aux.txt", {{P::kReservedDeviceName, u"AUX"}}},
        {u"nul.tar.gz", {{P::kReservedDeviceName, u"NUL"}}},
        {u"COM1", {{P::kReservedDeviceName, u"COM1"}}},
        {u"com9.log", {{P::kReservedDeviceName, u"COM9"}}},
        {u"LpT5", {{P::kReservedDeviceName, u"LPT5"}}},
        {u"COM\u00B9", {{P::kReservedDeviceName, u"COM\u00B9"}}},
        {u"com\u00B2.txt", {{P::kReservedDeviceName, u"COM\u00B2"}}},
        {u"COM\u00B3", {{P::kReservedDeviceName, u"COM\u00B3"}}},
        {u"LPT\u00B9", {{P::kReservedDeviceName, u"LPT\u00B9"}}},
        {u"lpt\u00B2.dll", {{P::kReservedDeviceName, u"LPT\u00B2"}}},
        {u"LPT\u00B3", {{P::kReservedDeviceName, u"LPT\u00B3"}}},
        {u"com1 .txt", {{P::kReservedDeviceName, u"COM1"}}},
        {u"aux.", {{P::kReservedDeviceName, u"AUX"}, {P::kTrailingPeriod, u""}}},
        {u"NUL ", {{P::kReservedDeviceName, u"NUL"}, {P::kTrailingSpace, u""}}},
        {u"COM0", {}},
        {u"LPT0.txt", {}},
        {u"COM10", {}},
        {u"COM\u2074", {}},  // superscript four
        {u"CONSOLE", {}},
        {u"xcon", {}},
        {u"my.con", {}},
        {u" con", {}},
        {u".aux", {}},
        {u"q?.txt", {{P::kForbiddenCharacter, u"?"}}},
        {u"a<b>c", {{P::kForbiddenCharacter, u"<"}, {P::kForbiddenCharacter, u">"}}},
        {u"a:b", {{P::kForbiddenCharacter, u":"}}},
        {u"\"*|\"*",
         {{P::kForbiddenCharacter, u"\""},
          {P::kForbiddenCharacter, u"*"},
          {P::kForbiddenCharacter, u"|"}}},
        {u"a\\b", {{P::kForbiddenCharacter, u"\\"}}},
        {u"a/b", {{P::kForbiddenCharacter, u"/"}}},
        {std::u16string(u"a\0b", 3), {{P::kControlCharacter, std::u16string(1, u'\0')}}},
        {u"tab\there\x1F", {{P::kControlCharacter, u"\t"}, {P::kControlCharacter, u"\x1F"}}},
        {u"del\x7F", {}},
        {u"trail.", {{P::kTrailingPeriod, u""}}},
        {u"...", {{P::kTrailingPeriod, u""}}},
        {u"trail ", {{P::kTrailingSpace, u""}}},
        {u" lead", {}},
        {std::u16string(255, u'n'), {}},
        {long_name, {{P::kTooLong, u"", 256}}},
        // A character beyond the BMP counts as the two units Windows stores.
        {std::u16string(127, u'n') + u"\U0001F600", {}},
        {std::u16string(254, u'n') + u"\U0001F600", {{P::kTooLong, u"", 256}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CheckName(c.name), c.findings) << ShowUtf16(c.name);
    }
}

TEST(TargetPathTest, CountsTheJoinedPathAgainstMaxPath) {
    struct Case {
        std::u16string_view root;
        std::u16string_view relative;
        std::size_t length;
    };
    const Case cases[] = {
        {u"C:\\App", u"a.txt", 12},
        {u"C:\\App\\", u"a.txt", 12},
        {u"C:/App/", u"sub\\a.txt", 16},
        {u"C:\\", u"\u0416\U0001F600", 6},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TargetPathLength(c.root, c.relative), c.length) << ShowUtf16(c.relative);
    }
    EXPECT_FALSE(ReachesMaxPath(259));
    EXPECT_TRUE(ReachesMaxPath(260));
}

TEST(SamePathGroupsTest, GroupsThePathsWindowsTakesForOne) {
    const std::vector<std::u16string> paths = {
        u"README.txt", u"bin",         u"Readme.txt", u"Bin",       u"bin\\a.dll",
        u"Bin\\A.DLL", u"bin\\b.dll",  u"readme.TXT", u"\u00C9\\x", u"\u00E9\\x",
        u"\u00E9",     u"Stra\u00DFe", u"STRASSE",
    };
    const std::vector<std::vector<std::size_t>> expected = {{0, 2, 7}, {1, 3}, {4, 5}, {8, 9}};
    EXPECT_EQ(SamePathGroups(paths), expected);
}

TEST(InstalledListingTest, FindsAFileWhereAFolderIsInstalledAndTheOtherWayRound) {
    const std::string listing =
        "\xEF\xBB\xBF"
        "ulmo.dll\r\n"
        "data/\r\n"
        "\r\n"
        "lib\\plugins\\one.dll\n"
        "Docs/Manual.PDF\n"
        "/trailing/";
    InstalledListing installed;
    std::string error;
    ASSERT_TRUE(installed.Parse(listing, error)) << error;
    struct Case {
        std::u16string_view staged;
        bool folder;
        InstalledConflict conflict;
    };
    const Case cases[] = {
        {u"ulmo.dll", false, InstalledConflict::kNone},
        {u"ULMO.DLL", true, InstalledConflict::kFolderWhereFile},
        {u"data", false, InstalledConflict::kFileWhereFolder},
        {u"data", true, InstalledConflict::kNone},
        {u"lib", false, InstalledConflict::kFileWhereFolder},  // a file's folder is a folder
        {u"lib\\plugins", false, InstalledConflict::kFileWhereFolder},
        {u"LIB\\PLUGINS\\one.dll", true, InstalledConflict::kFolderWhereFile},
        {u"docs\\manual.pdf", true, InstalledConflict::kFolderWhereFile},
        {u"trailing", false, InstalledConflict::kFileWhereFolder},
        {u"new.dll", false, InstalledConflict::kNone},
        {u"new", true, InstalledConflict::kNone},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindInstalledConflict(installed, c.staged, c.folder), c.conflict)
            << ShowUtf16(c.staged) << (c.folder ? " (folder)" : " (file)");
    }

    InstalledListing broken;
    EXPECT_FALSE(broken.Parse("fine.txt\nbad\xFF.txt\n", error));
    EXPECT_EQ(error, "line 2 is not valid UTF-8");
}

TEST(NameTextTest, DecodesUtf8AndMarksEveryByteThatStartsNoValidSequence) {
    struct Case {
        std::string_view bytes;
        std::u16string text;
        bool valid;
    };
    const Case cases[] = {
        {"plain.txt", u"plain.txt", true},
        {"\xC3\xA9", u"\u00E9", true},
        {"\xE2\x82\xAC", u"\u20AC", true},
        {"\xF0\x9F\x98\x80", u"\U0001F600", true},
        {"a\xFF"
         "b",
         u"a\uFFFDb", false},
        {"\xC3", u"\uFFFD", false},                                // cut short
        {"\xC0\xAF", u"\uFFFD\uFFFD", false},                      // overlong '/'
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD", false},            // a surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD", false},  // above U+10FFFF
        {"\xE2\x82"
         "x",
         u"\uFFFD\uFFFDx", false},
    };
    for (const auto& c : cases) {
        std::u16string text;
        EXPECT_EQ(DecodeUtf8(c.bytes, text), c.valid) << ShowHostBytes(c.bytes);
        EXPECT_EQ(text, c.text) << ShowHostBytes(c.bytes);
    }
}

TEST(NameTextTest, ShowsNamesOnOneLineWithEscapesForWhatIsNotPrintableText) {
    struct HostCase {
        std::string_view bytes;
        std::string_view shown;
    };
    const HostCase host_cases[] = {
        {"caf\xC3\xA9", "caf\xC3\xA9"},      {"bad\xFF.txt", "bad\\xFF.txt"},
        {"two\nlines", "two\\x0Alines"},     {"\x7F", "\\x7F"},
        {"\xED\xA0\x80", "\\xED\\xA0\\x80"},
    };
    for (const auto& c : host_cases) {
        EXPECT_EQ(ShowHostBytes(c.bytes), c.shown);
    }
    struct WideCase {
        std::u16string_view text;
        std::string_view shown;
    };
    const WideCase wide_cases[] = {
        {u"caf\u00E9", "caf\xC3\xA9"},  {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {u"lone\xD800", "lone\\uD800"}, {u"\xDC00x", "\\uDC00x"},
        {u"cr\r", "cr\\x0D"},
    };
    for (const auto& c : wide_cases) {
        EXPECT_EQ(ShowUtf16(c.text), c.shown);
    }
}

}  // namespace
}  // namespace tendril
