#include "platform/allocator.h"

#include <gtest/gtest.h>

#include <new>
#include <utility>

#include "counting_allocator.h"
#include "platform/memory_resource.h"
#include "platform/process_heap.h"

namespace vrel {
namespace {

using testing::CountingAllocator;

TEST(AllocatorHandleTest, CopiesHoldReferencesAndMovesPassThemOn) {
    CountingAllocator allocator;
    {
        AllocatorHandle first(&allocator);
        EXPECT_EQ(allocator.references(), 1);
        AllocatorHandle copy(first);
        EXPECT_EQ(allocator.references(), 2);
        AllocatorHandle moved(std::move(copy));
        EXPECT_EQ(allocator.references(), 2);
        // The moved-from state is what is tested.
        // NOLINTNEXTLINE(bugprone-use-after-move,clang-analyzer-cplusplus.Move)
        EXPECT_EQ(copy.get(), nullptr);
        AllocatorHandle assigned;
        assigned = first;
        EXPECT_EQ(allocator.references(), 3);
        assigned = AllocatorHandle();
        EXPECT_EQ(allocator.references(), 2);
        EXPECT_EQ(moved, first);
    }
    EXPECT_EQ(allocator.references(), 0);
}

TEST(AllocatorHandleTest, ObjectHandleCallsTheObject) {
    CountingAllocator allocator;
    const AllocatorHandle handle(&allocator);
    void* block = handle.Allocate(24);
    EXPECT_TRUE(allocator.owns(block));
    handle.Free(block);
    EXPECT_EQ(allocator.frees(), 1);
    handle.Free(nullptr);
    EXPECT_EQ(allocator.frees(), 1);
}

TEST(AllocatorHandleTest, NullHandleUsesTheProcessHeap) {
    const std::size_t before = ProcessHeapBlocksInUse();
    const AllocatorHandle handle;
    void* block = handle.Allocate(24);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(ProcessHeapBlocksInUse(), before + 1);
    handle.Free(block);
    EXPECT_EQ(ProcessHeapBlocksInUse(), before);

    const ScopedProcessHeapFailure failure(1);
    EXPECT_EQ(handle.Allocate(24), nullptr);
}

TEST(TypeErasedMemoryResourceTest, AllocatesFromTheProcessHeapAndEqualsAnyOther) {
    type_erased_memory_resource resource;
    const type_erased_memory_resource other;
    EXPECT_TRUE(resource.is_equal(other));

    const std::size_t before = ProcessHeapBlocksInUse();
    void* block = resource.allocate(32, 8);
    EXPECT_EQ(ProcessHeapBlocksInUse(), before + 1);
    resource.deallocate(block, 32, 8);
    EXPECT_EQ(ProcessHeapBlocksInUse(), before);

    const ScopedProcessHeapFailure failure(1);
    EXPECT_THROW((void)resource.allocate(32, 8), std::bad_alloc);
}

}  // namespace
}  // namespace vrel
