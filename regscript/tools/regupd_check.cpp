// regupd-check FILE...: shows what the launcher would import from each registry script.
// Exits 1 when any file would be rejected.
#include "script_check.h"

#include "regscript/narrow.h"

#include <filesystem>
#include <iostream>

namespace {

int CheckAll(int argc, auto** argv, auto to_path) {
    if (argc < 2) {
        std::cerr << "usage: regupd-check FILE...\n";
        return 2;
    }
    bool all_accepted = true;
    for (int i = 1; i < argc; ++i) {
        std::wstring path;
        std::string shown;
        if (!to_path(argv[i], path, shown)) {
            std::cerr << shown << ": cannot be named as a wide path\n";
            all_accepted = false;
            continue;
        }
        all_accepted &= tendril::CheckRegistryScript(path, shown, std::cout, std::cerr);
    }
    return all_accepted ? 0 : 1;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    return CheckAll(argc, argv, [](const wchar_t* arg, std::wstring& path, std::string& shown) {
        path = arg;
        shown = tendril::NarrowForMessage(path);
        return true;
    });
}
#else
int main(int argc, char** argv) {
    return CheckAll(argc, argv, [](const char* arg, std::wstring& path, std::string& shown) {
        shown = arg;
        try {
            // Same encoding rules as the stream uses to turn the wide path back into bytes.
            path = std::filesystem::path(arg).wstring();
            return true;
        } catch (const std::exception&) {
            return false;
        }
    });
}
#endif
