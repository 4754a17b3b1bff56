// The real launcher in a temporary installation: what `Run` receives and how the process ends.
#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace tendril {
namespace {

using testing::CopyBuildOutput;
using testing::Exists;
using testing::RecordedCommandLine;
using testing::RunToExit;
using testing::TempFolder;

constexpr DWORD kLaunchFailed = 208;

class LauncherTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CopyBuildOutput(L"tendril.exe", launcher_)); }

    void InstallMainModule(const std::wstring& built_name) {
        ASSERT_TRUE(CopyBuildOutput(built_name, install_ / L"ulmo.dll"));
    }

    TempFolder install_;
    const std::wstring launcher_ = install_ / L"tendril.exe";
};

TEST_F(LauncherTest, ExitCodeIsTheResultOfRun) {
    InstallMainModule(L"ulmo_recorder.dll");
    for (const int code : {0, 7, 300, 70000, -5}) {
        const std::wstring line = L"\"" + launcher_ + L"\" --exit=" + std::to_wstring(code);
        const auto exit_code = RunToExit(launcher_, line);
        ASSERT_TRUE(exit_code.has_value()) << code;
        EXPECT_EQ(*exit_code, static_cast<DWORD>(code)) << code;
    }
}

TEST_F(LauncherTest, RunReceivesTheWholeCommandLineUnchanged) {
    InstallMainModule(L"ulmo_recorder.dll");
    const std::wstring lines[] = {
        L"\"" + launcher_ + L"\"",
        L"\"" + launcher_ + L"\" -r",
        L"\"" + launcher_ + L"\"  -r   \"two words\" \"quote \\\" inside\" -R /r",
        L"tendril \t-r -r",
    };
    for (const auto& line : lines) {
        ASSERT_EQ(RunToExit(launcher_, line), 0u);
        EXPECT_EQ(RecordedCommandLine(install_.path()), line);
    }
}

TEST_F(LauncherTest, MissingMainModuleEndsWith208) {
    EXPECT_EQ(RunToExit(launcher_, L"tendril.exe"), kLaunchFailed);
}

TEST_F(LauncherTest, MainModuleWithoutRunEndsWith208) {
    InstallMainModule(L"ulmo_without_run.dll");
    EXPECT_EQ(RunToExit(launcher_, L"tendril.exe --exit=5"), kLaunchFailed);
}

TEST_F(LauncherTest, MainModuleInTheCurrentFolderIsNotLoaded) {
    TempFolder elsewhere;
    ASSERT_TRUE(CopyBuildOutput(L"ulmo_recorder.dll", elsewhere / L"ulmo.dll"));
    EXPECT_EQ(RunToExit(launcher_, L"tendril.exe --exit=5", elsewhere.path()), kLaunchFailed);
    EXPECT_FALSE(Exists(elsewhere / L"run.txt"));
}

// A failed check of the own file name must end quietly: no abort report, nothing loaded.
TEST_F(LauncherTest, FailedCheckOfTheOwnFileNameEndsWith208AndLoadsNothing) {
    InstallMainModule(L"ulmo_recorder.dll");
    ASSERT_TRUE(CopyBuildOutput(L"launcher_without_own_name.exe", launcher_));
    EXPECT_EQ(RunToExit(launcher_, L"tendril.exe --exit=5", L"", 20000), kLaunchFailed);
    EXPECT_FALSE(Exists(install_ / L"run.txt"));
}

TEST(LauncherInDriveRootTest, LoadsTheMainModuleFromTheRoot) {
    const std::wstring launcher = L"C:\\tendril-root-test.exe";
    const std::wstring module = L"C:\\ulmo.dll";
    ASSERT_FALSE(Exists(module)) << "a stray C:\\ulmo.dll would hide the result";
    ASSERT_TRUE(CopyBuildOutput(L"tendril.exe", launcher));
    ASSERT_TRUE(CopyBuildOutput(L"ulmo_recorder.dll", module));

    const auto exit_code = RunToExit(launcher, L"C:\\tendril-root-test.exe --exit=17");
    const auto recorded = RecordedCommandLine(L"C:");

    DeleteFileW(launcher.c_str());
    DeleteFileW(module.c_str());
    DeleteFileW(L"C:\\run.txt");
    EXPECT_EQ(exit_code, 17u);
    EXPECT_EQ(recorded, L"C:\\tendril-root-test.exe --exit=17");
}

}  // namespace
}  // namespace tendril
