// The framework's string, wide (UTF-16 on Windows) and narrow. Its memory comes through an
// allocator handle; short texts live in a 16-byte inline buffer.
#pragma once

#include <cstdint>
#include <string_view>
#include <type_traits>

#include "platform/allocator.h"

namespace vrel {

template <typename CharT>
class basic_string_t {
    static_assert(std::is_same_v<CharT, char> || std::is_same_v<CharT, wchar_t>);
    static constexpr bool kNarrow = std::is_same_v<CharT, char>;

public:
    using size_type = std::uint32_t;

    // What the 16-byte inline buffer holds next to the terminator (2-byte wide characters).
    static constexpr size_type kInlineCapacity = kNarrow ? 15 : 7;
    static constexpr size_type kMaxLength = kNarrow ? 0xFFFFFFFEu : 0x7FFFFFFEu;
    static constexpr size_type kMaxLengthAfterInsert = 0x7FFFFFFEu;

    basic_string_t() noexcept = default;
    explicit basic_string_t(AllocatorHandle allocator) noexcept
        : allocator_(std::move(allocator)) {}
    // The copy uses the source's allocator.
    basic_string_t(const basic_string_t& other);
    basic_string_t(basic_string_t&& other) noexcept;
    basic_string_t& operator=(const basic_string_t& other);
    basic_string_t& operator=(basic_string_t&& other) noexcept;
    ~basic_string_t() { release(); }

    [[nodiscard]] const CharT* data() const noexcept { return data_; }
    [[nodiscard]] size_type size() const noexcept { return length_; }
    [[nodiscard]] size_type capacity() const noexcept { return capacity_; }
    [[nodiscard]] bool empty() const noexcept { return length_ == 0; }
    [[nodiscard]] std::basic_string_view<CharT> view() const noexcept { return {data_, length_}; }
    [[nodiscard]] const AllocatorHandle& allocator() const noexcept { return allocator_; }

    // Room for `count` more characters. Throws std::length_error past the limit and
    // std::bad_alloc without memory; either way the string is unchanged.
    void reserve_extra(size_type count);
    // The characters may come from this string itself.
    void append(const CharT* chars, size_type count);
    // Widens each character by itself: the source is ASCII, no code page is involved.
    void append_narrow(const char* chars, size_type count);
    void resize(size_type length, CharT fill);
    // The range may come from this string itself.
    void insert(size_type position, const CharT* first, const CharT* last);
    // Gives back a heap buffer and leaves the string empty.
    void release() noexcept;

private:
    [[nodiscard]] bool is_inline() const noexcept { return data_ == inline_; }
    [[nodiscard]] CharT* allocate(size_type capacity) const;
    [[nodiscard]] size_type grown_capacity(std::uint64_t needed) const noexcept;
    // Like reserve_extra, but hands the old heap buffer (or null) to the caller to free later.
    [[nodiscard]] CharT* reserve_extra_keeping_old(size_type count);
    void free_buffer(CharT* buffer) const noexcept;
    void reset_to_inline() noexcept;
    void take_buffer_of(basic_string_t& other) noexcept;

    CharT* data_ = inline_;
    size_type length_ = 0;
    size_type capacity_ = kInlineCapacity;
    AllocatorHandle allocator_;
    CharT inline_[kInlineCapacity + 1] = {};
};

extern template class basic_string_t<char>;
extern template class basic_string_t<wchar_t>;

using wide_string_t = basic_string_t<wchar_t>;
using narrow_string_t = basic_string_t<char>;

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(wide_string_t) == 32 && sizeof(narrow_string_t) == 32);
#endif

}  // namespace vrel
