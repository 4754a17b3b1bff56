#include "text_mode.h"

namespace tendril {

TextModeLines::TextModeLines(std::string_view bytes) : text_(bytes.substr(0, bytes.find('\x1A'))) {}

std::size_t TextModeLines::CountStartingWith(char first) const {
    std::size_t count = 0;
    for (std::size_t begin = 0; begin < text_.size();) {
        if (text_[begin] == first) {
            ++count;
        }
        const std::size_t end = text_.find('\n', begin);
        if (end == std::string_view::npos) {
            break;
        }
        begin = end + 1;
    }
    return count;
}

bool TextModeLines::Next(std::string_view& line) {
    if (next_ >= text_.size()) {
        return false;
    }
    line = text_.substr(next_);
    const std::size_t end = line.find('\n');
    if (end == std::string_view::npos) {
        // The last line has no LF, so a CR at its end is not part of a line end.
        next_ = text_.size();
        return true;
    }
    line = line.substr(0, end);
    next_ += end + 1;
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return true;
}

}  // namespace tendril
