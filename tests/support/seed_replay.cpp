// Runs a fuzz target once on every file of the folders given, as libFuzzer runs its seeds, so
// that the seeds also run in the shipped 32-bit build (libFuzzer itself builds only for the
// host). A broken property aborts; an empty folder is a failure too, since nothing was shown.
//   <replay>.exe FOLDER...
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool ReadWhole(const std::wstring& path, std::vector<std::uint8_t>& bytes) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER size{};
    bool read = GetFileSizeEx(file, &size) && size.QuadPart < (1 << 30);
    if (read) {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD done = 0;
        read = bytes.empty() ||
               (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
                done == bytes.size());
    }
    CloseHandle(file);
    return read;
}

// The number of files run, or -1 when the folder can't be listed or a file can't be read.
int ReplayFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW entry{};
    const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
        std::fwprintf(stderr, L"can't list %ls (error %lu)\n", folder.c_str(), GetLastError());
        return -1;
    }
    int run = 0;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            continue;
        }
        const std::wstring path = folder + L"\\" + entry.cFileName;
        std::vector<std::uint8_t> bytes;
        if (!ReadWhole(path, bytes)) {
            std::fwprintf(stderr, L"can't read %ls\n", path.c_str());
            FindClose(find);
            return -1;
        }
        std::wprintf(L"%ls (%zu bytes)\n", path.c_str(), bytes.size());
        std::fflush(stdout);
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
        ++run;
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return run;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: %ls FOLDER...\n", argv[0]);
        return 2;
    }
    for (int i = 1; i < argc; ++i) {
        const int run = ReplayFolder(argv[i]);
        if (run <= 0) {
            std::fwprintf(stderr, L"%ls: no seed run\n", argv[i]);
            return 1;
        }
    }
    std::wprintf(L"every seed ran without breaking a property\n");
    return 0;
}
