// The 12-byte narrow text that holds an exception's message: up to 11 characters inline,
// longer text on the process heap.
#pragma once

#include <bit>
#include <cstdint>
#include <string_view>

namespace vrel {

class CompactNarrowText {
public:
    static constexpr std::uint32_t kInlineCapacity = 11;

    CompactNarrowText() noexcept { set_inline_length(0); }
    CompactNarrowText(const CompactNarrowText&) = delete;
    CompactNarrowText& operator=(const CompactNarrowText&) = delete;
    ~CompactNarrowText() { clear(); }

    // Throws std::bad_alloc when a long text finds no memory; the old text then stays.
    void assign(std::string_view text);
    void clear() noexcept;

    [[nodiscard]] const char* c_str() const noexcept;
    [[nodiscard]] std::uint32_t size() const noexcept;
    [[nodiscard]] bool is_inline() const noexcept { return (bytes_[kLastByte] & kLongMarker) == 0; }

private:
    static constexpr std::size_t kSize = 12;
    static constexpr std::size_t kLastByte = kSize - 1;
    static constexpr unsigned char kLongMarker = 0x80;
    // The long form keeps its pointer at the start and its length in the last 32-bit word,
    // whose top bit (the last byte's, on a little-endian machine) is the marker.
    static constexpr std::size_t kLengthOffset = kSize - sizeof(std::uint32_t);
    static_assert(std::endian::native == std::endian::little);
    static_assert(sizeof(char*) <= kLengthOffset);

    void set_inline_length(std::uint32_t length) noexcept;
    [[nodiscard]] char* heap_text() const noexcept;

    // Read and written through memcpy only, so the record needs no alignment of its own.
    unsigned char bytes_[kSize];
};

static_assert(sizeof(CompactNarrowText) == 12);

}  // namespace vrel
