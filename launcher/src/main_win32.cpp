// The launcher's entry point.
#include <windows.h>

#include <cstdlib>

#include "launcher/launch.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Nothing may leave the entry point: an uncaught exception ends in abort(), whose report
    // can put a window in front of a user who only started the product.
    try {
        return tendril::Launch(__argc, __wargv);
    } catch (...) {
        return tendril::kLaunchFailedExitCode;
    }
}
