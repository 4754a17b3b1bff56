#include "heap_count.h"

#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <new>

namespace tendril::heap_count {
namespace {

std::size_t live_bytes = 0;
std::size_t peak_bytes = 0;

std::size_t BlockSize(void* block) {
#ifdef _WIN32
    return _msize(block);
#else
    return malloc_usable_size(block);
#endif
}

void* Allocate(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    live_bytes += BlockSize(block);
    peak_bytes = std::max(peak_bytes, live_bytes);
    return block;
}

void Release(void* block) noexcept {
    if (block != nullptr) {
        live_bytes -= BlockSize(block);
        std::free(block);
    }
}

}  // namespace

std::size_t LiveBytes() noexcept {
    return live_bytes;
}

std::size_t PeakBytes() noexcept {
    return peak_bytes;
}

void ResetPeak() noexcept {
    peak_bytes = live_bytes;
}

}  // namespace tendril::heap_count

void* operator new(std::size_t size) {
    return tendril::heap_count::Allocate(size);
}
void* operator new[](std::size_t size) {
    return tendril::heap_count::Allocate(size);
}
void operator delete(void* block) noexcept {
    tendril::heap_count::Release(block);
}
void operator delete[](void* block) noexcept {
    tendril::heap_count::Release(block);
}
void operator delete(void* block, std::size_t) noexcept {
    tendril::heap_count::Release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    tendril::heap_count::Release(block);
}
