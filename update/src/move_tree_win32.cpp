#include "update/move_tree.h"

#include <windows.h>

#include "win32_helpers.h"

namespace tendril {
namespace {

void LogEnumerationFailure(const WidePath& folder, std::uint32_t error, UpdateLog& log) {
    log.Timestamp().Narrow("Failed to enumerate directory '").Wide(folder).Narrow("', gle = ");
    log.Unsigned(error).LineEnd();
}

bool MoveTreeBelow(const WidePath& source, const WidePath& target, UpdateLog& log,
                   const FolderEnumerationCalls& calls, bool listed_as_folder);

bool MoveFolderEntry(const WidePath& source, const WidePath& target, DWORD attributes,
                     UpdateLog& log, const FolderEnumerationCalls& calls) {
    if (!g_fileSystemCalls.create_directory(SystemPath(target).c_str(), nullptr)) {
        const std::uint32_t error = LastError();
        log.Timestamp().Narrow("Failed to create directory '").Wide(target).Narrow("', gle = ");
        log.Unsigned(error).LineEnd();
    }
    const bool moved = MoveTreeBelow(source, target, log, calls, true);
    const std::uint32_t error = LastError();
    log.Timestamp().Narrow("Move directory (attributes: ").Unsigned(attributes).Narrow(") '");
    log.Wide(source).Narrow("' -> '").Wide(target).Narrow("' result = ").Flag(moved);
    log.Narrow(", gle = ").Unsigned(error).LineEnd();
    return moved;
}

bool MoveFileEntry(const WidePath& source, const WidePath& target, DWORD attributes,
                   UpdateLog& log) {
    const bool moved =
        g_fileSystemCalls.move_file(SystemPath(source).c_str(), SystemPath(target).c_str(),
                                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    const std::uint32_t error = LastError();
    // No blank before this arrow: readers of existing logs match the line as it stands.
    log.Timestamp().Narrow("Move file (attributes: ").Unsigned(attributes).Narrow(") '");
    log.Wide(source).Narrow("'-> '").Wide(target).Narrow("' result = ").Flag(moved);
    log.Narrow(", gle = ").Unsigned(error).LineEnd();
    return moved;
}

// A folder that was just listed as an entry exists: when it can't be listed in turn (a path
// too long for the system, a folder moved away meanwhile), its files have not moved, and the
// run must not count the tree as complete.
bool MoveTreeBelow(const WidePath& source, const WidePath& target, UpdateLog& log,
                   const FolderEnumerationCalls& calls, bool listed_as_folder) {
    WIN32_FIND_DATAW entry;
    FindOwner find(calls.find_first(SystemPath(JoinPath(source, L"*.*")).c_str(), &entry));
    if (find.get() == INVALID_HANDLE_VALUE) {
        const std::uint32_t error = LastError();
        if (listed_as_folder) {
            LogEnumerationFailure(source, error, log);
            return false;
        }
        return NothingToEnumerate(source, error, log);
    }
    bool all_moved = true;
    do {
        const std::wstring_view name = entry.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        const WidePath from = JoinPath(source, name);
        const WidePath to = JoinPath(target, name);
        const DWORD attributes = entry.dwFileAttributes;
        const bool walk =
            (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
        const bool moved = walk ? MoveFolderEntry(from, to, attributes, log, calls)
                                : MoveFileEntry(from, to, attributes, log);
        all_moved = all_moved && moved;
    } while (calls.find_next(find.get(), &entry));

    if (all_moved) {
        RemoveEmptyDirectory(source, log);
    }
    return all_moved;
}

}  // namespace

bool MoveTree(const WidePath& source, const WidePath& target, UpdateLog& log,
              const FolderEnumerationCalls& calls) {
    return MoveTreeBelow(source, target, log, calls, false);
}

void RemoveEmptyDirectory(const WidePath& folder, UpdateLog& log) {
    const vrel::Result removed = g_fileSystemCalls.remove_directory(SystemPath(folder).c_str())
                                     ? 0
                                     : vrel::ResultFromWin32Error(GetLastError());
    const std::uint32_t error = LastError();
    log.Timestamp().Narrow("Remove empty directory '").Wide(folder).Narrow("' result = ");
    log.Result(removed).Narrow(", gle = ").Unsigned(error).LineEnd();
}

bool NothingToEnumerate(const WidePath& folder, std::uint32_t error, UpdateLog& log) {
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        return true;
    }
    LogEnumerationFailure(folder, error, log);
    return false;
}

}  // namespace tendril
