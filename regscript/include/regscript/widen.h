// Script text to the wide text the registry takes.
#pragma once

#include <string>
#include <string_view>

namespace tendril {

// Each byte becomes the UTF-16 unit of the same value, NUL bytes included.
std::wstring WidenScriptText(std::string_view text);

}  // namespace tendril
