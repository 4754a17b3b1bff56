#include "regscript/line_match.h"

#include <algorithm>

namespace tendril {
namespace {

// The character a unit stands for; a script byte from 0x80 on is a Latin-1 letter or sign.
wchar_t CharOf(char unit) {
    return static_cast<wchar_t>(static_cast<unsigned char>(unit));
}
wchar_t CharOf(wchar_t unit) {
    return unit;
}

bool IsKeyTextChar(wchar_t c) {
    return IsRegistryWordChar(c) || c == L'-' || c == L' ' || c == L'.' || c == L'{' || c == L'}' ||
           c == L'\\';
}

bool IsValueNameChar(wchar_t c) {
    return IsRegistryWordChar(c) || c == L'-' || c == L' ' || c == L'.';
}

// What a regular expression's `.` refuses: the ECMAScript line terminators.
bool IsLineTerminator(wchar_t c) {
    return c == L'\n' || c == L'\r' || c == L'\u2028' || c == L'\u2029';
}

template <typename Char>
std::optional<std::basic_string_view<Char>> MatchKey(std::basic_string_view<Char> line) {
    if (line.size() < 3 || CharOf(line.front()) != L'[' || CharOf(line.back()) != L']') {
        return std::nullopt;
    }
    // The text's set has no `]`, so the closing bracket can only be the last character.
    const std::basic_string_view<Char> text = line.substr(1, line.size() - 2);
    if (!std::all_of(text.begin(), text.end(), [](Char c) { return IsKeyTextChar(CharOf(c)); })) {
        return std::nullopt;
    }
    return text;
}

template <typename Char>
std::optional<BasicValueLineParts<Char>> MatchValue(std::basic_string_view<Char> line) {
    if (line.empty() || CharOf(line.front()) != L'"') {
        return std::nullopt;
    }
    // The name's set has no `"`, so the name ends at the first character outside it.
    std::size_t name_end = 1;
    while (name_end < line.size() && IsValueNameChar(CharOf(line[name_end]))) {
        ++name_end;
    }
    const std::size_t data_begin = name_end + 2;
    if (name_end == 1 || data_begin >= line.size() || CharOf(line[name_end]) != L'"' ||
        CharOf(line[name_end + 1]) != L'=') {
        return std::nullopt;
    }
    const std::basic_string_view<Char> data = line.substr(data_begin);
    if (std::any_of(data.begin(), data.end(), [](Char c) { return IsLineTerminator(CharOf(c)); })) {
        return std::nullopt;
    }
    return BasicValueLineParts<Char>{line.substr(1, name_end - 1), data};
}

}  // namespace

bool IsRegistryWordChar(wchar_t c) {
    if ((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
        c == L'_') {
        return true;
    }
    // Latin-1 letters: the two ordinal indicators, the micro sign and the accented block
    // without the multiplication and division signs.
    if (c == L'\u00AA' || c == L'\u00B5' || c == L'\u00BA') {
        return true;
    }
    return c >= L'\u00C0' && c <= L'\u00FF' && c != L'\u00D7' && c != L'\u00F7';
}

std::optional<std::wstring_view> MatchKeyLine(std::wstring_view line) {
    return MatchKey(line);
}

std::optional<std::string_view> MatchKeyLine(std::string_view line) {
    return MatchKey(line);
}

std::optional<ValueLineParts> MatchValueLine(std::wstring_view line) {
    return MatchValue(line);
}

std::optional<BasicValueLineParts<char>> MatchValueLine(std::string_view line) {
    return MatchValue(line);
}

}  // namespace tendril
