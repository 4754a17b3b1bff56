#include "platform/allocator.h"

#include "platform/process_heap.h"

namespace vrel {

void* AllocatorHandle::Allocate(std::size_t size) const noexcept {
    return object_ != nullptr ? object_->Allocate(size) : ProcessHeapAllocate(size);
}

void AllocatorHandle::Free(void* block) const noexcept {
    if (block == nullptr) {
        return;
    }
    if (object_ != nullptr) {
        object_->Free(block);
    } else {
        ProcessHeapFree(block);
    }
}

}  // namespace vrel
