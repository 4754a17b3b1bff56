// Windows compares names by upper-casing each UTF-16 unit through the volume's upcase table
// ("Naming Files, Paths, and Namespaces": "Do not assume case sensitivity"; NTFS keeps the
// table in $UpCase). The table is Unicode's simple upper-case mapping, one unit to one unit.
//
// Covered here, from Unicode's simple mapping: Basic Latin, Latin-1, Latin Extended-A, Greek
// and Coptic (U+0370-U+03FF), Cyrillic and its supplement (U+0400-U+052F), Armenian, Latin
// Extended Additional, Roman numerals, circled letters, fullwidth Latin; of Latin
// Extended-B only the pinyin, Romanian and Vietnamese letters.
// Not covered: the rest of Latin Extended-B and IPA, the titlecase digraphs (U+01C4-U+01CC),
// Greek Extended, Georgian, Cherokee, Glagolitic, Coptic, Deseret and every other script. A
// unit outside these tables is its own key, so names that differ only in such letters are
// not reported as one. Units of a surrogate pair are never mapped, as in Windows' table.
// Where a table made by an older Windows may map a unit to itself (U+00B5, U+0131, U+017F),
// this one follows Unicode: a false report there is cheaper than a lost file.
#include "update/patch_rules.h"

#include <algorithm>
#include <iterator>

namespace tendril {
namespace {

enum class Step {
    kOffset,  // every unit of the range maps to unit + delta
    kPairs,   // the range alternates upper, lower, upper, ...: each lower maps to unit - 1
};

struct CaseRange {
    char16_t first;
    char16_t last;
    Step step;
    int delta;
};

// Sorted by `first`; ranges do not overlap.
constexpr CaseRange kRanges[] = {
    {0x0061, 0x007A, Step::kOffset, -32},     // a-z
    {0x00B5, 0x00B5, Step::kOffset, 0x02E7},  // micro sign to Greek capital mu
    {0x00E0, 0x00F6, Step::kOffset, -32},
    {0x00F8, 0x00FE, Step::kOffset, -32},
    {0x00FF, 0x00FF, Step::kOffset, 0x0079},  // y with diaeresis to U+0178
    {0x0100, 0x012F, Step::kPairs, 0},
    {0x0131, 0x0131, Step::kOffset, -232},  // dotless i to I
    {0x0132, 0x0137, Step::kPairs, 0},
    {0x0139, 0x0148, Step::kPairs, 0},
    {0x014A, 0x0177, Step::kPairs, 0},
    {0x0179, 0x017E, Step::kPairs, 0},
    {0x017F, 0x017F, Step::kOffset, -300},  // long s to S
    {0x01A0, 0x01A1, Step::kPairs, 0},
    {0x01AF, 0x01B0, Step::kPairs, 0},
    {0x01CD, 0x01DC, Step::kPairs, 0},
    {0x01DE, 0x01EF, Step::kPairs, 0},
    {0x01F8, 0x021F, Step::kPairs, 0},
    {0x0222, 0x0233, Step::kPairs, 0},
    {0x0370, 0x0373, Step::kPairs, 0},
    {0x0376, 0x0377, Step::kPairs, 0},
    {0x037B, 0x037D, Step::kOffset, 0x0082},
    {0x03AC, 0x03AC, Step::kOffset, -38},
    {0x03AD, 0x03AF, Step::kOffset, -37},
    {0x03B1, 0x03C1, Step::kOffset, -32},
    {0x03C2, 0x03C2, Step::kOffset, -31},  // final sigma to capital sigma
    {0x03C3, 0x03CB, Step::kOffset, -32},
    {0x03CC, 0x03CC, Step::kOffset, -64},
    {0x03CD, 0x03CE, Step::kOffset, -63},
    {0x03D0, 0x03D0, Step::kOffset, -62},
    {0x03D1, 0x03D1, Step::kOffset, -57},
    {0x03D5, 0x03D5, Step::kOffset, -47},
    {0x03D6, 0x03D6, Step::kOffset, -54},
    {0x03D7, 0x03D7, Step::kOffset, -8},
    {0x03D8, 0x03EF, Step::kPairs, 0},
    {0x03F0, 0x03F0, Step::kOffset, -86},
    {0x03F1, 0x03F1, Step::kOffset, -80},
    {0x03F2, 0x03F2, Step::kOffset, 7},
    {0x03F3, 0x03F3, Step::kOffset, -116},
    {0x03F5, 0x03F5, Step::kOffset, -96},
    {0x03F7, 0x03F8, Step::kPairs, 0},
    {0x03FA, 0x03FB, Step::kPairs, 0},
    {0x0430, 0x044F, Step::kOffset, -32},
    {0x0450, 0x045F, Step::kOffset, -80},
    {0x0460, 0x0481, Step::kPairs, 0},
    {0x048A, 0x04BF, Step::kPairs, 0},
    {0x04C1, 0x04CE, Step::kPairs, 0},
    {0x04CF, 0x04CF, Step::kOffset, -15},
    {0x04D0, 0x052F, Step::kPairs, 0},
    {0x0561, 0x0586, Step::kOffset, -48},  // Armenian
    {0x1E00, 0x1E95, Step::kPairs, 0},
    {0x1E9B, 0x1E9B, Step::kOffset, -59},  // long s with dot above
    {0x1EA0, 0x1EFF, Step::kPairs, 0},
    {0x2170, 0x217F, Step::kOffset, -16},  // small Roman numerals
    {0x2183, 0x2184, Step::kPairs, 0},
    {0x24D0, 0x24E9, Step::kOffset, -26},  // circled small letters
    {0xFF41, 0xFF5A, Step::kOffset, -32},  // fullwidth a-z
};

}  // namespace

char16_t UpcaseUnit(char16_t unit) noexcept {
    const auto after = std::upper_bound(std::begin(kRanges), std::end(kRanges), unit,
                                        [](char16_t u, const CaseRange& r) { return u < r.first; });
    if (after == std::begin(kRanges)) {
        return unit;
    }
    const CaseRange& range = *std::prev(after);
    if (unit > range.last) {
        return unit;
    }
    if (range.step == Step::kPairs) {
        return (unit - range.first) % 2 == 1 ? static_cast<char16_t>(unit - 1) : unit;
    }
    return static_cast<char16_t>(unit + range.delta);
}

std::u16string NameKey(std::u16string_view name) {
    std::u16string key(name);
    for (char16_t& unit : key) {
        unit = UpcaseUnit(unit);
    }
    return key;
}

}  // namespace tendril
