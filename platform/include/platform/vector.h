// The framework's growable sequence: begin, end and end of capacity, memory through an
// allocator handle. Growth never gives a weaker guarantee than "unchanged on failure".
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include "platform/allocator.h"

namespace vrel {

template <typename T>
// One by-value operator= (copy and swap) is both the copy and the move assignment.
class vector {  // NOLINT(cppcoreguidelines-special-member-functions)
    // The process heap and allocator objects promise no stricter alignment than this.
    static_assert(alignof(T) <= 8);

public:
    using size_type = std::uint32_t;
    using iterator = T*;
    using const_iterator = const T*;

    // The largest count whose size in bytes fits in 32 bits.
    static constexpr size_type kMaxCount = static_cast<size_type>(0xFFFFFFFFu / sizeof(T));

    vector() noexcept = default;
    explicit vector(AllocatorHandle allocator) noexcept : allocator_(std::move(allocator)) {}
    // The copy uses the source's allocator.
    vector(const vector& other) : allocator_(other.allocator_) {
        if (other.empty()) {
            return;
        }
        T* block = allocate(other.size());
        try {
            std::uninitialized_copy(other.begin_, other.end_, block);
        } catch (...) {
            allocator_.Free(block);
            throw;
        }
        begin_ = block;
        end_ = block + other.size();
        capacity_end_ = end_;
    }
    vector(vector&& other) noexcept
        : begin_(std::exchange(other.begin_, nullptr)),
          end_(std::exchange(other.end_, nullptr)),
          capacity_end_(std::exchange(other.capacity_end_, nullptr)),
          // The source keeps its allocator: a moved-from sequence stays usable with it.
          allocator_(other.allocator_) {}  // NOLINT(performance-move-constructor-init)
    vector& operator=(vector other) noexcept {
        swap(other);
        return *this;
    }
    ~vector() { release(); }

    void swap(vector& other) noexcept {
        std::swap(begin_, other.begin_);
        std::swap(end_, other.end_);
        std::swap(capacity_end_, other.capacity_end_);
        std::swap(allocator_, other.allocator_);
    }

    [[nodiscard]] size_type size() const noexcept { return static_cast<size_type>(end_ - begin_); }
    [[nodiscard]] size_type capacity() const noexcept {
        return static_cast<size_type>(capacity_end_ - begin_);
    }
    [[nodiscard]] bool empty() const noexcept { return begin_ == end_; }
    [[nodiscard]] T* data() noexcept { return begin_; }
    [[nodiscard]] const T* data() const noexcept { return begin_; }
    [[nodiscard]] iterator begin() noexcept { return begin_; }
    [[nodiscard]] iterator end() noexcept { return end_; }
    [[nodiscard]] const_iterator begin() const noexcept { return begin_; }
    [[nodiscard]] const_iterator end() const noexcept { return end_; }
    [[nodiscard]] T& operator[](size_type index) noexcept { return begin_[index]; }
    [[nodiscard]] const T& operator[](size_type index) const noexcept { return begin_[index]; }
    [[nodiscard]] const AllocatorHandle& allocator() const noexcept { return allocator_; }

    void reserve(size_type count) {
        if (count > kMaxCount) {
            throw std::length_error("vector::reserve");
        }
        if (count <= capacity()) {
            return;
        }
        T* block = allocate(count);
        adopt(block, count, relocate_into(block, size()));
    }

    template <typename... Args>
    T& emplace_back(Args&&... args) {
        if (end_ == capacity_end_) {
            return *emplace_into_new_block(size(), std::forward<Args>(args)...);
        }
        ::new (static_cast<void*>(end_)) T(std::forward<Args>(args)...);
        return *end_++;
    }
    void push_back(const T& value) { emplace_back(value); }
    void push_back(T&& value) { emplace_back(std::move(value)); }

    iterator insert(const_iterator position, T&& value) {
        const auto index = static_cast<size_type>(position - begin_);
        if (index == size()) {
            return &emplace_back(std::move(value));
        }
        if (end_ == capacity_end_) {
            return emplace_into_new_block(index, std::move(value));
        }
        ::new (static_cast<void*>(end_)) T(std::move(end_[-1]));
        ++end_;
        std::move_backward(begin_ + index, end_ - 2, end_ - 1);
        begin_[index] = std::move(value);
        return begin_ + index;
    }

    void clear() noexcept {
        std::destroy(begin_, end_);
        end_ = begin_;
    }

private:
    [[nodiscard]] T* allocate(size_type count) const {
        void* block = allocator_.Allocate(static_cast<std::size_t>(count) * sizeof(T));
        if (block == nullptr) {
            throw std::bad_alloc();
        }
        return static_cast<T*>(block);
    }

    // Moves [first, last) to `out`, or copies it when a move could throw, so that a failure
    // leaves the originals whole; on failure whatever was built at `out` is gone again.
    static T* relocate(T* first, T* last, T* out) {
        if constexpr (std::is_nothrow_move_constructible_v<T> || !std::is_copy_constructible_v<T>) {
            return std::uninitialized_copy(std::make_move_iterator(first),
                                           std::make_move_iterator(last), out);
        } else {
            return std::uninitialized_copy(first, last, out);
        }
    }

    T* relocate_into(T* block, size_type count) {
        try {
            return relocate(begin_, begin_ + count, block);
        } catch (...) {
            allocator_.Free(block);
            throw;
        }
    }

    // Takes over `block` whose first elements are in place; the old elements and block go.
    void adopt(T* block, size_type capacity, T* end) noexcept {
        release();
        begin_ = block;
        end_ = end;
        capacity_end_ = block + capacity;
    }

    void release() noexcept {
        std::destroy(begin_, end_);
        allocator_.Free(begin_);
        begin_ = end_ = capacity_end_ = nullptr;
    }

    [[nodiscard]] size_type grown_capacity() const {
        if (size() == kMaxCount) {
            throw std::length_error("vector::append");
        }
        const std::uint64_t doubled = std::max<std::uint64_t>(2 * std::uint64_t{size()}, 4);
        return static_cast<size_type>(std::min<std::uint64_t>(doubled, kMaxCount));
    }

    template <typename... Args>
    T* emplace_into_new_block(size_type index, Args&&... args) {
        const size_type capacity = grown_capacity();
        T* block = allocate(capacity);
        T* placed = block + index;
        try {
            ::new (static_cast<void*>(placed)) T(std::forward<Args>(args)...);
        } catch (...) {
            allocator_.Free(block);
            throw;
        }
        T* end = nullptr;
        try {
            relocate(begin_, begin_ + index, block);
            try {
                end = relocate(begin_ + index, end_, placed + 1);
            } catch (...) {
                std::destroy(block, block + index);
                throw;
            }
        } catch (...) {
            placed->~T();
            allocator_.Free(block);
            throw;
        }
        adopt(block, capacity, end);
        return placed;
    }

    T* begin_ = nullptr;
    T* end_ = nullptr;
    T* capacity_end_ = nullptr;
    AllocatorHandle allocator_;
};

}  // namespace vrel
