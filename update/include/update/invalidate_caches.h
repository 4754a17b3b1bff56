// Rewriting the product's two sibling executables as new files with the same bytes.
#pragma once

#include <windows.h>

#include "launcher/owners.h"
#include "platform/file_system_calls.h"
#include "platform/path.h"
#include "update/update_log.h"

namespace tendril {

// The file system calls of one rewrite. Only tests replace them: they make each step fail,
// which a real file system can't be told to do on demand.
struct RewriteCalls {
    using OpenFunction = vrel::Result (*)(HandleOwner& file, const WidePath& path,
                                          std::uint32_t flags, FileDisposition disposition);
    using CloseFunction = vrel::Result (*)(HandleOwner& file);

    OpenFunction open = [](HandleOwner& file, const WidePath& path, std::uint32_t flags,
                           FileDisposition disposition) {
        return file.OpenFile(path, flags, disposition);
    };
    decltype(&::GetFileSizeEx) get_size = &::GetFileSizeEx;
    decltype(&::ReadFile) read = &::ReadFile;
    decltype(&::WriteFile) write = &::WriteFile;
    decltype(&::FlushFileBuffers) flush = &::FlushFileBuffers;
    CloseFunction close = [](HandleOwner& file) { return file.Close(); };
    decltype(&::MoveFileExW) replace = g_fileSystemCalls.move_file;
};

// Replaces quillon.exe, then orbisk.exe, in `folder` by a new file with the same bytes. The
// copy is written and flushed beside the original and moved over it in one step, so that a
// failure at any point leaves the original as it was. Each failure is one log entry.
void InvalidateCaches(const WidePath& folder, UpdateLog& log, const RewriteCalls& calls = {});

}  // namespace tendril
