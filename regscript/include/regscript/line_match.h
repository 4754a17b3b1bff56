// Recognises the two kinds of registry script line that carry content.
//
// Both shapes have no ambiguity to resolve (the repeated character sets exclude the
// closing bracket or quote), so a single pass decides, whatever the line's length.
//
// Each shape is matched over wide text and over a script's bytes, a byte being the character
// of the same value; the reader matches the bytes, so that it never widens a line.
#pragma once

#include <optional>
#include <string_view>

namespace tendril {

// Letters and digits of ASCII and Latin-1, and the underscore. Fixed rather than taken
// from the C library's locale so that every build accepts the same scripts.
bool IsRegistryWordChar(wchar_t c);

// `[` text `]` over the whole line, the text being one or more word characters, `-`, space,
// `.`, `{`, `}` or backslash. Returns the text between the brackets.
std::optional<std::wstring_view> MatchKeyLine(std::wstring_view line);
std::optional<std::string_view> MatchKeyLine(std::string_view line);

template <typename Char>
struct BasicValueLineParts {
    std::basic_string_view<Char> name;
    std::basic_string_view<Char> data;
};
using ValueLineParts = BasicValueLineParts<wchar_t>;

// `"` name `"=` data over the whole line: the name is one or more word characters, `-`,
// space or `.`; the data is one or more characters other than line terminators.
std::optional<ValueLineParts> MatchValueLine(std::wstring_view line);
std::optional<BasicValueLineParts<char>> MatchValueLine(std::string_view line);

}  // namespace tendril
