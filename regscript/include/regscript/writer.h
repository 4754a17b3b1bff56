// Writing one parsed value under an existing key of HKEY_LOCAL_MACHINE.
#pragma once

#include "regscript/operation.h"
#include "regscript/system_error.h"

namespace tendril {

// A value the registry refused, with the registry's error.
class RegistryWriteError : public FailureWithSystemError {
public:
    using FailureWithSystemError::FailureWithSystemError;
};

// Writes `value` under `key` in the process's own registry view, each byte of their text the
// UTF-16 unit of the same value. A key that can't be opened (missing, for instance) is skipped
// silently: keys are never created. Throws std::invalid_argument for a root other than
// HKEY_LOCAL_MACHINE, and RegistryWriteError when the key refuses writing or the value itself
// can't be stored.
void SetRegistryValue(const RegistryKeyPath& key, const RegistryValue& value);

}  // namespace tendril
