// Path operations shared by the launcher and the update run. Both separators are read,
// a backslash is written.
#pragma once

#include <string>
#include <string_view>

#include "platform/module_path.h"
#include "platform/result.h"

namespace tendril {

using vrel::WidePath;

[[nodiscard]] constexpr bool IsPathSeparator(wchar_t c) noexcept {
    return c == L'\\' || c == L'/';
}

// The leading part of `path` that names its folder. A drive root keeps its backslash.
[[nodiscard]] std::wstring_view ParentPath(std::wstring_view path) noexcept;

// Appends `name` with one backslash in between, unless `path` is empty or already ends in a
// separator. The name itself is not inspected.
void AppendPath(WidePath& path, std::wstring_view name);

[[nodiscard]] WidePath JoinPath(std::wstring_view base, std::wstring_view name);

#ifdef _WIN32
// 0 when the path exists (file or folder), 1 when it is missing, else a negative Result code.
[[nodiscard]] vrel::Result PathMissing(const WidePath& path) noexcept;
#endif

}  // namespace tendril
