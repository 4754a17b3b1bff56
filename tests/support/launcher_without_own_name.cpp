// The launcher with one call changed: its own file name can never be had. Everything else,
// the entry point's guard included, is the real launch.
#include <windows.h>

#include <cstdlib>

#include "launcher/launch.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return tendril::LaunchGuarded(
        __argc, __wargv, [](vrel::WidePath&) noexcept { return vrel::results::kBufferTooSmall; });
}
