#include "platform/module_file_name.h"

#include "platform/result_from_exception.h"

namespace vrel {

Result ReadNarrowModuleFileName(const NarrowModuleFileNameCall& call, std::string& out) noexcept {
    constexpr std::uint32_t kInitialSize = 260;
    constexpr std::uint32_t kLargestSize = 32768;
    constexpr std::uint32_t kNotEnoughMemory = 14;
    std::string buffer;
    for (std::uint32_t size = kInitialSize;; size *= 2) {
        if (size > kLargestSize) {
            return ResultFromWin32Error(kNotEnoughMemory);
        }
        try {
            buffer.resize(size);
        } catch (...) {
            return ResultFromCurrentException();
        }
        const std::uint32_t n = call.read(buffer.data(), size);
        if (n == 0) {
            return ResultFromWin32Error(call.last_error());
        }
        // A full buffer means the name was cut, whether or not the call said so.
        if (n < size) {
            buffer.resize(n);
            out = std::move(buffer);
            return results::kOk;
        }
    }
}

std::string_view FileNamePart(std::string_view path) noexcept {
    const auto separator = path.rfind('\\');
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

}  // namespace vrel
