#include "regscript/widen.h"

#include <algorithm>

namespace tendril {

std::wstring WidenScriptText(std::string_view text) {
    std::wstring wide(text.size(), L'\0');
    // Through unsigned char: bytes from 0x80 on are Latin-1 letters, not negative numbers.
    std::transform(text.begin(), text.end(), wide.begin(), [](char byte) {
        return static_cast<wchar_t>(static_cast<unsigned char>(byte));
    });
    return wide;
}

}  // namespace tendril
