// The framework's memory-resource interface and its process-heap adapter. Present for the
// framework's sake; nothing in this program allocates through it.
#pragma once

#include <cstddef>

namespace vrel {

class polymorphic_memory_resource {
public:
    virtual ~polymorphic_memory_resource() = default;

    // Throws std::bad_alloc when there is no room.
    [[nodiscard]] void* allocate(std::size_t bytes, std::size_t alignment) {
        return do_allocate(bytes, alignment);
    }
    void deallocate(void* block, std::size_t bytes, std::size_t alignment) noexcept {
        do_deallocate(block, bytes, alignment);
    }
    [[nodiscard]] bool is_equal(const polymorphic_memory_resource& other) const noexcept {
        return do_is_equal(other);
    }

private:
    virtual void* do_allocate(std::size_t bytes, std::size_t alignment) = 0;
    virtual void do_deallocate(void* block, std::size_t bytes, std::size_t alignment) noexcept = 0;
    virtual bool do_is_equal(const polymorphic_memory_resource& other) const noexcept = 0;
};

// Every instance draws on the same process heap, so any two are interchangeable.
class type_erased_memory_resource final : public polymorphic_memory_resource {
private:
    void* do_allocate(std::size_t bytes, std::size_t alignment) override;
    void do_deallocate(void* block, std::size_t bytes, std::size_t alignment) noexcept override;
    bool do_is_equal(const polymorphic_memory_resource&) const noexcept override { return true; }
};

}  // namespace vrel
