// Writing one parsed value under an existing key of HKEY_LOCAL_MACHINE.
#pragma once

#include "regscript/operation.h"

namespace tendril {

// Writes `value` under `key` in the process's own registry view. A key that can't be opened
// for writing (missing, or access refused) is skipped silently: keys are never created.
// Throws std::invalid_argument for a root other than HKEY_LOCAL_MACHINE and
// std::runtime_error when the value itself can't be stored.
void SetRegistryValue(const RegistryKeyPath& key, const RegistryValue& value);

}  // namespace tendril
