// Wide text to the narrow text of exception messages.
#pragma once

#include <string>
#include <string_view>

namespace tendril {

// Each code point below 0x100 becomes the byte of that value (surrogate pairs are decoded
// first, lone surrogates stand for themselves). If any code point is 0x100 or above the
// result is "bad cast", and if memory runs out it is "bad allocation": a message must
// still be producible, so this never throws.
std::string NarrowForMessage(std::wstring_view text) noexcept;

}  // namespace tendril
