// The update run inside this process: once it is over, no handle it opened is left open, on
// the paths that succeed and on those that fail.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "test_support.h"
#include "update/run.h"
#include "update/session.h"

namespace tendril {
namespace {

using testing::TempFolder;
using testing::WriteBytes;

constexpr wchar_t kValueKey[] = L"Software\\VelmoraLab\\TendrilHandleTest";

// The handles this process holds. Wine's GetProcessHandleCount always gives 0, so every
// handle value up to a bound is asked about instead.
std::size_t OpenHandleCount() {
    std::size_t count = 0;
    for (std::uintptr_t value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++count;
        }
    }
    return count;
}

TEST(OpenHandleCountTest, SeesEveryKindOfHandleTheUpdateRunOpens) {
    TempFolder folder;
    ASSERT_TRUE(WriteBytes(folder / L"file.txt", "x"));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);  // the first use of the root opens a handle that stays

    const std::size_t before = OpenHandleCount();
    const HANDLE file = CreateFileW((folder / L"file.txt").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((folder / L"*").c_str(), &entry);
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_READ, &key), ERROR_SUCCESS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenHandleCount(), before + 3);
    CloseHandle(file);
    FindClose(find);
    RegCloseKey(key);
    EXPECT_EQ(OpenHandleCount(), before);
}

// An installation with something for every step, and something in the way of every step.
class UpdateHandleTest : public ::testing::Test {
protected:
    static UpdateFolders FoldersOf(const std::wstring& install) {
        return {install, install + L"\\patch", install + L"\\regupd", install + L"\\log"};
    }

    // A run that gets through: siblings rewritten, tree moved, scripts imported or refused.
    static void RunThatCompletes() {
        TempFolder install;
        ASSERT_TRUE(WriteBytes(install / L"quillon.exe", "MZ quillon"));
        ASSERT_TRUE(WriteBytes(install / L"orbisk.exe", "MZ orbisk"));
        for (const wchar_t* folder : {L"patch", L"patch\\sub", L"regupd", L"sub"}) {
            ASSERT_TRUE(CreateDirectoryW((install / folder).c_str(), nullptr));
        }
        ASSERT_TRUE(WriteBytes(install / L"patch\\sub\\a.txt", "a"));
        ASSERT_TRUE(WriteBytes(install / L"patch\\b.txt", "b"));
        const std::string key_line =
            "[HKEY_LOCAL_MACHINE\\Software\\VelmoraLab\\TendrilHandleTest]\r\n";
        ASSERT_TRUE(WriteBytes(install / L"regupd\\good.regupd", key_line + "\"V\"=\"1\"\r\n"));
        ASSERT_TRUE(WriteBytes(install / L"regupd\\bad.regupd", key_line + "\"V\"=oops\r\n"));
        ASSERT_TRUE(
            WriteBytes(install / L"regupd\\missing-key.regupd",
                       "[HKEY_LOCAL_MACHINE\\Software\\VelmoraLab\\NoSuchKey]\r\n\"V\"=\"1\"\r\n"));
        UpdateSession session(FoldersOf(install.path()));
        EXPECT_FALSE(session.Apply()) << "the bad script stays";
        EXPECT_TRUE(testing::Exists(install / L"sub\\a.txt"));
    }

    // A run where every step meets a failure: a sibling and a staged file held open by this
    // process, a sibling that is a folder, a queue folder that is a file.
    static void RunThatFails() {
        TempFolder install;
        ASSERT_TRUE(WriteBytes(install / L"quillon.exe", "MZ quillon"));
        ASSERT_TRUE(CreateDirectoryW((install / L"orbisk.exe").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW((install / L"patch").c_str(), nullptr));
        ASSERT_TRUE(WriteBytes(install / L"patch\\held.txt", "held"));
        const HANDLE sibling = CreateFileW((install / L"quillon.exe").c_str(), GENERIC_READ, 0,
                                           nullptr, OPEN_EXISTING, 0, nullptr);
        const HANDLE staged = CreateFileW((install / L"patch\\held.txt").c_str(), GENERIC_READ, 0,
                                          nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(sibling, INVALID_HANDLE_VALUE);
        ASSERT_NE(staged, INVALID_HANDLE_VALUE);
        {
            UpdateSession session(FoldersOf(install.path()));
            EXPECT_FALSE(session.Apply());
        }
        CloseHandle(sibling);
        CloseHandle(staged);

        ASSERT_TRUE(WriteBytes(install / L"regupd", "a file in the queue's place"));
        UpdateSession session(FoldersOf(install.path()));
        EXPECT_FALSE(session.Apply());
    }

    // A log that can't be opened ends the run in the session's constructor.
    static void RunWithoutALog() {
        TempFolder install;
        ASSERT_TRUE(WriteBytes(install / L"log", "not a folder"));
        EXPECT_THROW(UpdateSession{FoldersOf(install.path())}, std::runtime_error);
    }

    // The launcher's entry to the update run, stopped at its gate: LastStart lies ahead.
    static void RunThatIsNotDue() {
        const DWORD future = 0xFFFFFFFF;
        ASSERT_TRUE(testing::SetLastStart(&future));
        RunPendingUpdates();
        ASSERT_TRUE(testing::SetLastStart(nullptr));
    }

    testing::ScopedRegistryKey key_{kValueKey};
};

TEST_F(UpdateHandleTest, NoHandleIsLeftOpenAfterAnUpdateRun) {
    ASSERT_TRUE(key_.created());
    const struct {
        const char* name;
        std::function<void()> run;
    } runs[] = {
        {"completes", RunThatCompletes},
        {"fails", RunThatFails},
        {"has no log", RunWithoutALog},
        {"is not due", RunThatIsNotDue},
    };
    // The first round opens what the system keeps for the process's life (the registry root,
    // the time zone); only the second round is counted.
    for (const auto& run : runs) {
        run.run();
    }
    for (const auto& run : runs) {
        const std::size_t before = OpenHandleCount();
        run.run();
        EXPECT_EQ(OpenHandleCount(), before) << "a run that " << run.name;
    }
}

}  // namespace
}  // namespace tendril
