#include "text_mode.h"

namespace tendril {

std::wstring DecodeTextModeBytes(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (std::size_t pos = 0; pos < bytes.size(); ++pos) {
        const auto byte = static_cast<unsigned char>(bytes[pos]);
        if (byte == 0x1A) {
            break;
        }
        if (byte == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n') {
            continue;
        }
        text.push_back(static_cast<wchar_t>(byte));
    }
    return text;
}

}  // namespace tendril
