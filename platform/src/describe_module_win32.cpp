#include <windows.h>

#include <cstdint>
#include <span>

#include "platform/describe_module_win32.h"
#include "platform/image_identity.h"
#include "platform/module_file_name.h"
#include "platform/result_from_exception.h"

namespace vrel {
namespace {

constexpr std::uint16_t kOwnImageMagic = sizeof(void*) == 8 ? kPe32PlusMagic : kPe32Magic;

// The loader always maps the headers' page, so it can be read before SizeOfImage is known.
constexpr std::uint64_t kHeaderPageSize = 4096;

Result ReadFileName(HMODULE module, std::string& out) noexcept {
    const NarrowModuleFileNameCall call{
        [module](char* buffer, std::uint32_t size) -> std::uint32_t {
            return GetModuleFileNameA(module, buffer, size);
        },
        [] { return static_cast<std::uint32_t>(GetLastError()); },
    };
    return ReadNarrowModuleFileName(call, out);
}

Result ReadLoadedImage(HMODULE module, ImageIdentity& out) noexcept {
    const auto* const base = reinterpret_cast<const std::uint8_t*>(module);
    std::uint64_t size = 0;
    const Result result = ReadImageSize({base, kHeaderPageSize}, kOwnImageMagic, size);
    if (Failed(result)) {
        return result;
    }
    // A 32-bit field: it fits the address space of either build.
    return ReadImageIdentity({base, static_cast<std::size_t>(size)}, kOwnImageMagic, out);
}

}  // namespace

Result DescribeLoadedModule(std::uint64_t address, LoadedModuleDescription& out) noexcept {
    // A 32-bit process has nothing above 4 GiB; cutting the address could land in a module.
    if (address > UINTPTR_MAX) {
        return ResultFromWin32Error(ERROR_MOD_NOT_FOUND);
    }
    HMODULE module = nullptr;
    constexpr DWORD kFromAddressKeepCount =
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    if (!GetModuleHandleExA(kFromAddressKeepCount,
                            reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(address)),
                            &module)) {
        return ResultFromWin32Error(GetLastError());
    }
    std::string path;
    Result result = ReadFileName(module, path);
    if (Failed(result)) {
        return result;
    }
    ImageIdentity identity;
    result = ReadLoadedImage(module, identity);
    if (Failed(result)) {
        return result;
    }
    try {
        LoadedModuleDescription description;
        description.file_name = FileNamePart(path);
        description.debug_identity = identity.debug_identity;
        description.base = reinterpret_cast<std::uintptr_t>(module);
        description.size = identity.size;
        out = std::move(description);
    } catch (...) {
        return ResultFromCurrentException();
    }
    return results::kOk;
}

}  // namespace vrel
