// A module's file name in the narrow (ANSI) form: the growth rule of its buffer, driven by a
// call passed in so that it runs without Windows, and the name's last part.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/result.h"

namespace vrel {

// The narrow file-name call that the growth rule drives: fills at most `size` bytes of
// `buffer` and returns the count written, 0 on failure (then `last_error` tells why).
struct NarrowModuleFileNameCall {
    std::function<std::uint32_t(char* buffer, std::uint32_t size)> read;
    std::function<std::uint32_t()> last_error;
};

// A buffer of 260 bytes that doubles while the name fills it; past 32768 bytes the read
// stops with error 14 (not enough memory) without another call. Errors are mapped by
// ResultFromWin32Error, so a failed call with no last error counts as success and leaves
// `out` alone. `out` is written only when a name was read.
[[nodiscard]] Result ReadNarrowModuleFileName(const NarrowModuleFileNameCall& call,
                                              std::string& out) noexcept;

// The characters after the last backslash, or the whole path when it has none.
[[nodiscard]] std::string_view FileNamePart(std::string_view path) noexcept;

}  // namespace vrel
