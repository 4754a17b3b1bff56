// Recognises the two kinds of registry script line that carry content.
//
// Both shapes have no ambiguity to resolve (the repeated character sets exclude the
// closing bracket or quote), so a single pass decides, whatever the line's length.
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

struct ValueLineParts {
    std::wstring_view name;
    std::wstring_view data;
};

// `"` name `"=` data over the whole line: the name is one or more word characters, `-`,
// space or `.`; the data is one or more characters other than line terminators.
std::optional<ValueLineParts> MatchValueLine(std::wstring_view line);

}  // namespace tendril
