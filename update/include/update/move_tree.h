// Moving the staged patch tree into the installation, one logged step per entry.
#pragma once

#include <windows.h>

#include "platform/path.h"
#include "update/update_log.h"

namespace tendril {

// Moves everything below `source` into `target` (files replace existing ones), removing each
// source folder whose entries all moved. True when everything moved or `source` is missing.
// A reparse point is moved as one entry, never walked: its target lies outside the tree.
// Only tests replace the calls: they report entries that the file system here can't make.
struct FolderEnumerationCalls {
    decltype(&::FindFirstFileW) find_first = &::FindFirstFileW;
    decltype(&::FindNextFileW) find_next = &::FindNextFileW;
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
