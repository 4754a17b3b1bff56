#include "launcher/owners.h"

#include "platform/file_system_calls.h"
#include "platform/path.h"

namespace tendril {

vrel::Result HandleOwner::Close() noexcept {
    const HANDLE handle = release();
    if (handle == INVALID_HANDLE_VALUE) {
        return 0;
    }
    if (!CloseHandle(handle)) {
        return vrel::ResultFromWin32Error(GetLastError());
    }
    return 0;
}

vrel::Result HandleOwner::OpenFile(const std::wstring& path, std::uint32_t flags,
                                   FileDisposition disposition) noexcept {
    DWORD access = 0;
    if (flags & FileAccessRead)
        access |= GENERIC_READ;
    if (flags & FileAccessWrite)
        access |= GENERIC_WRITE;
    if (flags & FileAccessExecute)
        access |= GENERIC_EXECUTE;
    DWORD share = 0;
    if (flags & FileShareRead)
        share |= FILE_SHARE_READ;
    if (flags & FileShareWrite)
        share |= FILE_SHARE_WRITE;
    if (flags & FileShareDelete)
        share |= FILE_SHARE_DELETE;

    SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    const HANDLE handle = g_fileSystemCalls.create_file(SystemPath(path).c_str(), access, share,
                                                        &security, static_cast<DWORD>(disposition),
                                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD open_error = GetLastError();
    reset(handle);
    if (handle == INVALID_HANDLE_VALUE) {
        return vrel::ResultFromWin32Error(open_error);
    }
    return 0;
}

}  // namespace tendril
