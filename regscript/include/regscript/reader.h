// Reads a queued registry script into the operations it asks for.
#pragma once

#include "regscript/registry_script.h"

#include <cstddef>
#include <string>

namespace tendril {

// Reads the file at `path` byte for byte, each byte one UTF-16 unit of the same value, with
// text-mode line ends (CR LF is LF, a lone CR stays) and byte 0x1A ending the input.
// Returns one operation per value line, in file order, or throws for the whole file at the
// first faulty line: std::runtime_error, std::invalid_argument or std::out_of_range.
RegistryScript ParseRegistryScript(const std::wstring& path);

// As above; when it throws, `failed_line` holds the 1-based number of the offending line,
// or 0 when the file could not be opened. Untouched on success.
RegistryScript ParseRegistryScript(const std::wstring& path, std::size_t& failed_line);

// The same parse over the file's raw bytes, which the result keeps.
RegistryScript ParseRegistryScriptText(std::string bytes);
RegistryScript ParseRegistryScriptText(std::string bytes, std::size_t& failed_line);

}  // namespace tendril
