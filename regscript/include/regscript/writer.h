// Writing one parsed value under an existing key of HKEY_LOCAL_MACHINE.
#pragma once

#include "regscript/operation.h"

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tendril {

// A value the registry refused, with the registry's error. The error travels with the
// exception because throwing clears the thread's last error under this build's runtime.
class RegistryWriteError : public std::runtime_error {
public:
    RegistryWriteError(const std::string& message, std::uint32_t error)
        : std::runtime_error(message), error_(error) {}

    [[nodiscard]] std::uint32_t error() const noexcept { return error_; }

private:
    std::uint32_t error_;
};

// Writes `value` under `key` in the process's own registry view. A key that can't be opened
// (missing, for instance) is skipped silently: keys are never created. Throws
// std::invalid_argument for a root other than HKEY_LOCAL_MACHINE, and RegistryWriteError when
// the key refuses writing or the value itself can't be stored.
void SetRegistryValue(const RegistryKeyPath& key, const RegistryValue& value);

}  // namespace tendril
