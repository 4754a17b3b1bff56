// A main module whose Run returns at once: what is timed is the launcher alone.
#include <windows.h>

extern "C" __declspec(dllexport) int __cdecl Run(const wchar_t*) {
    return 0;
}
