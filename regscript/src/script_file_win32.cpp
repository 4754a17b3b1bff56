#include "script_file.h"

#include <windows.h>

#include <algorithm>
#include <limits>

#include "platform/file_system_calls.h"
#include "platform/path.h"

namespace tendril {

ScriptFile::ScriptFile(const std::wstring& path)
    // A folder does not open without FILE_FLAG_BACKUP_SEMANTICS, which is what a script needs.
    : handle_(g_fileSystemCalls.create_file(SystemPath(path).c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (!is_open()) {
        open_error_ = GetLastError();
    }
}

ScriptFile::~ScriptFile() {
    if (is_open()) {
        CloseHandle(handle_);
    }
}

bool ScriptFile::is_open() const noexcept {
    return handle_ != INVALID_HANDLE_VALUE;
}

std::size_t ScriptFile::SizeHint() const noexcept {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle_, &size) || size.QuadPart < 0) {
        return 0;
    }
    // Leaves room for the one byte more that ReadAll asks for.
    return static_cast<std::size_t>(
        std::min<unsigned long long>(static_cast<unsigned long long>(size.QuadPart),
                                     std::numeric_limits<std::size_t>::max() / 2));
}

std::size_t ScriptFile::ReadSome(char* buffer, std::size_t size) noexcept {
    const auto request = static_cast<DWORD>(std::min<std::size_t>(size, DWORD{1} << 30));
    DWORD read = 0;
    if (!ReadFile(handle_, buffer, request, &read, nullptr)) {
        return 0;
    }
    return read;
}

}  // namespace tendril
