#include "platform/path.h"

#include <vector>

namespace tendril {
namespace {

// "\\?\" and "\\.\", either separator: the system passes such a path on as it stands.
bool IsDevicePath(std::wstring_view path) {
    return path.size() >= 4 && IsPathSeparator(path[0]) && IsPathSeparator(path[1]) &&
           (path[2] == L'?' || path[2] == L'.') && IsPathSeparator(path[3]);
}

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// "File path formats on Windows systems" (learn.microsoft.com, dotnet/standard/io/file-path-
// formats), "Normalize" and "Trim characters": what the system does to a plain path before it
// reaches the file system, and what it no longer does once the path has the "\\?\" prefix
// ("Maximum Path Length Limitation", learn.microsoft.com/windows/win32/fileio).
std::wstring_view TrimSegment(std::wstring_view segment, bool last) {
    if (last) {
        while (!segment.empty() && (segment.back() == L'.' || segment.back() == L' ')) {
            segment.remove_suffix(1);
        }
        return segment;
    }
    if (segment.size() >= 2 && segment.back() == L'.' && segment[segment.size() - 2] != L'.') {
        segment.remove_suffix(1);
    }
    return segment;
}

}  // namespace

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

WidePath ExtendedLengthPath(std::wstring_view path) {
    if (IsDevicePath(path)) {
        return WidePath(path);
    }
    WidePath extended;
    std::wstring_view rest;
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && IsPathSeparator(path[2])) {
        extended = L"\\\\?\\";
        extended.append(path.substr(0, 2)).push_back(L'\\');
        rest = path.substr(3);
    } else if (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
        // A share: server and share name are the root; ".." never climbs above them.
        const std::wstring_view share_path = path.substr(2);
        const auto server_end = share_path.find_first_of(L"\\/");
        if (server_end == 0 || server_end == std::wstring_view::npos) {
            return WidePath(path);
        }
        const auto share_end = share_path.find_first_of(L"\\/", server_end + 1);
        const std::wstring_view share = share_path.substr(
            server_end + 1, share_end == std::wstring_view::npos ? std::wstring_view::npos
                                                                 : share_end - server_end - 1);
        const std::wstring_view server = share_path.substr(0, server_end);
        if (share.empty() || share == L"." || share == L".." || server == L"..") {
            return WidePath(path);
        }
        extended = L"\\\\?\\UNC\\";
        extended.append(server).push_back(L'\\');
        extended.append(share).push_back(L'\\');
        rest = share_end == std::wstring_view::npos ? std::wstring_view()
                                                    : share_path.substr(share_end + 1);
    } else {
        return WidePath(path);
    }

    std::vector<std::wstring_view> segments;
    while (!rest.empty()) {
        const auto end = rest.find_first_of(L"\\/");
        const std::wstring_view segment = rest.substr(0, end);
        rest = end == std::wstring_view::npos ? std::wstring_view() : rest.substr(end + 1);
        if (segment.empty() || segment == L".") {
            continue;
        }
        if (segment == L"..") {
            if (!segments.empty()) {
                segments.pop_back();
            }
            continue;
        }
        segments.push_back(segment);
    }
    const bool ends_in_separator = IsPathSeparator(path.back());
    bool first = true;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const bool last = i + 1 == segments.size() && !ends_in_separator;
        const std::wstring_view segment = TrimSegment(segments[i], last);
        if (segment.empty()) {
            continue;
        }
        if (!first) {
            extended.push_back(L'\\');
        }
        extended.append(segment);
        first = false;
    }
    return extended;
}

WidePath SystemPath(std::wstring_view path) {
    return path.size() < kPlainPathLimit ? WidePath(path) : ExtendedLengthPath(path);
}

}  // namespace tendril
