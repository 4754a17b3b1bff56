// A named, typed value attached to an exception, such as its Result code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vrel {

namespace property_types {
inline constexpr std::uint32_t kResult = 20;       // "vrel.result": a Result code
inline constexpr std::uint32_t kSystemError = 21;  // "os.result": an OS error number
}  // namespace property_types

// A type code and a 32-bit value that lives in a process-heap block of its own.
class PropertyValue {
public:
    // Throws std::bad_alloc.
    PropertyValue(std::uint32_t type, std::uint32_t bits);
    PropertyValue(const PropertyValue&) = delete;
    PropertyValue& operator=(const PropertyValue&) = delete;
    PropertyValue(PropertyValue&& other) noexcept;
    PropertyValue& operator=(PropertyValue&& other) noexcept;
    ~PropertyValue();

    [[nodiscard]] std::uint32_t Type() const noexcept { return type_; }
    [[nodiscard]] std::uint32_t Bits() const noexcept;

private:
    std::uint32_t type_;
    std::uint32_t* block_;
};

struct ExceptionProperty {
    static constexpr std::size_t kMaxNameLength = 31;

    // A name longer than the inline room throws std::bad_alloc, as the framework does.
    ExceptionProperty(std::string_view property_name, PropertyValue property_value,
                      std::uint32_t type_identity);

    [[nodiscard]] std::string_view Name() const noexcept { return name; }

    char name[kMaxNameLength + 1];
    PropertyValue value;
    std::uint32_t typeIdentity;
};

}  // namespace vrel
