// The process heap, where every framework string, sequence and exception record takes its
// memory unless an allocator object is given.
#pragma once

#include <cstddef>

namespace vrel {

// Gives null when the heap has no room; never throws.
[[nodiscard]] void* ProcessHeapAllocate(std::size_t size) noexcept;
// Takes null without complaint.
void ProcessHeapFree(void* block) noexcept;

#ifndef _WIN32
// The host stand-in counts its blocks and can be told to refuse one, so tests can see that
// every block goes back and that running out of memory leaves nothing behind.
[[nodiscard]] std::size_t ProcessHeapBlocksInUse() noexcept;

// While alive, the `nth` allocation from now on (1 = the next one) gives null.
class ScopedProcessHeapFailure {
public:
    explicit ScopedProcessHeapFailure(std::size_t nth) noexcept;
    ~ScopedProcessHeapFailure();
    ScopedProcessHeapFailure(const ScopedProcessHeapFailure&) = delete;
    ScopedProcessHeapFailure& operator=(const ScopedProcessHeapFailure&) = delete;

    // True once the refused allocation was asked for.
    [[nodiscard]] bool Triggered() const noexcept;
};
#endif

}  // namespace vrel
