#include "key_path.h"

#include <stdexcept>
#include <string>

namespace tendril {

RegistryKeyPath ParseKeyPath(std::string_view text) {
    const std::size_t separator = text.find('\\');
    if (separator == std::string_view::npos || separator + 1 == text.size()) {
        throw std::runtime_error("Invalid key/subkey name");
    }
    // Scripts may only touch machine-wide settings; no abbreviations, no other hives.
    const std::string_view root = text.substr(0, separator);
    if (root != "HKEY_LOCAL_MACHINE") {
        throw std::invalid_argument("Invalid root key: " + std::string(root));
    }
    return RegistryKeyPath{kRegistryRootLocalMachine, text.substr(separator + 1)};
}

}  // namespace tendril
