#include <windows.h>

#include "platform/path.h"

#include "platform/file_system_calls.h"

namespace tendril {

vrel::Result PathMissing(const WidePath& path) noexcept {
    if (g_fileSystemCalls.get_file_attributes(SystemPath(path).c_str()) !=
        INVALID_FILE_ATTRIBUTES) {
        return 0;
    }
    const vrel::Result code = vrel::ResultFromWin32Error(GetLastError());
    if (code == vrel::results::kFileNotFound || code == vrel::results::kPathNotFound) {
        return 1;
    }
    return code;
}

}  // namespace tendril
