#include <windows.h>

#include <exception>
#include <string>

#include "launcher/arguments.h"
#include "launcher/launch.h"
#include "launcher/owners.h"
#include "platform/check_failure.h"
#include "platform/path.h"
#include "platform/util/module"
#include "regscript/widen.h"
#include "update/log_format.h"
#include "update/run.h"

namespace tendril {
namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
using RunFunction = int(__cdecl*)(const wchar_t* command_line);

constexpr DWORD kSearchDefaultDirs = 0x1000;  // LOAD_LIBRARY_SEARCH_DEFAULT_DIRS
constexpr UINT kQuietErrorMode = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;

// A failed launch says why to a debugger (or DebugView), as the system's own libraries do; the
// user who started the product sees nothing, and the exit code alone can't tell the causes
// apart. One line each; `compose` gives its text, and may fail for lack of memory.
template <typename Compose>
void ReportLaunchFailure(Compose compose) noexcept {
    try {
        OutputDebugStringW((L"tendril: " + compose() + L"\n").c_str());
    } catch (...) {
        OutputDebugStringW(L"tendril: launch failed\n");
    }
}

// "0x" and eight lowercase hex digits, as the update log writes a result code.
std::wstring HexResult(vrel::Result code) {
    std::string text;
    AppendResult(text, code);
    return WidenScriptText(text);
}

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
    if (folder.empty()) {
        return folder;
    }
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
    if (path.empty()) {
        // A bare "ulmo.dll" would be searched for, not loaded from the launcher's folder.
        ReportLaunchFailure([] {
            return std::wstring(
                L"the launcher's own file name has no folder, so the main "
                L"module is not loaded");
        });
        return kLaunchFailedExitCode;
    }
    ModuleOwner module(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (module.empty()) {
        const DWORD error = GetLastError();
        ReportLaunchFailure([&] {
            return L"cannot load the main module '" + path + L"', error " + std::to_wstring(error);
        });
        return kLaunchFailedExitCode;
    }
    const auto run =
        reinterpret_cast<RunFunction>(reinterpret_cast<void*>(GetProcAddress(module.get(), "Run")));
    if (run == nullptr) {
        ReportLaunchFailure([&] { return L"the main module '" + path + L"' has no export Run"; });
        return kLaunchFailedExitCode;
    }
    EndProcess(run(GetCommandLineW()));
}

int LaunchGuarded(int argc, const wchar_t* const* argv, OwnFileNameGetter get_name) noexcept {
    try {
        return Launch(argc, argv, get_name);
    } catch (const vrel::CheckResultFailedException& failure) {
        ReportLaunchFailure([&] {
            return L"check failed at " +
                   WidenScriptText(failure.File() != nullptr ? failure.File() : "") + L":" +
                   std::to_wstring(failure.Line()) + L", result " +
                   HexResult(vrel::ResultOf(failure));
        });
    } catch (const std::exception& failure) {
        ReportLaunchFailure([&] { return L"launch failed: " + WidenScriptText(failure.what()); });
    } catch (...) {
        ReportLaunchFailure([] { return std::wstring(L"launch failed"); });
    }
    return kLaunchFailedExitCode;
}

}  // namespace tendril
