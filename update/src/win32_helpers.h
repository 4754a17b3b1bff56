// Small Win32 helpers shared by the steps of the update run.
#pragma once

#include <windows.h>

#include <cstdint>

namespace tendril {

[[nodiscard]] inline std::uint32_t LastError() noexcept {
    return static_cast<std::uint32_t>(GetLastError());
}

// Owns one FindFirstFileW enumeration.
class FindOwner {
public:
    explicit FindOwner(HANDLE find) noexcept : find_(find) {}
    ~FindOwner() {
        if (find_ != INVALID_HANDLE_VALUE) {
            FindClose(find_);
        }
    }
    FindOwner(const FindOwner&) = delete;
    FindOwner& operator=(const FindOwner&) = delete;

    [[nodiscard]] HANDLE get() const noexcept { return find_; }
    [[nodiscard]] bool empty() const noexcept { return find_ == INVALID_HANDLE_VALUE; }

private:
    HANDLE find_;
};

}  // namespace tendril
