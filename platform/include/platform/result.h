// Result codes: the framework's signed 32-bit status values, their texts and the mapping
// from Win32 errors. Pure: no allocation, no state, no system call.
#pragma once

#include <cstdint>
#include <string_view>

namespace vrel {

using Result = std::int32_t;

[[nodiscard]] constexpr bool Succeeded(Result code) noexcept {
    return code >= 0;
}
[[nodiscard]] constexpr bool Failed(Result code) noexcept {
    return code < 0;
}

[[nodiscard]] constexpr Result MakeResult(std::uint32_t bits) noexcept {
    return static_cast<Result>(bits);
}

// The codes the system itself produces or tests for; the full vocabulary lives in the tables.
namespace results {
inline constexpr Result kOk = 0;
inline constexpr Result kFalse = 1;
inline constexpr Result kOutOfMemory = MakeResult(0x80000041);
inline constexpr Result kNotSupported = MakeResult(0x80000042);
inline constexpr Result kBufferTooSmall = MakeResult(0x80000044);
inline constexpr Result kAccessDenied = MakeResult(0x80000045);
inline constexpr Result kInvalidArgument = MakeResult(0x80000046);
inline constexpr Result kUnspecified = MakeResult(0x8000004B);
inline constexpr Result kInvalidSignature = MakeResult(0x8000005A);
inline constexpr Result kInvalidSize = MakeResult(0x8000005C);
inline constexpr Result kNoResultCode = MakeResult(0x80000151);
inline constexpr Result kPlatformUnspecified = MakeResult(0x80010100);
inline constexpr Result kFileNotFound = MakeResult(0x80010102);
inline constexpr Result kPathNotFound = MakeResult(0x80010103);
inline constexpr Result kAlreadyExists = MakeResult(0x80010105);
}  // namespace results

// Maps a Win32 error number (or an HRESULT that wraps one) to a Result code; 0 maps to 0.
[[nodiscard]] Result ResultFromWin32Error(std::uint32_t value) noexcept;

// The fixed English text of a code, or "Unknown result code". Static storage, never fails.
[[nodiscard]] std::string_view ResultMessage(Result code) noexcept;

}  // namespace vrel
