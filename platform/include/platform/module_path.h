// Reading a module's file name into a buffer that grows until the name fits.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/result.h"

namespace vrel {

using WidePath = std::wstring;

// The file-name call that the growth rule drives: fills at most `size` characters of
// `buffer` and returns the count written, 0 on failure (then `last_error` tells why).
struct ModuleFileNameCall {
    std::function<std::uint32_t(wchar_t* buffer, std::uint32_t size)> read;
    std::function<std::uint32_t()> last_error;
};

// Reads a module file name into a buffer that starts at 260 characters and doubles while the
// name fills it, at most five attempts. A name still cut at 4160 characters is a failure
// (kBufferTooSmall): an empty name would turn every path built from it into a relative one.
// `out` is written only on success.
[[nodiscard]] Result ReadModuleFileName(const ModuleFileNameCall& call, WidePath& out) noexcept;

#ifdef _WIN32
// The file name of `module`; nullptr names the running executable.
[[nodiscard]] Result GetModulePath(void* module, WidePath& out) noexcept;
#endif

}  // namespace vrel
