// Moving the staged patch tree into the installation, one logged step per entry.
#pragma once

#include <windows.h>

#include "platform/file_system_calls.h"
#include "platform/path.h"
#include "update/update_log.h"

namespace tendril {

// Moves everything below `source` into `target` (files replace existing ones), removing each
// source folder whose entries all moved. True when everything moved or `source` is missing.
// A reparse point is moved as one entry, never walked: its target lies outside the tree.
// Only tests replace the listing: they report entries that the file system here can't make.
// Every call, these included, is given the path in the form the system takes at its length.
struct FolderEnumerationCalls {
    decltype(&::FindFirstFileW) find_first = g_fileSystemCalls.find_first_file;
    decltype(&::FindNextFileW) find_next = g_fileSystemCalls.find_next_file;
};
bool MoveTree(const WidePath& source, const WidePath& target, UpdateLog& log,
              const FolderEnumerationCalls& calls = {});

// Removes a folder that should now be empty, with its "Remove empty directory" entry.
void RemoveEmptyDirectory(const WidePath& folder, UpdateLog& log);

// Whether an enumeration of `folder` that could not start, with last error `error`, only found
// nothing there: no folder, or no matching entry. Any other failure (a file in the folder's
// place, refused access) keeps the run from completing, so it gets its "Failed to enumerate
// directory" entry.
bool NothingToEnumerate(const WidePath& folder, std::uint32_t error, UpdateLog& log);

}  // namespace tendril
