#include "text_mode.h"

#include <algorithm>

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

bool TextModeLines::Next(std::wstring& line) {
    if (next_ >= text_.size()) {
        return false;
    }
    std::string_view bytes = text_.substr(next_);
    const std::size_t end = bytes.find('\n');
    if (end == std::string_view::npos) {
        // The last line has no LF, so a CR at its end is not part of a line end.
        next_ = text_.size();
    } else {
        bytes = bytes.substr(0, end);
        next_ += end + 1;
        if (!bytes.empty() && bytes.back() == '\r') {
            bytes.remove_suffix(1);
        }
    }
    line.resize(bytes.size());
    std::transform(bytes.begin(), bytes.end(), line.begin(), [](char byte) {
        return static_cast<wchar_t>(static_cast<unsigned char>(byte));
    });
    return true;
}

}  // namespace tendril
