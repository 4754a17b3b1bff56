// Reading a loaded module's image headers: its size and the identity of its debug
// information. Pure: works on the bytes of an image as it lies in memory, no system call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/result.h"

namespace vrel {

inline constexpr std::uint16_t kPe32Magic = 0x10B;
inline constexpr std::uint16_t kPe32PlusMagic = 0x20B;

// 36 characters of GUID, a comma, up to 10 digits of age and the terminator.
inline constexpr std::size_t kDebugIdentitySize = 48;

struct ImageIdentity {
    std::uint64_t size = 0;
    char debug_identity[kDebugIdentitySize] = {};  // empty when the image has none
};

// SizeOfImage, after checking the DOS and PE signatures and that the optional header has
// `expected_magic`. Needs only the headers, so it can be read before the image's length is
// known. `size` is written only on success.
[[nodiscard]] Result ReadImageSize(std::span<const std::uint8_t> headers,
                                   std::uint16_t expected_magic, std::uint64_t& size) noexcept;

// `image` is the whole module as loaded: RVAs index it directly. Every structure must lie
// inside the span: a cut or lying header gives kInvalidSignature, a debug entry or record
// that doesn't fit gives kInvalidSize. Only the first debug entry counts, whatever its type.
// `out` is written only on success.
[[nodiscard]] Result ReadImageIdentity(std::span<const std::uint8_t> image,
                                       std::uint16_t expected_magic, ImageIdentity& out) noexcept;

// "GUID,age": GUID in 8-4-4-4-12 uppercase hex, the first three fields most significant byte
// first (they are stored little-endian), the last eight bytes in storage order.
void FormatDebugIdentity(std::span<const std::uint8_t, 16> guid, std::uint32_t age,
                         char (&out)[kDebugIdentitySize]) noexcept;

}  // namespace vrel
