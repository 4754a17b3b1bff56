// A stand-in for the product's main module: `Run` records the command line it was given in
// run.txt beside the module (UTF-16) and returns the number that follows "--exit=", or 0.
// With "--loaded=NAME" (the last argument) it returns 1 when the DLL NAME is loaded in the
// process at that point and 0 when not: what the launcher loaded before the hand-off.
#include <windows.h>

#include <cwchar>
#include <cwctype>

namespace {

HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

void Record(const wchar_t* command_line) {
    wchar_t path[32768] = {};
    const DWORD n = GetModuleFileNameW(ThisModule(), path, 32768 - 8);
    wchar_t* slash = std::wcsrchr(path, L'\\');
    if (n == 0 || slash == nullptr) {
        return;
    }
    std::wcscpy(slash + 1, L"run.txt");
    const HANDLE file =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    WriteFile(file, command_line, static_cast<DWORD>(std::wcslen(command_line) * sizeof(wchar_t)),
              &written, nullptr);
    CloseHandle(file);
}

}  // namespace

extern "C" __declspec(dllexport) int __cdecl Run(const wchar_t* command_line) {
    Record(command_line);
    if (const wchar_t* loaded = std::wcsstr(command_line, L"--loaded=")) {
        return GetModuleHandleW(loaded + 9) != nullptr ? 1 : 0;
    }
    const wchar_t* exit = std::wcsstr(command_line, L"--exit=");
    return exit != nullptr ? static_cast<int>(std::wcstol(exit + 7, nullptr, 10)) : 0;
}
