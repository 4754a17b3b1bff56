// Test allocator objects: one that counts and can be told to refuse, one that hands out
// address space without touching it.
#pragma once

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "platform/allocator.h"

namespace vrel::testing {

// Lives on the test's stack; declare it before the objects that use it. On destruction it
// fails the test if a block or a reference is still out.
// Ends on the test's stack, never through the interface (whose destructor is protected).
// NOLINTNEXTLINE(cppcoreguidelines-virtual-class-destructor)
class CountingAllocator final : public AllocatorObject {
public:
    CountingAllocator() = default;
    CountingAllocator(const CountingAllocator&) = delete;
    CountingAllocator& operator=(const CountingAllocator&) = delete;
    ~CountingAllocator() {
        EXPECT_TRUE(live_.empty()) << live_.size() << " block(s) never freed";
        EXPECT_EQ(references_, 0) << "handles still hold references";
        for (const auto& [block, size] : live_) {
            std::free(block);
        }
    }

    void AddRef() noexcept override { ++references_; }
    void Release() noexcept override { --references_; }
    void* Allocate(std::size_t size) noexcept override {
        ++allocations_;
        sizes_.push_back(size);
        if (allocations_ == fail_at_) {
            return nullptr;
        }
        void* block = std::malloc(size);
        live_[block] = size;
        return block;
    }
    // Scribbles over the block first, so text read after its release shows as garbage.
    void Free(void* block) noexcept override {
        ++frees_;
        const auto it = live_.find(block);
        if (it == live_.end()) {
            ADD_FAILURE() << "freed a block it did not hand out, or twice";
            return;
        }
        std::memset(block, 0xDD, it->second);
        live_.erase(it);
        std::free(block);
    }

    // The `nth` allocation from now on (1 = the next) gives null.
    void FailAllocation(int nth) { fail_at_ = allocations_ + nth; }

    [[nodiscard]] int references() const { return references_; }
    [[nodiscard]] int allocations() const { return allocations_; }
    [[nodiscard]] int frees() const { return frees_; }
    [[nodiscard]] std::size_t live() const { return live_.size(); }
    [[nodiscard]] bool owns(const void* block) const {
        return live_.count(const_cast<void*>(block)) != 0;
    }
    // Every size asked for, refused ones included, in order.
    [[nodiscard]] const std::vector<std::size_t>& sizes() const { return sizes_; }

private:
    int references_ = 0;
    int allocations_ = 0;
    int frees_ = 0;
    int fail_at_ = 0;
    std::vector<std::size_t> sizes_;
    std::map<void*, std::size_t> live_;
};

// Address space that is committed only where written: lets a test reach sizes near the
// 32-bit limits while touching a few pages.
class ReservedAddressSpace {
public:
    explicit ReservedAddressSpace(std::size_t size) : size_(size) {
        void* start = mmap(nullptr, size, PROT_READ | PROT_WRITE,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        start_ = start == MAP_FAILED ? nullptr : start;
    }
    ReservedAddressSpace(const ReservedAddressSpace&) = delete;
    ReservedAddressSpace& operator=(const ReservedAddressSpace&) = delete;
    ~ReservedAddressSpace() {
        if (start_ != nullptr) {
            munmap(start_, size_);
        }
    }

    [[nodiscard]] void* get() const { return start_; }

private:
    void* start_ = nullptr;
    std::size_t size_;
};

// Ends on the test's stack, never through the interface (whose destructor is protected).
// NOLINTNEXTLINE(cppcoreguidelines-virtual-class-destructor)
class AddressSpaceAllocator final : public AllocatorObject {
public:
    AddressSpaceAllocator() = default;
    AddressSpaceAllocator(const AddressSpaceAllocator&) = delete;
    AddressSpaceAllocator& operator=(const AddressSpaceAllocator&) = delete;
    ~AddressSpaceAllocator() { EXPECT_TRUE(regions_.empty()) << "regions never freed"; }

    void AddRef() noexcept override {}
    void Release() noexcept override {}
    void* Allocate(std::size_t size) noexcept override {
        sizes_.push_back(size);
        void* start = mmap(nullptr, size, PROT_READ | PROT_WRITE,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (start == MAP_FAILED) {
            return nullptr;
        }
        regions_[start] = size;
        return start;
    }
    void Free(void* block) noexcept override {
        const auto it = regions_.find(block);
        ASSERT_NE(it, regions_.end());
        munmap(it->first, it->second);
        regions_.erase(it);
    }

    // Every size asked for, in order.
    [[nodiscard]] const std::vector<std::size_t>& sizes() const { return sizes_; }

private:
    std::map<void*, std::size_t> regions_;
    std::vector<std::size_t> sizes_;
};

}  // namespace vrel::testing
