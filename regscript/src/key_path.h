// The text between the brackets of a key line, as a key path.
#pragma once

#include "regscript/operation.h"

#include <string_view>

namespace tendril {

// "HKEY_LOCAL_MACHINE\<subkey>", the subkey kept as written and viewed inside `text`. Throws
// std::runtime_error "Invalid key/subkey name" when there is no subkey, std::invalid_argument
// "Invalid root key: <root>" for any other root.
RegistryKeyPath ParseKeyPath(std::string_view text);

}  // namespace tendril
