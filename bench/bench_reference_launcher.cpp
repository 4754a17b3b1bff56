// The least a launcher can do, as the yardstick for tendril.exe: load ulmo.dll beside it by
// its full path, find Run, call it and end the process the way the launcher does.
#include <windows.h>

using RunFunction = int(__cdecl*)(const wchar_t* command_line);

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t path[MAX_PATH + 16];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    while (length > 0 && path[length - 1] != L'\\') {
        --length;
    }
    lstrcpyW(path + length, L"ulmo.dll");
    const HMODULE module = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (module == nullptr) {
        return 208;
    }
    const auto run =
        reinterpret_cast<RunFunction>(reinterpret_cast<void*>(GetProcAddress(module, "Run")));
    if (run == nullptr) {
        return 208;
    }
    const UINT exit_code = static_cast<UINT>(run(GetCommandLineW()));
    TerminateProcess(GetCurrentProcess(), exit_code);
    ExitProcess(exit_code);
}
