// The real launcher with "-r" in a temporary installation: when the update run happens, the
// folders it uses and the log it leaves.
#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "test_support.h"

namespace tendril {
namespace {

using testing::CopyBuildOutput;
using testing::Exists;
using testing::ReadBytes;
using testing::RunToExit;
using testing::TempFolder;

constexpr wchar_t kDataKey[] = L"Software\\VelmoraLab\\Tendril23.0\\data";

// Sets or removes LastStart in the view the launcher reads.
void SetLastStart(const DWORD* value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kDataKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    if (value == nullptr) {
        RegDeleteValueW(key, L"LastStart");
    } else {
        RegSetValueExW(key, L"LastStart", 0, REG_DWORD, reinterpret_cast<const BYTE*>(value),
                       sizeof(*value));
    }
    RegCloseKey(key);
}

std::wstring TodaysLogName() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &now);
    return L"patch_" + std::to_wstring(local.tm_year + 1900) + L"." +
           std::to_wstring(local.tm_mon + 1) + L"." + std::to_wstring(local.tm_mday) + L".log";
}

class UpdateRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CopyBuildOutput(L"tendril.exe", install_ / L"tendril.exe"));
        ASSERT_TRUE(CopyBuildOutput(L"ulmo_recorder.dll", install_ / L"ulmo.dll"));
        SetLastStart(nullptr);
    }
    void TearDown() override { SetLastStart(nullptr); }

    std::optional<DWORD> Launch(const std::wstring& arguments) {
        return RunToExit(install_ / L"tendril.exe", L"tendril.exe " + arguments);
    }

    TempFolder install_;
};

TEST_F(UpdateRunTest, MissingLastStartMakesTheRunHappen) {
    EXPECT_EQ(Launch(L"-r --exit=3"), 3u);
    EXPECT_TRUE(Exists(install_ / L"log\\" + TodaysLogName()));
}

TEST_F(UpdateRunTest, RunIsDueOnlyWhileLastStartLiesBeforeTheBoot) {
    struct Case {
        const char* name;
        DWORD last_start;
        bool due;
    };
    const DWORD now = static_cast<DWORD>(std::time(nullptr));
    const DWORD boot = now - static_cast<DWORD>(GetTickCount64() / 1000);
    const Case cases[] = {
        {"long before boot", 1, true},
        {"a minute before boot", boot - 60, true},
        {"after boot", now - 1, false},
        {"in the future", 0xFFFFFFFF, false},
    };
    for (const auto& c : cases) {
        testing::RemoveTree(install_ / L"log");
        SetLastStart(&c.last_start);
        EXPECT_EQ(Launch(L"-r --exit=4"), 4u) << c.name;
        EXPECT_EQ(Exists(install_ / L"log"), c.due) << c.name;
    }
}

TEST_F(UpdateRunTest, WithoutTheSwitchNothingIsTouched) {
    EXPECT_EQ(Launch(L"-R /r -r1 --exit=5"), 5u);
    EXPECT_FALSE(Exists(install_ / L"log"));
}

TEST_F(UpdateRunTest, FileInPlaceOfTheLogFolderEndsTheRunQuietly) {
    ASSERT_TRUE(testing::WriteBytes(install_ / L"log", "not a folder"));
    EXPECT_EQ(Launch(L"-r --exit=6"), 6u);
    EXPECT_EQ(ReadBytes(install_ / L"log"), std::optional<std::string>("not a folder"));
}

TEST_F(UpdateRunTest, TwoRunsOnOneDayAppendToOneFile) {
    const std::wstring log = install_ / L"log\\" + TodaysLogName();
    ASSERT_TRUE(CreateDirectoryW((install_ / L"log").c_str(), nullptr));
    ASSERT_TRUE(testing::WriteBytes(log, "earlier\r\n"));
    EXPECT_EQ(Launch(L"-r"), 0u);
    EXPECT_EQ(Launch(L"-r"), 0u);
    const auto bytes = ReadBytes(log);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->rfind("earlier\r\n", 0), 0u) << "existing entries are kept in front";
}

}  // namespace
}  // namespace tendril
