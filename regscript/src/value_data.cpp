#include "value_data.h"

#include "hex_long.h"
#include "regscript/narrow.h"

#include <stdexcept>

namespace tendril {
namespace {

constexpr std::wstring_view kDwordPrefix = L"dword:";

}  // namespace

RegistryValue ParseValueData(std::wstring_view name, std::wstring_view text) {
    if (text.empty()) {
        throw std::runtime_error("Empty value found");
    }
    RegistryValue value{std::wstring(name), {}};
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') {
        // No escapes: backslashes and inner quotes are stored as written.
        value.data = std::wstring(text.substr(1, text.size() - 2));
    } else if (text.size() > kDwordPrefix.size() && text.starts_with(kDwordPrefix)) {
        value.data = static_cast<std::uint32_t>(ParseHexLong32(text.substr(kDwordPrefix.size())));
    } else {
        throw std::runtime_error("Can't parse value: " + NarrowForMessage(text));
    }
    return value;
}

}  // namespace tendril
