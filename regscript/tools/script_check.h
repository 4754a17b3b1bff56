// Reports what the launcher would do with one queued registry script.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

namespace tendril {

// Parses `path` exactly as the update run does. Prints each operation to `out` as
// "<shown>: [<key>] "<name>" REG_SZ "<text>"" or "... REG_DWORD 0x<hex>", or the first
// error to `err` as "<shown>:<line>: <message>" ("<shown>: <message>" when the file does
// not open). Returns false when the launcher would reject the file.
bool CheckRegistryScript(const std::wstring& path, std::string_view shown, std::ostream& out,
                         std::ostream& err);

}  // namespace tendril
