#include "windows_rules.h"

#include <cwchar>

namespace tendril::testing {
namespace {

FileSystemCalls g_under;

constexpr std::size_t kMaxPath = MAX_PATH;
constexpr std::size_t kMaxFolderPath = MAX_PATH - 12;

bool IsExtended(LPCWSTR path) {
    return std::wcsncmp(path, L"\\\\?\\", 4) == 0;
}

// True when Windows refuses a plain `path` of this length; the error is then set.
bool TooLong(LPCWSTR path, std::size_t limit, DWORD error) {
    if (path == nullptr || IsExtended(path) || std::wcslen(path) < limit) {
        return false;
    }
    SetLastError(error);
    return true;
}

bool TooLongForAnyCall(LPCWSTR path) {
    return TooLong(path, kMaxPath, ERROR_PATH_NOT_FOUND);
}

bool IsReadOnlyFile(LPCWSTR path) {
    const DWORD attributes = g_under.get_file_attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

HANDLE WINAPI CreateFileByRules(LPCWSTR path, DWORD access, DWORD share,
                                LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                HANDLE template_file) {
    if (TooLongForAnyCall(path)) {
        return INVALID_HANDLE_VALUE;
    }
    return g_under.create_file(path, access, share, security, disposition, flags, template_file);
}

HANDLE WINAPI FindFirstFileByRules(LPCWSTR pattern, LPWIN32_FIND_DATAW entry) {
    if (TooLongForAnyCall(pattern)) {
        return INVALID_HANDLE_VALUE;
    }
    return g_under.find_first_file(pattern, entry);
}

BOOL WINAPI FindNextFileByRules(HANDLE find, LPWIN32_FIND_DATAW entry) {
    return g_under.find_next_file(find, entry);
}

BOOL WINAPI CreateDirectoryByRules(LPCWSTR path, LPSECURITY_ATTRIBUTES security) {
    if (TooLongForAnyCall(path) || TooLong(path, kMaxFolderPath, ERROR_FILENAME_EXCED_RANGE)) {
        return FALSE;
    }
    return g_under.create_directory(path, security);
}

BOOL WINAPI RemoveDirectoryByRules(LPCWSTR path) {
    if (TooLongForAnyCall(path)) {
        return FALSE;
    }
    return g_under.remove_directory(path);
}

BOOL WINAPI MoveFileByRules(LPCWSTR from, LPCWSTR to, DWORD flags) {
    if (TooLongForAnyCall(from) || TooLongForAnyCall(to)) {
        return FALSE;
    }
    if ((flags & MOVEFILE_REPLACE_EXISTING) && IsReadOnlyFile(to)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return g_under.move_file(from, to, flags);
}

BOOL WINAPI DeleteFileByRules(LPCWSTR path) {
    if (TooLongForAnyCall(path)) {
        return FALSE;
    }
    if (IsReadOnlyFile(path)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return g_under.delete_file(path);
}

DWORD WINAPI GetFileAttributesByRules(LPCWSTR path) {
    if (TooLongForAnyCall(path)) {
        return INVALID_FILE_ATTRIBUTES;
    }
    return g_under.get_file_attributes(path);
}

}  // namespace

FileSystemCalls WindowsRulesOver(const FileSystemCalls& under) {
    g_under = under;
    FileSystemCalls rules;
    rules.create_file = &CreateFileByRules;
    rules.find_first_file = &FindFirstFileByRules;
    rules.find_next_file = &FindNextFileByRules;
    rules.create_directory = &CreateDirectoryByRules;
    rules.remove_directory = &RemoveDirectoryByRules;
    rules.move_file = &MoveFileByRules;
    rules.delete_file = &DeleteFileByRules;
    rules.get_file_attributes = &GetFileAttributesByRules;
    return rules;
}

}  // namespace tendril::testing
