#include <windows.h>

#include "platform/module_path.h"

namespace vrel {

Result GetModulePath(void* module, WidePath& out) noexcept {
    const ModuleFileNameCall call{
        [module](wchar_t* buffer, std::uint32_t size) -> std::uint32_t {
            return GetModuleFileNameW(static_cast<HMODULE>(module), buffer, size);
        },
        [] { return static_cast<std::uint32_t>(GetLastError()); },
    };
    return ReadModuleFileName(call, out);
}

}  // namespace vrel
