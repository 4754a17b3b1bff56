#include "key_path.h"

#include "regscript/narrow.h"

#include <stdexcept>

namespace tendril {

RegistryKeyPath ParseKeyPath(std::wstring_view text) {
    const std::size_t separator = text.find(L'\\');
    if (separator == std::wstring_view::npos || separator + 1 == text.size()) {
        throw std::runtime_error("Invalid key/subkey name");
    }
    // Scripts may only touch machine-wide settings; no abbreviations, no other hives.
    const std::wstring_view root = text.substr(0, separator);
    if (root != L"HKEY_LOCAL_MACHINE") {
        throw std::invalid_argument("Invalid root key: " + NarrowForMessage(root));
    }
    return RegistryKeyPath{kRegistryRootLocalMachine, std::wstring(text.substr(separator + 1))};
}

}  // namespace tendril
