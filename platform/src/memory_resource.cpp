#include "platform/memory_resource.h"

#include <new>

#include "platform/process_heap.h"

namespace vrel {

// The process heap aligns every block for any fundamental type, which is all we ask of it.
void* type_erased_memory_resource::do_allocate(std::size_t bytes, std::size_t /*alignment*/) {
    void* block = ProcessHeapAllocate(bytes);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

void type_erased_memory_resource::do_deallocate(void* block, std::size_t /*bytes*/,
                                                std::size_t /*alignment*/) noexcept {
    ProcessHeapFree(block);
}

}  // namespace vrel
