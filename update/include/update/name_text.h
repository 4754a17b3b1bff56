// Entry names between the bytes a host lists, the UTF-16 units Windows stores and printable text.
#pragma once

#include <string>
#include <string_view>

namespace tendril {

// Decodes UTF-8 into UTF-16. Returns false when `bytes` is not valid UTF-8 (overlong forms,
// surrogates and code points above U+10FFFF included); `text` then holds U+FFFD for each
// byte that starts no valid sequence, so lengths and keys stay close to what a system makes
// of the name.
bool DecodeUtf8(std::string_view bytes, std::u16string& text);

// Printable UTF-8 text of a name listed as bytes: valid UTF-8 stays, any other byte becomes
// "\xFF". A control character (below 0x20, or 0x7F) becomes "\x0A" here and below, so that a
// finding stays on one line.
std::string ShowHostBytes(std::string_view bytes);

// Printable UTF-8 text of UTF-16 units; a lone surrogate becomes "\uD800".
std::string ShowUtf16(std::u16string_view text);

}  // namespace tendril
