#include "platform/exception_detail.h"

#include <new>

#include "platform/process_heap.h"

namespace vrel {

ExceptionDetail* ExceptionDetail::Create() {
    void* block = ProcessHeapAllocate(sizeof(ExceptionDetail));
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return ::new (block) ExceptionDetail();
}

void ExceptionDetail::AddRef() noexcept {
    references_.fetch_add(1, std::memory_order_relaxed);
}

void ExceptionDetail::Release() noexcept {
    if (references_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        this->~ExceptionDetail();
        ProcessHeapFree(this);
    }
}

}  // namespace vrel
