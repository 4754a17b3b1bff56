// File bytes as the lines a text-mode stream would deliver.
#pragma once

#include <cstddef>
#include <string_view>

namespace tendril {

class TextModeLines {
public:
    // Byte 0x1A ends the text: nothing from it on is read. The lines view `bytes`.
    explicit TextModeLines(std::string_view bytes);

    // Lines whose first byte is `first`.
    [[nodiscard]] std::size_t CountStartingWith(char first) const;

    // Sets `line` to the next line's bytes (each byte stands for the UTF-16 unit of the same
    // value: no byte-order mark, no decoding), without its LF and without a CR right before
    // that LF; a CR anywhere else stays. Text after the last LF is a line too, nothing after
    // a final LF is. Returns false when no line is left.
    bool Next(std::string_view& line);

private:
    std::string_view text_;
    std::size_t next_ = 0;
};

}  // namespace tendril
