// The number after "dword:", read the way a base-16 `stol` with a 32-bit long reads it.
#pragma once

#include <cstdint>
#include <string_view>

namespace tendril {

// Skips leading white space, takes an optional sign and an optional 0x/0X, then hex digits
// up to the first other character; the rest is ignored. Throws std::invalid_argument
// "invalid stol argument" when no digit is read and std::out_of_range "stol argument out of
// range" outside the signed 32-bit range.
std::int32_t ParseHexLong32(std::string_view text);

}  // namespace tendril
