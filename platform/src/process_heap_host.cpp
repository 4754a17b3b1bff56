// The host has no process heap; the C heap stands in behind the same two functions.
#include <atomic>
#include <cstdlib>

#include "platform/process_heap.h"

namespace vrel {
namespace {

std::atomic<std::size_t> blocks_in_use{0};
// Allocations left before the refused one; 0 means none is refused.
std::atomic<std::size_t> allocations_until_failure{0};
std::atomic<bool> failure_triggered{false};

bool RefuseThisAllocation() noexcept {
    std::size_t left = allocations_until_failure.load();
    while (left != 0) {
        if (allocations_until_failure.compare_exchange_weak(left, left - 1)) {
            if (left == 1) {
                failure_triggered = true;
                return true;
            }
            return false;
        }
    }
    return false;
}

}  // namespace

void* ProcessHeapAllocate(std::size_t size) noexcept {
    if (RefuseThisAllocation()) {
        return nullptr;
    }
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block != nullptr) {
        ++blocks_in_use;
    }
    return block;
}

void ProcessHeapFree(void* block) noexcept {
    if (block != nullptr) {
        --blocks_in_use;
        std::free(block);
    }
}

std::size_t ProcessHeapBlocksInUse() noexcept {
    return blocks_in_use.load();
}

ScopedProcessHeapFailure::ScopedProcessHeapFailure(std::size_t nth) noexcept {
    failure_triggered = false;
    allocations_until_failure = nth;
}

ScopedProcessHeapFailure::~ScopedProcessHeapFailure() {
    allocations_until_failure = 0;
    failure_triggered = false;
}

bool ScopedProcessHeapFailure::Triggered() const noexcept {
    return failure_triggered.load();
}

}  // namespace vrel
