#include "update/invalidate_caches.h"

#include <stdexcept>
#include <vector>

#include "launcher/owners.h"
#include "win32_helpers.h"

namespace tendril {
namespace {

constexpr const wchar_t* kSiblingExecutables[] = {L"quillon.exe", L"orbisk.exe"};

void LogFailure(UpdateLog& log, const char* what, const WidePath& path, vrel::Result code,
                std::uint32_t error) {
    log.Timestamp().Narrow(what).Narrow(" '").Wide(path).Narrow("' result = ").Result(code);
    log.Narrow(", gle = ").Unsigned(error).LineEnd();
}

// A failure whose last error maps to success still must not read as one.
vrel::Result FailureFromLastError(std::uint32_t error) noexcept {
    const vrel::Result code = vrel::ResultFromWin32Error(error);
    return vrel::Failed(code) ? code : vrel::results::kUnspecified;
}

// Reads the whole file; false (with its entry written) when that fails or falls short.
bool ReadWhole(const WidePath& path, std::vector<char>& content, UpdateLog& log,
               const RewriteCalls& calls) {
    HandleOwner file;
    const vrel::Result opened =
        calls.open(file, path, FileAccessRead, FileDisposition::OpenExisting);
    if (vrel::Failed(opened)) {
        LogFailure(log, "Open", path, opened, LastError());
        return false;
    }
    LARGE_INTEGER size{};
    if (!calls.get_size(file.get(), &size)) {
        const std::uint32_t error = LastError();
        LogFailure(log, "Get size", path, FailureFromLastError(error), error);
        return false;
    }
    if (size.QuadPart >= 0x80000000LL) {
        throw std::length_error("sibling executable too large to hold in memory");
    }
    content.assign(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    const BOOL ok =
        calls.read(file.get(), content.data(), static_cast<DWORD>(content.size()), &read, nullptr);
    if (!ok || read != content.size()) {
        const std::uint32_t error = LastError();
        const vrel::Result code = ok ? vrel::results::kInvalidSize : FailureFromLastError(error);
        LogFailure(log, "Read", path, code, error);
        return false;
    }
    return true;
}

// Writes `content` to `temporary` and flushes it; false (entry written) on any failure.
bool WriteCopy(const WidePath& path, const WidePath& temporary, const std::vector<char>& content,
               UpdateLog& log, const RewriteCalls& calls) {
    HandleOwner file;
    const vrel::Result opened =
        calls.open(file, temporary, FileAccessWrite, FileDisposition::CreateAlways);
    if (vrel::Failed(opened)) {
        LogFailure(log, "Open (2)", path, opened, LastError());
        return false;
    }
    DWORD written = 0;
    if (!calls.write(file.get(), content.data(), static_cast<DWORD>(content.size()), &written,
                     nullptr) ||
        written != content.size()) {
        const std::uint32_t error = LastError();
        LogFailure(log, "Write", path, FailureFromLastError(error), error);
        return false;
    }
    if (!calls.flush(file.get())) {
        const std::uint32_t error = LastError();
        LogFailure(log, "Flush", path, FailureFromLastError(error), error);
        return false;
    }
    const vrel::Result closed = calls.close(file);
    if (vrel::Failed(closed)) {
        LogFailure(log, "Close", path, closed, LastError());
        return false;
    }
    return true;
}

void RewriteAsNewFile(const WidePath& path, UpdateLog& log, const RewriteCalls& calls) {
    std::vector<char> content;
    if (!ReadWhole(path, content, log, calls)) {
        return;
    }
    const WidePath temporary = path + L".new";
    if (!WriteCopy(path, temporary, content, log, calls)) {
        g_fileSystemCalls.delete_file(SystemPath(temporary).c_str());
        return;
    }
    if (!calls.replace(SystemPath(temporary).c_str(), SystemPath(path).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const std::uint32_t error = LastError();
        g_fileSystemCalls.delete_file(SystemPath(temporary).c_str());
        LogFailure(log, "Replace", path, FailureFromLastError(error), error);
        return;
    }
    log.Timestamp().Narrow("Invalidated cache for '").Wide(path).Narrow("'").LineEnd();
}

}  // namespace

void InvalidateCaches(const WidePath& folder, UpdateLog& log, const RewriteCalls& calls) {
    for (const wchar_t* name : kSiblingExecutables) {
        const WidePath path = JoinPath(folder, name);
        if (PathMissing(path) != 0) {
            continue;
        }
        RewriteAsNewFile(path, log, calls);
    }
}

}  // namespace tendril
