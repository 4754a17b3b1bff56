// The name and the text right of the `=` of a value line, as a value.
#pragma once

#include "regscript/operation.h"

#include <string_view>

namespace tendril {

// Data is either a quoted string, taken verbatim between the outer quotes, or "dword:"
// and a base-16 number. The value views `name` and `text`. Throws std::runtime_error "Empty
// value found" or "Can't parse value: <text>", or the number's std::invalid_argument /
// std::out_of_range.
RegistryValue ParseValueData(std::string_view name, std::string_view text);

}  // namespace tendril
