// The launcher with one call changed: its own file name comes back without a folder, as a
// system could hand it over. Everything else, the entry point's guard included, is the real
// launch.
#include <windows.h>

#include <cstdlib>

#include "launcher/launch.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return tendril::LaunchGuarded(__argc, __wargv, [](vrel::WidePath& name) noexcept {
        name = L"tendril.exe";
        return vrel::Result{0};
    });
}
