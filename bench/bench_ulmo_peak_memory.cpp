// A main module whose Run returns the process's peak working set in KiB as the exit code:
// the launcher's own peak, update run included. Wine clears a process's counters when it
// ends, so the driver can't read them from outside afterwards.
#include <windows.h>
#include <psapi.h>

extern "C" __declspec(dllexport) int __cdecl Run(const wchar_t*) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters))) {
        return 0;
    }
    return static_cast<int>(counters.PeakWorkingSetSize / 1024);
}
