#include "hex_long.h"

#include <cstddef>
#include <stdexcept>

namespace tendril {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

std::int32_t ParseHexLong32(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // "0x" counts as a prefix only before a hex digit; otherwise the "0" is the number
    // and the "x" is where reading stops.
    if (pos + 2 < text.size() && text[pos] == '0' &&
        (text[pos + 1] == 'x' || text[pos + 1] == 'X') && HexDigitValue(text[pos + 2]) >= 0) {
        pos += 2;
    }
    constexpr std::uint64_t kBeyondAnyLong = 0x100000000;
    std::uint64_t magnitude = 0;
    std::size_t digits = 0;
    for (; pos < text.size() && HexDigitValue(text[pos]) >= 0; ++pos, ++digits) {
        // Saturate: once past every 32-bit value, more digits cannot bring it back.
        if (magnitude < kBeyondAnyLong) {
            magnitude = magnitude * 16 + static_cast<std::uint64_t>(HexDigitValue(text[pos]));
        }
    }
    if (digits == 0) {
        throw std::invalid_argument("invalid stol argument");
    }
    const std::uint64_t limit = negative ? 0x80000000 : 0x7FFFFFFF;
    if (magnitude > limit) {
        throw std::out_of_range("stol argument out of range");
    }
    const auto value = static_cast<std::int64_t>(magnitude);
    return static_cast<std::int32_t>(negative ? -value : value);
}

}  // namespace tendril
