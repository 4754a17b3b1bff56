// Windows' own refusals over Wine's file system, which allows more: put in place of the update
// run's file calls, they make a test fail here where the launcher would fail on Windows.
#pragma once

#include "platform/file_system_calls.h"

namespace tendril::testing {

// The calls below `under`, each refusing what Windows refuses, with Windows' error:
// - a path without the "\\?\" prefix of MAX_PATH (260) units or more, for every call
//   (ERROR_PATH_NOT_FOUND), and of MAX_PATH - 12 or more for a folder to be created, which must
//   leave room for an 8.3 name (ERROR_FILENAME_EXCED_RANGE): "Maximum Path Length Limitation",
//   learn.microsoft.com/windows/win32/fileio/maximum-file-path-limitation;
// - MoveFileExW with MOVEFILE_REPLACE_EXISTING onto an existing read-only file, and DeleteFileW
//   of a read-only file (ERROR_ACCESS_DENIED): DeleteFileW's documentation ("If an application
//   attempts to delete a file that is read-only, the function fails with ERROR_ACCESS_DENIED"),
//   and the same rule for the file a move replaces, which is deleted in its course.
// `under` is kept for the calls' lifetime: one set of rules per process.
FileSystemCalls WindowsRulesOver(const FileSystemCalls& under);

}  // namespace tendril::testing
