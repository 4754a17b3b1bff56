// A parsed registry script: its operations in file order, and the bytes their text views.
#pragma once

#include "regscript/operation.h"

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tendril {

// The operations point into the script's own bytes instead of copying their text, so a
// script costs its file and one small record per value. The bytes sit behind a pointer
// because a short string's characters move with the string object, which would leave the
// views behind; shared, so that a copy views the same immutable bytes.
class RegistryScript {
public:
    using const_iterator = std::vector<RegistryOperation>::const_iterator;

    RegistryScript() = default;
    // Every text of `operations` lies inside `*bytes`.
    RegistryScript(std::shared_ptr<const std::string> bytes,
                   std::vector<RegistryOperation> operations) noexcept
        : bytes_(std::move(bytes)), operations_(std::move(operations)) {}

    [[nodiscard]] const_iterator begin() const noexcept { return operations_.begin(); }
    [[nodiscard]] const_iterator end() const noexcept { return operations_.end(); }
    [[nodiscard]] std::size_t size() const noexcept { return operations_.size(); }
    [[nodiscard]] bool empty() const noexcept { return operations_.empty(); }
    const RegistryOperation& operator[](std::size_t index) const noexcept {
        return operations_[index];
    }
    // Records the list has room for: the reader sizes it once, so that growing it never holds
    // an old and a new array at the same time.
    [[nodiscard]] std::size_t capacity() const noexcept { return operations_.capacity(); }

private:
    std::shared_ptr<const std::string> bytes_;
    std::vector<RegistryOperation> operations_;
};

}  // namespace tendril
