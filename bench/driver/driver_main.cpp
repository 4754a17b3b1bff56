// Times the launcher under Wine from inside Wine; see bench/CMakeLists.txt and scripts/bench.
//   bench_driver launch RUNS WORK [KEY=PATH ...]
//   bench_driver update RUNS WORK FOLDERS FILES_PER_FOLDER
//   bench_driver script RUNS WORK LINES
// WORK is a folder the driver may empty. Rows go to stdout, progress to stderr.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "files.h"
#include "scenarios.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: bench_driver launch RUNS WORK [KEY=PATH ...]\n"
                 "       bench_driver update RUNS WORK FOLDERS FILES_PER_FOLDER\n"
                 "       bench_driver script RUNS WORK LINES\n");
    return 2;
}

int Run(int argc, wchar_t** argv) {
    if (argc < 4) {
        return Usage();
    }
    const std::wstring session = argv[1];
    const int runs = std::wcstol(argv[2], nullptr, 10);
    if (runs < 1) {
        return Usage();
    }
    const std::wstring work = argv[3];
    tendril::bench::MakeFolder(work);
    if (session == L"launch") {
        std::vector<std::pair<std::string, std::wstring>> extra;
        for (int i = 4; i < argc; ++i) {
            const std::wstring pair = argv[i];
            const auto equals = pair.find(L'=');
            if (equals == std::wstring::npos) {
                return Usage();
            }
            extra.emplace_back(tendril::bench::Narrow(pair.substr(0, equals)),
                               pair.substr(equals + 1));
        }
        tendril::bench::RunLaunchSession(runs, work, extra);
    } else if (session == L"update" && argc == 6) {
        tendril::bench::RunUpdateSession(runs, work, std::wcstol(argv[4], nullptr, 10),
                                         std::wcstol(argv[5], nullptr, 10));
    } else if (session == L"script" && argc == 5) {
        tendril::bench::RunScriptSession(runs, work, std::wcstoul(argv[4], nullptr, 10));
    } else {
        return Usage();
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_driver: %s\n", e.what());
        return 1;
    }
}
