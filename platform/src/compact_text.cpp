#include "platform/compact_text.h"

#include <cstring>
#include <new>

#include "platform/process_heap.h"

namespace vrel {

void CompactNarrowText::assign(std::string_view text) {
    if (text.size() > 0x7FFFFFFFu) {
        throw std::bad_alloc();
    }
    const auto length = static_cast<std::uint32_t>(text.size());
    if (length <= kInlineCapacity) {
        clear();
        std::memcpy(bytes_, text.data(), length);
        set_inline_length(length);
        return;
    }
    auto* heap = static_cast<char*>(ProcessHeapAllocate(length + 1));
    if (heap == nullptr) {
        throw std::bad_alloc();
    }
    std::memcpy(heap, text.data(), length);
    heap[length] = '\0';
    clear();
    std::memcpy(bytes_, &heap, sizeof(heap));
    const std::uint32_t marked_length = length | (std::uint32_t{kLongMarker} << 24);
    std::memcpy(bytes_ + kLengthOffset, &marked_length, sizeof(marked_length));
}

void CompactNarrowText::clear() noexcept {
    if (!is_inline()) {
        ProcessHeapFree(heap_text());
    }
    set_inline_length(0);
}

const char* CompactNarrowText::c_str() const noexcept {
    return is_inline() ? reinterpret_cast<const char*>(bytes_) : heap_text();
}

std::uint32_t CompactNarrowText::size() const noexcept {
    if (is_inline()) {
        return kInlineCapacity - bytes_[kLastByte];
    }
    std::uint32_t marked_length = 0;
    std::memcpy(&marked_length, bytes_ + kLengthOffset, sizeof(marked_length));
    return marked_length & ~(std::uint32_t{kLongMarker} << 24);
}

// A full inline text ends in the byte that counts the free room, 0: its terminator.
void CompactNarrowText::set_inline_length(std::uint32_t length) noexcept {
    bytes_[length] = '\0';
    bytes_[kLastByte] = static_cast<unsigned char>(kInlineCapacity - length);
}

char* CompactNarrowText::heap_text() const noexcept {
    char* heap = nullptr;
    std::memcpy(&heap, bytes_, sizeof(heap));
    return heap;
}

}  // namespace vrel
