#include "value_data.h"

#include "hex_long.h"

#include <stdexcept>
#include <string>

namespace tendril {
namespace {

constexpr std::string_view kDwordPrefix = "dword:";

}  // namespace

RegistryValue ParseValueData(std::string_view name, std::string_view text) {
    if (text.empty()) {
        throw std::runtime_error("Empty value found");
    }
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        // No escapes: backslashes and inner quotes are stored as written.
        return RegistryValue{name, text.substr(1, text.size() - 2)};
    }
    if (text.size() > kDwordPrefix.size() && text.starts_with(kDwordPrefix)) {
        return RegistryValue{
            name, static_cast<std::uint32_t>(ParseHexLong32(text.substr(kDwordPrefix.size())))};
    }
    throw std::runtime_error("Can't parse value: " + std::string(text));
}

}  // namespace tendril
