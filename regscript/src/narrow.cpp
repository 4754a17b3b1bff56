#include "regscript/narrow.h"

#include <cstddef>
#include <new>

namespace tendril {
namespace {

constexpr char32_t kNotNarrow = 0x100;

bool IsHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The code point starting at `pos`, and how many units it takes.
char32_t CodePointAt(std::wstring_view text, std::size_t pos, std::size_t& units) {
    const auto unit = static_cast<char32_t>(text[pos]);
    if (IsHighSurrogate(unit) && pos + 1 < text.size()) {
        const auto next = static_cast<char32_t>(text[pos + 1]);
        if (IsLowSurrogate(next)) {
            units = 2;
            return 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00);
        }
    }
    units = 1;
    return unit;
}

// Length of the narrow text, or false at the first code point that has no single byte.
bool MeasureNarrow(std::wstring_view text, std::size_t& length) {
    length = 0;
    for (std::size_t pos = 0, units = 0; pos < text.size(); pos += units) {
        if (CodePointAt(text, pos, units) >= kNotNarrow) {
            return false;
        }
        ++length;
    }
    return true;
}

}  // namespace

std::string NarrowForMessage(std::wstring_view text) noexcept {
    // Both fallback texts fit the string's inline buffer, so returning them cannot fail.
    std::size_t length = 0;
    if (!MeasureNarrow(text, length)) {
        return "bad cast";
    }
    try {
        std::string narrow;
        narrow.reserve(length);
        for (std::size_t pos = 0, units = 0; pos < text.size(); pos += units) {
            narrow.push_back(static_cast<char>(CodePointAt(text, pos, units)));
        }
        return narrow;
    } catch (const std::bad_alloc&) {
        return "bad allocation";
    }
}

}  // namespace tendril
