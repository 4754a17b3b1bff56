// Every cause of exit code 208 says why to a debugger, one line each, never to the user: read
// here as DebugView reads it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "debug_output.h"
#include "test_support.h"

namespace tendril {
namespace {

using testing::CopyBuildOutput;
using testing::Exists;
using testing::Narrow;
using testing::TempFolder;

struct FailureCase {
    const char* name;
    const wchar_t* launcher;     // the build to install as tendril.exe
    const wchar_t* main_module;  // the build to install as ulmo.dll, "" for a text, or none
    const char* line;            // the expected line; "$" stands for the main module's path
};

class LaunchFailureReportTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(LaunchFailureReportTest, EachCauseOfExitCode208WritesOneLine) {
    const FailureCase& c = GetParam();
    const testing::DebugOutputCapture capture;
    ASSERT_TRUE(capture.ready()) << "another reader holds DBWIN_BUFFER";
    TempFolder install;
    ASSERT_TRUE(CopyBuildOutput(c.launcher, install / L"tendril.exe"));
    if (c.main_module != nullptr && *c.main_module == L'\0') {
        ASSERT_TRUE(testing::WriteBytes(install / L"ulmo.dll", "not an image"));
    } else if (c.main_module != nullptr) {
        ASSERT_TRUE(CopyBuildOutput(c.main_module, install / L"ulmo.dll"));
    }

    DWORD process_id = 0;
    // Started in its own folder: a bare "ulmo.dll" would be found there.
    EXPECT_EQ(testing::RunToExit(install / L"tendril.exe", L"tendril.exe", install.path(), 60000,
                                 &process_id),
              208u);
    EXPECT_FALSE(Exists(install / L"run.txt")) << "Run was called";
    std::vector<std::string> lines;
    for (int waited = 0; waited < 2000 && lines.empty(); waited += 20) {
        Sleep(20);
        lines = capture.Of(process_id);
    }
    std::string expected = c.line;
    if (const auto at = expected.find('$'); at != std::string::npos) {
        expected.replace(at, 1, Narrow(install / L"ulmo.dll"));
    }
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], expected + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Causes, LaunchFailureReportTest,
    ::testing::Values(
        FailureCase{"MainModuleMissing", L"tendril.exe", nullptr,
                    "tendril: cannot load the main module '$', error 126"},
        FailureCase{"MainModuleNotAnImage", L"tendril.exe", L"",
                    "tendril: cannot load the main module '$', error 193"},
        FailureCase{"RunMissing", L"tendril.exe", L"ulmo_without_run.dll",
                    "tendril: the main module '$' has no export Run"},
        FailureCase{"OwnNameCheckFails", L"launcher_without_own_name.exe", L"ulmo_recorder.dll",
                    "tendril: check failed at platform\\include\\platform\\util\\module:30, "
                    "result 0x80000044"},
        FailureCase{"OwnNameHasNoFolder", L"launcher_with_bare_own_name.exe", L"ulmo_recorder.dll",
                    "tendril: the launcher's own file name has no folder, so the main module is "
                    "not loaded"}),
    [](const ::testing::TestParamInfo<FailureCase>& param) { return param.param.name; });

}  // namespace
}  // namespace tendril
