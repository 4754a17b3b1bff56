#include "platform/path.h"

namespace tendril {

std::wstring_view ParentPath(std::wstring_view path) noexcept {
    std::wstring_view candidate;
    const auto last = path.find_last_of(L"\\/");
    if (last != std::wstring_view::npos) {
        candidate = path.substr(0, last + 1);
    } else if (path.size() >= 2 && path[1] == L':') {
        candidate = path.substr(0, 2);
    }
    // Drop the one trailing separator, but keep it after a drive ("C:\").
    const auto n = candidate.size();
    if (n >= 2 && IsPathSeparator(candidate[n - 1]) && candidate[n - 2] != L':') {
        candidate.remove_suffix(1);
    }
    return candidate;
}

void AppendPath(WidePath& path, std::wstring_view name) {
    if (name.empty()) {
        return;
    }
    if (!path.empty() && !IsPathSeparator(path.back())) {
        path.push_back(L'\\');
    }
    path.append(name);
}

WidePath JoinPath(std::wstring_view base, std::wstring_view name) {
    WidePath joined(base);
    AppendPath(joined, name);
    return joined;
}

}  // namespace tendril
