// The allocator handle of the framework's strings and sequences: null means the process
// heap, otherwise a reference-counted allocator object.
#pragma once

#include <cstddef>
#include <utility>

namespace vrel {

// The slot order is the framework's binary interface; slots 2 and 4 are not called here.
class AllocatorObject {
public:
    virtual void AddRef() noexcept = 0;
    virtual void Release() noexcept = 0;
    virtual void UnusedSlot2() noexcept {}
    // Gives null when there is no room.
    [[nodiscard]] virtual void* Allocate(std::size_t size) noexcept = 0;
    virtual void UnusedSlot4() noexcept {}
    virtual void Free(void* block) noexcept = 0;

protected:
    // Objects end through Release, never through a pointer to this interface.
    ~AllocatorObject() = default;
};

// One by-value operator= (copy and swap) is both the copy and the move assignment.
class AllocatorHandle {  // NOLINT(cppcoreguidelines-special-member-functions)
public:
    AllocatorHandle() noexcept = default;
    // Takes a reference of its own; the caller keeps whatever reference it holds.
    explicit AllocatorHandle(AllocatorObject* object) noexcept : object_(object) {
        if (object_ != nullptr) {
            object_->AddRef();
        }
    }
    AllocatorHandle(const AllocatorHandle& other) noexcept : AllocatorHandle(other.object_) {}
    AllocatorHandle(AllocatorHandle&& other) noexcept
        : object_(std::exchange(other.object_, nullptr)) {}
    AllocatorHandle& operator=(AllocatorHandle other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }
    ~AllocatorHandle() {
        if (object_ != nullptr) {
            object_->Release();
        }
    }

    // Null when there is no room.
    [[nodiscard]] void* Allocate(std::size_t size) const noexcept;
    void Free(void* block) const noexcept;

    [[nodiscard]] AllocatorObject* get() const noexcept { return object_; }
    friend bool operator==(const AllocatorHandle&, const AllocatorHandle&) = default;

private:
    AllocatorObject* object_ = nullptr;
};

}  // namespace vrel
