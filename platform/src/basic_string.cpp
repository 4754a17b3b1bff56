#include "platform/basic_string.h"

#include <algorithm>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>

namespace vrel {
namespace {

template <typename CharT>
using Traits = std::char_traits<CharT>;

}  // namespace

template <typename CharT>
basic_string_t<CharT>::basic_string_t(const basic_string_t& other) : allocator_(other.allocator_) {
    if (other.length_ > kInlineCapacity) {
        data_ = allocate(other.length_);
        capacity_ = other.length_;
    }
    Traits<CharT>::copy(data_, other.data_, other.length_);
    length_ = other.length_;
    data_[length_] = CharT();
}

template <typename CharT>
basic_string_t<CharT>::basic_string_t(basic_string_t&& other) noexcept
    // The source keeps its allocator: a moved-from text stays usable with it.
    : allocator_(other.allocator_) {  // NOLINT(performance-move-constructor-init)
    take_buffer_of(other);
}

template <typename CharT>
basic_string_t<CharT>& basic_string_t<CharT>::operator=(const basic_string_t& other) {
    if (this != &other) {
        *this = basic_string_t(other);
    }
    return *this;
}

template <typename CharT>
basic_string_t<CharT>& basic_string_t<CharT>::operator=(basic_string_t&& other) noexcept {
    if (this != &other) {
        release();
        allocator_ = other.allocator_;
        take_buffer_of(other);
    }
    return *this;
}

template <typename CharT>
void basic_string_t<CharT>::reserve_extra(size_type count) {
    free_buffer(reserve_extra_keeping_old(count));
}

template <typename CharT>
void basic_string_t<CharT>::append(const CharT* chars, size_type count) {
    if (count == 0) {
        return;
    }
    // `chars` may point into the old buffer, so it must outlive the copy.
    CharT* old = reserve_extra_keeping_old(count);
    Traits<CharT>::copy(data_ + length_, chars, count);
    length_ += count;
    data_[length_] = CharT();
    free_buffer(old);
}

template <typename CharT>
void basic_string_t<CharT>::append_narrow(const char* chars, size_type count) {
    reserve_extra(count);
    for (size_type i = 0; i < count; ++i) {
        data_[length_ + i] = static_cast<CharT>(static_cast<unsigned char>(chars[i]));
    }
    length_ += count;
    data_[length_] = CharT();
}

template <typename CharT>
void basic_string_t<CharT>::resize(size_type length, CharT fill) {
    if (length > capacity_) {
        reserve_extra(length - length_);
    }
    if (length > length_) {
        Traits<CharT>::assign(data_ + length_, length - length_, fill);
    }
    length_ = length;
    data_[length_] = CharT();
}

template <typename CharT>
void basic_string_t<CharT>::insert(size_type position, const CharT* first, const CharT* last) {
    if (first == last) {
        return;
    }
    if (position > length_) {
        throw std::out_of_range("vrel::basic_string_t::insert");
    }
    const std::less<const CharT*> before;
    const bool from_own_buffer = !before(first, data_) && before(first, data_ + capacity_ + 1);
    if (from_own_buffer) {
        // Making room moves or frees the very characters to be inserted.
        basic_string_t own_range(allocator_);
        own_range.append(first, static_cast<size_type>(last - first));
        insert(position, own_range.data_, own_range.data_ + own_range.length_);
        return;
    }

    const std::uint64_t new_length = length_ + static_cast<std::uint64_t>(last - first);
    if (new_length > kMaxLengthAfterInsert) {
        throw std::length_error("vrel::basic_string_t::resize_extra_at");
    }
    const auto count = static_cast<size_type>(new_length - length_);
    const size_type tail = length_ - position;
    if (new_length > capacity_) {
        const size_type new_capacity = grown_capacity(new_length);
        CharT* buffer = allocate(new_capacity);
        Traits<CharT>::copy(buffer, data_, position);
        Traits<CharT>::copy(buffer + position + count, data_ + position, tail);
        free_buffer(is_inline() ? nullptr : data_);
        data_ = buffer;
        capacity_ = new_capacity;
    } else {
        Traits<CharT>::move(data_ + position + count, data_ + position, tail);
    }
    Traits<CharT>::copy(data_ + position, first, count);
    length_ = static_cast<size_type>(new_length);
    data_[length_] = CharT();
}

template <typename CharT>
void basic_string_t<CharT>::release() noexcept {
    if (capacity_ != 0 && !is_inline()) {
        free_buffer(data_);
    }
    reset_to_inline();
}

template <typename CharT>
CharT* basic_string_t<CharT>::allocate(size_type capacity) const {
    const std::size_t bytes = (static_cast<std::size_t>(capacity) + 1) * sizeof(CharT);
    void* block = allocator_.Allocate(bytes);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return static_cast<CharT*>(block);
}

template <typename CharT>
typename basic_string_t<CharT>::size_type basic_string_t<CharT>::grown_capacity(
    std::uint64_t needed) const noexcept {
    // Doubling past the limit would ask for a block whose size 32 bits can't express.
    const std::uint64_t doubled = 2 * static_cast<std::uint64_t>(capacity_);
    return static_cast<size_type>(std::min<std::uint64_t>(std::max(doubled, needed), kMaxLength));
}

template <typename CharT>
CharT* basic_string_t<CharT>::reserve_extra_keeping_old(size_type count) {
    if (capacity_ - length_ >= count) {
        return nullptr;
    }
    if (count > kMaxLength - length_) {
        throw std::length_error("vrel::basic_string_t::reserve_extra()");
    }
    const size_type new_capacity = grown_capacity(std::uint64_t{length_} + count);
    CharT* buffer = allocate(new_capacity);
    Traits<CharT>::copy(buffer, data_, length_ + 1);
    CharT* old = (capacity_ == 0 || is_inline()) ? nullptr : data_;
    data_ = buffer;
    capacity_ = new_capacity;
    return old;
}

template <typename CharT>
void basic_string_t<CharT>::free_buffer(CharT* buffer) const noexcept {
    allocator_.Free(buffer);
}

template <typename CharT>
void basic_string_t<CharT>::reset_to_inline() noexcept {
    data_ = inline_;
    length_ = 0;
    capacity_ = kInlineCapacity;
    inline_[0] = CharT();
}

template <typename CharT>
void basic_string_t<CharT>::take_buffer_of(basic_string_t& other) noexcept {
    if (other.is_inline()) {
        Traits<CharT>::copy(inline_, other.inline_, other.length_ + 1);
        data_ = inline_;
        capacity_ = kInlineCapacity;
    } else {
        data_ = other.data_;
        capacity_ = other.capacity_;
    }
    length_ = other.length_;
    other.reset_to_inline();
}

template class basic_string_t<char>;
template class basic_string_t<wchar_t>;

}  // namespace vrel
