#include "platform/exception_property.h"

#include <algorithm>
#include <new>
#include <utility>

#include "platform/process_heap.h"

namespace vrel {

PropertyValue::PropertyValue(std::uint32_t type, std::uint32_t bits)
    : type_(type), block_(static_cast<std::uint32_t*>(ProcessHeapAllocate(sizeof(bits)))) {
    if (block_ == nullptr) {
        throw std::bad_alloc();
    }
    *block_ = bits;
}

PropertyValue::PropertyValue(PropertyValue&& other) noexcept
    : type_(other.type_), block_(std::exchange(other.block_, nullptr)) {}

PropertyValue& PropertyValue::operator=(PropertyValue&& other) noexcept {
    if (this != &other) {
        ProcessHeapFree(block_);
        type_ = other.type_;
        block_ = std::exchange(other.block_, nullptr);
    }
    return *this;
}

PropertyValue::~PropertyValue() {
    ProcessHeapFree(block_);
}

std::uint32_t PropertyValue::Bits() const noexcept {
    return block_ != nullptr ? *block_ : 0;
}

ExceptionProperty::ExceptionProperty(std::string_view property_name, PropertyValue property_value,
                                     std::uint32_t type_identity)
    : name(), value(std::move(property_value)), typeIdentity(type_identity) {
    if (property_name.size() > kMaxNameLength) {
        throw std::bad_alloc();
    }
    std::copy(property_name.begin(), property_name.end(), name);
}

}  // namespace vrel
