#include "timed_process.h"

#include <stdexcept>
#include <vector>

namespace tendril::bench {
namespace {

constexpr DWORD kTimeoutMs = 300'000;

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

}  // namespace

ProcessRun RunTimed(const std::wstring& command_line, const std::wstring& folder) {
    std::vector<wchar_t> line(command_line.begin(), command_line.end());
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};

    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process)) {
        throw std::runtime_error("cannot start " + Narrow(command_line) + ", error " +
                                 std::to_string(GetLastError()));
    }
    const DWORD waited = WaitForSingleObject(process.hProcess, kTimeoutMs);
    LARGE_INTEGER end;
    QueryPerformanceCounter(&end);

    ProcessRun run;
    run.seconds = Seconds(start, end);
    if (waited != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
    }
    GetExitCodeProcess(process.hProcess, &run.exit_code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (waited != WAIT_OBJECT_0) {
        throw std::runtime_error("no end within five minutes: " + Narrow(command_line));
    }
    return run;
}

}  // namespace tendril::bench
