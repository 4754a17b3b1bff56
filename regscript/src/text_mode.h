// File bytes as the text a text-mode stream would deliver.
#pragma once

#include <string>
#include <string_view>

namespace tendril {

// Each byte becomes one UTF-16 unit of the same value (no byte-order mark, no decoding).
// CR LF becomes LF, a CR before anything else stays, and byte 0x1A ends the text.
std::wstring DecodeTextModeBytes(std::string_view bytes);

}  // namespace tendril
