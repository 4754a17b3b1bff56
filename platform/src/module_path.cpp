#include "platform/module_path.h"

#include "platform/result_from_exception.h"

namespace vrel {

Result ReadModuleFileName(const ModuleFileNameCall& call, WidePath& out) noexcept {
    constexpr std::uint32_t kInitialSize = 260;
    constexpr int kAttempts = 5;
    WidePath buffer;
    std::uint32_t size = kInitialSize;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        try {
            buffer.resize(size);
        } catch (...) {
            return ResultFromCurrentException();
        }
        const std::uint32_t n = call.read(buffer.data(), size);
        if (n == 0) {
            return ResultFromWin32Error(call.last_error());
        }
        if (n < size) {
            buffer.resize(n);
            out = std::move(buffer);
            return results::kOk;
        }
        size = n * 2 < kInitialSize ? kInitialSize : n * 2;
    }
    return results::kBufferTooSmall;
}

}  // namespace vrel
