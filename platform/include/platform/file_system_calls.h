// The file system calls of the update run that take a path, in one table. Production code
// calls the system through it; tests put Windows' own rules in its place where Wine is more
// permissive (a plain path of MAX_PATH or more, a replace onto a read-only file), so that what
// passes here also passes on Windows.
#pragma once

#include <windows.h>

namespace tendril {

struct FileSystemCalls {
    decltype(&::CreateFileW) create_file = &::CreateFileW;
    decltype(&::FindFirstFileW) find_first_file = &::FindFirstFileW;
    decltype(&::FindNextFileW) find_next_file = &::FindNextFileW;
    decltype(&::CreateDirectoryW) create_directory = &::CreateDirectoryW;
    decltype(&::RemoveDirectoryW) remove_directory = &::RemoveDirectoryW;
    decltype(&::MoveFileExW) move_file = &::MoveFileExW;
    decltype(&::DeleteFileW) delete_file = &::DeleteFileW;
    decltype(&::GetFileAttributesW) get_file_attributes = &::GetFileAttributesW;
};

// The calls in use: the system's unless a test put others in their place. One thread only, as
// everything in this program; a test swaps them while nothing else runs.
extern FileSystemCalls g_fileSystemCalls;

// Puts `calls` in place for its scope and puts the previous ones back.
class ScopedFileSystemCalls {
public:
    explicit ScopedFileSystemCalls(const FileSystemCalls& calls) noexcept
        : previous_(g_fileSystemCalls) {
        g_fileSystemCalls = calls;
    }
    ~ScopedFileSystemCalls() { g_fileSystemCalls = previous_; }
    ScopedFileSystemCalls(const ScopedFileSystemCalls&) = delete;
    ScopedFileSystemCalls& operator=(const ScopedFileSystemCalls&) = delete;

private:
    FileSystemCalls previous_;
};

}  // namespace tendril
