#include "regscript/line_match.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>
#include <vector>

namespace tendril {
namespace {

// The line shapes as ECMAScript regular expressions; the matcher must agree with them.
// Test tables: a failure to build them would end the test program before main, as it should.
const std::wregex kKeyPattern(LR"re(^\[([\w\-_ .{}\\]+)\]$)re");   // NOLINT(cert-err58-cpp)
const std::wregex kValuePattern(LR"re(^"([\w\-_ .]+)"=(.+)$)re");  // NOLINT(cert-err58-cpp)

using Pieces = std::vector<std::wstring>;

std::wstring Join(std::mt19937& random, const Pieces& pieces, std::size_t max_count) {
    std::wstring text;
    for (std::size_t count = random() % (max_count + 1); count > 0; --count) {
        text += pieces[random() % pieces.size()];
    }
    return text;
}

// Key lines, value lines and free text, a third of them with one character inserted,
// replaced or removed, so that near misses of every kind come up often.
std::wstring RandomLine(std::mt19937& random) {
    static const Pieces kKeyText = {
        L"HKEY_LOCAL_MACHINE", L"\\", L"a", L"Z9", L"_", L"-", L" ", L".", L"{", L"}"};
    static const Pieces kNameText = {L"a", L"Z9", L"_", L"-", L" ", L"."};
    static const Pieces kDataText = {L"\"", L"=", L"dword:1f", L"x", L"\t", std::wstring(1, L'\0'),
                                     L"[",  L"]", L"\\",       L" "};
    static const std::wstring kAnyChar = std::wstring(L"[]\"=\\{}-_ .aZ9(@;\r\t") + L'\0';
    std::wstring line;
    switch (random() % 3) {
        case 0:
            line = L"[" + Join(random, kKeyText, 4) + L"]";
            break;
        case 1:
            line = L"\"" + Join(random, kNameText, 4) + L"\"=" + Join(random, kDataText, 4);
            break;
        default:
            line = Join(random, kDataText, 6);
            break;
    }
    const wchar_t c = kAnyChar[random() % kAnyChar.size()];
    const std::size_t pos = line.empty() ? 0 : random() % line.size();
    switch (random() % 6) {
        case 0:
            line.insert(pos, 1, c);
            break;
        case 1:
            if (!line.empty()) {
                line[pos] = c;
            }
            break;
        case 2:
            if (!line.empty()) {
                line.erase(pos, 1);
            }
            break;
        default:
            break;
    }
    return line;
}

TEST(LineMatchTest, AgreesWithTheRegularExpressions) {
    std::mt19937 random(20240611);
    int key_lines = 0;
    int value_lines = 0;
    for (int i = 0; i < 5000; ++i) {
        const std::wstring line = RandomLine(random);
        std::wsmatch expected;

        const auto key = MatchKeyLine(line);
        ASSERT_EQ(key.has_value(), std::regex_match(line, expected, kKeyPattern)) << i;
        if (key) {
            EXPECT_EQ(std::wstring(*key), expected.str(1)) << i;
            ++key_lines;
        }

        const auto value = MatchValueLine(line);
        ASSERT_EQ(value.has_value(), std::regex_match(line, expected, kValuePattern)) << i;
        if (value) {
            EXPECT_EQ(std::wstring(value->name), expected.str(1)) << i;
            EXPECT_EQ(std::wstring(value->data), expected.str(2)) << i;
            ++value_lines;
        }

        // The reader matches the same characters as script bytes.
        const std::string bytes(line.begin(), line.end());
        const auto byte_key = MatchKeyLine(std::string_view(bytes));
        ASSERT_EQ(byte_key.has_value(), key.has_value()) << i;
        if (key) {
            EXPECT_EQ(*byte_key, std::string(key->begin(), key->end())) << i;
        }
        const auto byte_value = MatchValueLine(std::string_view(bytes));
        ASSERT_EQ(byte_value.has_value(), value.has_value()) << i;
        if (value) {
            EXPECT_EQ(byte_value->name, std::string(value->name.begin(), value->name.end())) << i;
            EXPECT_EQ(byte_value->data, std::string(value->data.begin(), value->data.end())) << i;
        }
    }
    // Both shapes must have been met often enough for the agreement to mean something.
    EXPECT_GT(key_lines, 500);
    EXPECT_GT(value_lines, 500);
}

TEST(LineMatchTest, WordCharactersAreAsciiAndLatin1LettersAndDigits) {
    struct Case {
        wchar_t c;
        bool word;
    };
    const Case cases[] = {
        {L'a', true},  {L'z', true},  {L'A', true},  {L'Z', true},   {L'0', true},   {L'9', true},
        {L'_', true},  {L'-', false}, {L' ', false}, {L'@', false},  {L'[', false},  {L'`', false},
        {L'{', false}, {L'/', false}, {L':', false}, {L'\0', false}, {0x7F, false},  {0x80, false},
        {0xA0, false}, {0xA9, false}, {0xAA, true},  {0xB2, false},  {0xB5, true},   {0xBA, true},
        {0xBF, false}, {0xC0, true},  {0xD6, true},  {0xD7, false},  {0xD8, true},   {0xDF, true},
        {0xF6, true},  {0xF7, false}, {0xF8, true},  {0xFF, true},   {0x100, false}, {0x3B1, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsRegistryWordChar(c.c), c.word) << static_cast<int>(c.c);
    }
}

TEST(LineMatchTest, NonAsciiCharacters) {
    EXPECT_EQ(MatchKeyLine(L"[HKEY_LOCAL_MACHINE\\Caf\u00E9]"),
              std::optional<std::wstring_view>(L"HKEY_LOCAL_MACHINE\\Caf\u00E9"));
    EXPECT_FALSE(MatchKeyLine(L"[a\u00D7b]"));
    EXPECT_FALSE(MatchValueLine(L"\"a\u00F7\"=1"));
    // The wide line terminators end what `.` may take, like LF and CR.
    EXPECT_FALSE(MatchValueLine(L"\"a\"=1\u20282"));
    EXPECT_FALSE(MatchValueLine(L"\"a\"=1\u2029"));
    const auto value = MatchValueLine(L"\"\u00B5\"=\u00A0\u00D7\u0100");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->name, L"\u00B5");
    EXPECT_EQ(value->data, L"\u00A0\u00D7\u0100");
}

// A byte from 0x80 on is the Latin-1 character of its value, never a negative number.
TEST(LineMatchTest, BytesFrom0x80AreLatin1) {
    using namespace std::string_view_literals;
    EXPECT_EQ(MatchKeyLine("[HKEY_LOCAL_MACHINE\\Caf\xE9]"sv),
              std::optional<std::string_view>("HKEY_LOCAL_MACHINE\\Caf\xE9"));
    EXPECT_FALSE(
        MatchKeyLine("[a\xD7"
                     "b]"sv));
    EXPECT_FALSE(MatchValueLine("\"a\xF7\"=1"sv));
    EXPECT_FALSE(MatchKeyLine("[a\x80]"sv));
    const auto value = MatchValueLine("\"\xB5\xAA\xFF\"=\xA0\xD7"sv);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->name, "\xB5\xAA\xFF");
    EXPECT_EQ(value->data, "\xA0\xD7");
}

TEST(LineMatchTest, LongLinesMatchInOnePass) {
    const std::wstring text(4 << 20, L'a');
    EXPECT_EQ(MatchKeyLine(L"[" + text + L"]")->size(), text.size());
    EXPECT_FALSE(MatchKeyLine(L"[" + text + L"(]"));
    EXPECT_EQ(MatchValueLine(L"\"" + text + L"\"=" + text)->data.size(), text.size());
    EXPECT_FALSE(MatchValueLine(L"\"" + text + L"\"=" + text + L"\r"));
    EXPECT_FALSE(MatchValueLine(L"\"" + text + L"="));
}

}  // namespace
}  // namespace tendril
