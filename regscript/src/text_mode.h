// File bytes as the lines a text-mode stream would deliver, decoded one line at a time.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tendril {

class TextModeLines {
public:
    // Byte 0x1A ends the text: nothing from it on is read.
    explicit TextModeLines(std::string_view bytes);

    // Lines whose first byte is `first`, counted without decoding them.
    [[nodiscard]] std::size_t CountStartingWith(char first) const;

    // Puts the next line into `line`, each byte one UTF-16 unit of the same value (no
    // byte-order mark, no decoding), without its LF and without a CR right before that LF; a
    // CR anywhere else stays. Text after the last LF is a line too, nothing after a final LF
    // is. Returns false when no line is left.
    bool Next(std::wstring& line);

private:
    std::string_view text_;
    std::size_t next_ = 0;
};

}  // namespace tendril
