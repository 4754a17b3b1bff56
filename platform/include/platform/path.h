// Path operations shared by the launcher and the update run. Both separators are read,
// a backslash is written.
#pragma once

#include <cstddef>
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

// Below this length every file call takes a plain path; a folder to be created must leave room
// for an 8.3 name (MAX_PATH - 12), and the other calls reach MAX_PATH (260) a little later.
inline constexpr std::size_t kPlainPathLimit = 248;

// The "\\?\" form of an absolute path ("\\?\UNC\server\share\..." for a share), which the
// system's wide file calls take at any length, normalised as the system would normalise the
// plain path: "/" read as "\", doubled separators, "." and ".." segments resolved (never above
// the root), a segment's single trailing period dropped and the path's trailing periods and
// spaces trimmed. A relative path, one relative to a drive's current folder ("C:name"), one
// rooted on the current drive ("\name") and one already in a "\\?\" or "\\.\" form have no
// such form and come back unchanged.
[[nodiscard]] WidePath ExtendedLengthPath(std::wstring_view path);

// What a file call is given for `path`: the plain path while it is shorter than
// kPlainPathLimit, which keeps every short path exactly as it is, else its extended-length
// form.
[[nodiscard]] WidePath SystemPath(std::wstring_view path);

#ifdef _WIN32
// 0 when the path exists (file or folder), 1 when it is missing, else a negative Result code.
[[nodiscard]] vrel::Result PathMissing(const WidePath& path) noexcept;
#endif

}  // namespace tendril
