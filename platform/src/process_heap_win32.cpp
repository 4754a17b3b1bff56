#include <windows.h>

#include "platform/process_heap.h"

namespace vrel {

void* ProcessHeapAllocate(std::size_t size) noexcept {
    return HeapAlloc(GetProcessHeap(), 0, size);
}

void ProcessHeapFree(void* block) noexcept {
    if (block != nullptr) {
        HeapFree(GetProcessHeap(), 0, block);
    }
}

}  // namespace vrel
