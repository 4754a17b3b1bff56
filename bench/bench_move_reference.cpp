// The yardstick for the update run's file moves: the same walk of the patch folder and the
// same CreateDirectoryW, MoveFileExW and RemoveDirectoryW calls, in the same order, with no
// log, then the hand-off to ulmo.dll as in the reference launcher.
#include <windows.h>

#include <string>

namespace {

using RunFunction = int(__cdecl*)(const wchar_t* command_line);

bool MoveTree(const std::wstring& source, const std::wstring& target) {
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((source + L"\\*.*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    bool all_moved = true;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        const std::wstring from = source + L"\\" + name;
        const std::wstring to = target + L"\\" + name;
        const DWORD attributes = entry.dwFileAttributes;
        bool moved;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            CreateDirectoryW(to.c_str(), nullptr);
            moved = MoveTree(from, to);
        } else {
            moved = MoveFileExW(from.c_str(), to.c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        }
        all_moved = all_moved && moved;
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    if (all_moved) {
        RemoveDirectoryW(source.c_str());
    }
    return all_moved;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t path[MAX_PATH + 16];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    while (length > 1 && path[length - 1] != L'\\') {
        --length;
    }
    const std::wstring folder(path, length - 1);
    MoveTree(folder + L"\\patch", folder);

    const HMODULE module =
        LoadLibraryExW((folder + L"\\ulmo.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    const auto run =
        module == nullptr
            ? nullptr
            : reinterpret_cast<RunFunction>(reinterpret_cast<void*>(GetProcAddress(module, "Run")));
    if (run == nullptr) {
        return 208;
    }
    const UINT exit_code = static_cast<UINT>(run(GetCommandLineW()));
    TerminateProcess(GetCurrentProcess(), exit_code);
    ExitProcess(exit_code);
}
