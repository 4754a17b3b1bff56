#include "update/run.h"

#include <windows.h>
#include <shlobj.h>

#include <cstddef>
#include <ctime>
#include <exception>
#include <string_view>

#include "launcher/owners.h"
#include "platform/path.h"
#include "update/due.h"
#include "update/session.h"

namespace tendril {
namespace {

constexpr wchar_t kDataKey[] = L"Software\\VelmoraLab\\Tendril23.0\\data";
constexpr wchar_t kDefaultProductSubfolder[] = L"Velmora Lab\\Velmora Tendril 23.0";

// The registry calls that read LastStart. kernel32 exports them from Windows 7 on; taking them
// there spares every start that is not due the load of advapi32 and what it brings along.
// Older systems have them in advapi32 only, which is imported on first call.
struct RegistryReadCalls {
    decltype(&RegOpenKeyExW) open_key = &RegOpenKeyExW;
    decltype(&RegQueryValueExW) query_value = &RegQueryValueExW;
    decltype(&RegCloseKey) close_key = &RegCloseKey;
};

template <typename Function>
bool Resolve(HMODULE module, const char* name, Function& out) noexcept {
    const FARPROC address = GetProcAddress(module, name);
    if (address == nullptr) {
        return false;
    }
    out = reinterpret_cast<Function>(reinterpret_cast<void*>(address));
    return true;
}

RegistryReadCalls RegistryReadCallsOfThisSystem() noexcept {
    RegistryReadCalls kernel32_calls;
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    if (kernel32 != nullptr && Resolve(kernel32, "RegOpenKeyExW", kernel32_calls.open_key) &&
        Resolve(kernel32, "RegQueryValueExW", kernel32_calls.query_value) &&
        Resolve(kernel32, "RegCloseKey", kernel32_calls.close_key)) {
        return kernel32_calls;
    }
    return RegistryReadCalls{};
}

// LastStart as the product last wrote it; 0 when the key or value is missing. Read in the
// process's own registry view, never written.
std::uint32_t ReadLastStart() noexcept {
    const RegistryReadCalls registry = RegistryReadCallsOfThisSystem();
    HKEY key = nullptr;
    if (registry.open_key(HKEY_LOCAL_MACHINE, kDataKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return 0;
    }
    DWORD last = 0;
    DWORD size = sizeof(last);
    registry.query_value(key, L"LastStart", nullptr, nullptr, reinterpret_cast<BYTE*>(&last),
                         &size);
    registry.close_key(key);
    return last;
}

bool IsUpdateRunDue() noexcept {
    const auto now = static_cast<std::uint64_t>(std::time(nullptr));
    return IsUpdateRunDueAt(now, GetTickCount64(), ReadLastStart());
}

// The launcher's folder. An empty folder part is a failure, never a relative folder.
vrel::Result GetInstallFolder(WidePath& out) noexcept {
    WidePath name;
    const vrel::Result code = vrel::GetModulePath(nullptr, name);
    if (vrel::Failed(code)) {
        return code;
    }
    const auto folder = ParentPath(name);
    if (folder.empty()) {
        const vrel::Result error = vrel::ResultFromWin32Error(GetLastError());
        return vrel::Failed(error) ? error : vrel::results::kPathNotFound;
    }
    name.resize(folder.size());
    out = std::move(name);
    return 0;
}

void AppendDefaultProductSubfolder(WidePath& path) {
    AppendPath(path, kDefaultProductSubfolder);
}

// The folder that SHGetSpecialFolderPathW(CSIDL_PROGRAM_FILES) gives is this value of the
// process's own registry view: "C:\Program Files (x86)" for a 32-bit process on 64-bit
// Windows. Read with the calls LastStart is read with, it spares a due run the load of shell32,
// which brings user32 and gdi32 along and cost such a run more than half of its time.
constexpr wchar_t kWindowsVersionKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion";

bool ReadProgramFilesValue(wchar_t (&folder)[MAX_PATH]) noexcept {
    const RegistryReadCalls registry = RegistryReadCallsOfThisSystem();
    HKEY key = nullptr;
    if (registry.open_key(HKEY_LOCAL_MACHINE, kWindowsVersionKey, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    DWORD type = 0;
    DWORD size = sizeof(folder) - sizeof(wchar_t);
    const LSTATUS status = registry.query_value(key, L"ProgramFilesDir", nullptr, &type,
                                                reinterpret_cast<BYTE*>(folder), &size);
    registry.close_key(key);
    // Anything but a plain absolute string ("C:\..." or "\\server\...") is left to the shell,
    // an unexpanded REG_EXPAND_SZ among them.
    const std::size_t length = size / sizeof(wchar_t);
    if (status != ERROR_SUCCESS || type != REG_SZ || length < 3) {
        folder[0] = L'\0';
        return false;
    }
    folder[length] = L'\0';
    const std::wstring_view value(folder);
    const bool absolute = (value.size() >= 3 && value[1] == L':' && IsPathSeparator(value[2])) ||
                          (IsPathSeparator(value[0]) && IsPathSeparator(value[1]));
    if (!absolute) {
        folder[0] = L'\0';
    }
    return absolute;
}

// SHGetSpecialFolderPathW(CSIDL_PROGRAM_FILES) where the registry has no usable value. shell32
// is loaded here, never imported: importing it pulls user32 and gdi32 into every start of the
// product. The buffer stays empty when shell32 or the folder can't be had, as the call would
// leave it.
void ProgramFilesFolder(wchar_t (&folder)[MAX_PATH]) {
    if (ReadProgramFilesValue(folder)) {
        return;
    }
    using GetSpecialFolderPathFunction = BOOL(WINAPI*)(HWND, LPWSTR, int, BOOL);
    // A known DLL: always mapped from the system folder, whatever the search path.
    const ModuleOwner shell32(LoadLibraryW(L"shell32.dll"));
    if (shell32.empty()) {
        return;
    }
    const auto get_special_folder_path = reinterpret_cast<GetSpecialFolderPathFunction>(
        reinterpret_cast<void*>(GetProcAddress(shell32.get(), "SHGetSpecialFolderPathW")));
    if (get_special_folder_path != nullptr) {
        get_special_folder_path(nullptr, folder, CSIDL_PROGRAM_FILES, FALSE);
    }
}

UpdateFolders ResolveUpdateFolders(WidePath install_folder) {
    wchar_t program_files[MAX_PATH] = {};
    ProgramFilesFolder(program_files);
    WidePath default_product(program_files);
    AppendDefaultProductSubfolder(default_product);

    UpdateFolders folders;
    folders.patchFolder = JoinPath(install_folder, L"patch");
    if (PathMissing(folders.patchFolder) != 0) {
        folders.patchFolder = JoinPath(default_product, L"patch");
    }
    folders.registryScriptFolder = JoinPath(install_folder, L"regupd");
    folders.logFolder = JoinPath(install_folder, L"log");
    folders.installFolder = std::move(install_folder);
    return folders;
}

}  // namespace

void RunPendingUpdates() {
    if (!IsUpdateRunDue()) {
        return;
    }
    // Whatever fails here (memory exhaustion, a log that can't be opened) skips the run;
    // the launch must go on.
    try {
        WidePath install_folder;
        if (vrel::Failed(GetInstallFolder(install_folder))) {
            return;
        }
        UpdateSession session(ResolveUpdateFolders(std::move(install_folder)));
        (void)session.Apply();
    } catch (const std::exception&) {
    }
}

}  // namespace tendril
