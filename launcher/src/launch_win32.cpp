#include <windows.h>

#include "launcher/arguments.h"
#include "launcher/launch.h"
#include "launcher/owners.h"
#include "platform/path.h"
#include "platform/util/module"
#include "update/run.h"

namespace tendril {
namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
using RunFunction = int(__cdecl*)(const wchar_t* command_line);

constexpr DWORD kSearchDefaultDirs = 0x1000;  // LOAD_LIBRARY_SEARCH_DEFAULT_DIRS
constexpr UINT kQuietErrorMode = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;

}  // namespace

vrel::Result EnableDefaultDllDirectories() noexcept {
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    if (kernel32 == nullptr) {
        return vrel::results::kNotSupported;
    }
    const auto set_default_dll_directories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel32, "SetDefaultDllDirectories")));
    if (set_default_dll_directories == nullptr) {
        return vrel::results::kNotSupported;
    }
    if (!set_default_dll_directories(kSearchDefaultDirs)) {
        return vrel::ResultFromWin32Error(GetLastError());
    }
    return 0;
}

vrel::WidePath MainModulePath(OwnFileNameGetter get_name) {
    const vrel::WidePath name = vrel::CurrentModuleFileName(get_name);
    WidePath folder(ParentPath(name));
    AppendPath(folder, L"ulmo.dll");
    return folder;
}

void EndProcess(int exit_code) noexcept {
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exit_code));
    ExitProcess(static_cast<UINT>(exit_code));
}

int Launch(int argc, const wchar_t* const* argv, OwnFileNameGetter get_name) {
    SetDllDirectoryW(L"");
    (void)EnableDefaultDllDirectories();
    SetErrorMode(kQuietErrorMode);

    RunAtUpdateSwitch(argc, argv, [] { RunPendingUpdates(); });

    const WidePath path = MainModulePath(get_name);
    ModuleOwner module(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (module.empty()) {
        return kLaunchFailedExitCode;
    }
    const auto run =
        reinterpret_cast<RunFunction>(reinterpret_cast<void*>(GetProcAddress(module.get(), "Run")));
    if (run == nullptr) {
        return kLaunchFailedExitCode;
    }
    EndProcess(run(GetCommandLineW()));
}

int LaunchGuarded(int argc, const wchar_t* const* argv, OwnFileNameGetter get_name) noexcept {
    try {
        return Launch(argc, argv, get_name);
    } catch (...) {
        return kLaunchFailedExitCode;
    }
}

}  // namespace tendril
