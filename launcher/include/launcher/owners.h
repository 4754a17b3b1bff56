// Scope-bound owners of a module handle and a kernel handle. Move-only; closing never
// throws and keeps the thread's last error, so a caller can still read it afterwards.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>

#include "platform/result.h"

namespace tendril {

template <typename Traits>
class UniqueOwner {
public:
    using Value = typename Traits::Value;

    UniqueOwner() noexcept = default;
    explicit UniqueOwner(Value value) noexcept : value_(value) {}
    UniqueOwner(UniqueOwner&& other) noexcept : value_(other.release()) {}
    UniqueOwner& operator=(UniqueOwner&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    UniqueOwner(const UniqueOwner&) = delete;
    UniqueOwner& operator=(const UniqueOwner&) = delete;
    ~UniqueOwner() { reset(); }

    [[nodiscard]] Value get() const noexcept { return value_; }
    [[nodiscard]] bool empty() const noexcept { return value_ == Traits::Empty(); }

    [[nodiscard]] Value release() noexcept { return std::exchange(value_, Traits::Empty()); }

    // Closes what is held (a failure is ignored) and takes `value`.
    void reset(Value value = Traits::Empty()) noexcept {
        const Value old = std::exchange(value_, value);
        if (old != Traits::Empty()) {
            const DWORD last_error = GetLastError();
            Traits::Close(old);
            SetLastError(last_error);
        }
    }

private:
    Value value_ = Traits::Empty();
};

struct ModuleTraits {
    using Value = HMODULE;
    static Value Empty() noexcept { return nullptr; }
    static void Close(Value module) noexcept { FreeLibrary(module); }
};

using ModuleOwner = UniqueOwner<ModuleTraits>;

// Flags of HandleOwner::OpenFile, combined freely.
enum FileFlags : std::uint32_t {
    FileAccessRead = 0x1,
    FileAccessWrite = 0x2,
    FileAccessExecute = 0x4,
    FileShareRead = 0x10000,
    FileShareWrite = 0x20000,
    FileShareDelete = 0x40000,
};

enum class FileDisposition : std::uint32_t {
    CreateAlways = 1,
    CreateNew = 2,
    OpenAlways = 3,
    OpenExisting = 4,
    TruncateExisting = 5,
};

struct KernelHandleTraits {
    using Value = HANDLE;
    static Value Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Value handle) noexcept { CloseHandle(handle); }
};

class HandleOwner : public UniqueOwner<KernelHandleTraits> {
public:
    using UniqueOwner::UniqueOwner;

    // Empties the owner first, then closes: 0, or the Result code of the failed close.
    [[nodiscard]] vrel::Result Close() noexcept;

    // Opens `path` (default security, no inheritance) and holds the new handle, or nothing
    // when the open failed. Any handle held before is closed.
    [[nodiscard]] vrel::Result OpenFile(const std::wstring& path, std::uint32_t flags,
                                        FileDisposition disposition) noexcept;
};

}  // namespace tendril
