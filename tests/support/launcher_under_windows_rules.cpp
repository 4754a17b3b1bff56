// The launcher with Windows' file system rules over Wine's: what this build does under Wine is
// what the shipped one does on Windows, where Wine would let a plain long path or a replace
// onto a read-only file through.
#include <windows.h>

#include <cstdlib>

#include "launcher/launch.h"
#include "platform/util/module"
#include "windows_rules.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    tendril::g_fileSystemCalls = tendril::testing::WindowsRulesOver(tendril::g_fileSystemCalls);
    return tendril::LaunchGuarded(__argc, __wargv, &vrel::GetCurrentModuleFileName);
}
