// The launcher's entry point.
#include <windows.h>

#include <cstdlib>

#include "launcher/launch.h"
#include "platform/util/module"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return tendril::LaunchGuarded(__argc, __wargv, &vrel::GetCurrentModuleFileName);
}
