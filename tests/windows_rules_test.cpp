// The update run under Windows' file system rules, which Wine does not enforce: paths of any
// length (a staged tree deeper than MAX_PATH) and read-only installed files.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/file_system_calls.h"
#include "test_support.h"
#include "update/move_tree.h"
#include "update/update_log.h"
#include "windows_rules.h"

namespace tendril {
namespace {

using testing::Exists;
using testing::Narrow;
using testing::ReadBytes;
using testing::RunToExit;
using testing::TempFolder;
using testing::WriteBytes;

// Folders below `root` (plain, short) whose names add up to about `depth` characters;
// created through the extended form, which Windows takes at any length. Gives the deepest.
std::wstring MakeDeepFolder(const std::wstring& root, std::size_t depth) {
    std::wstring folder = root;
    for (int i = 0; folder.size() < root.size() + depth; ++i) {
        folder += L"\\level" + std::to_wstring(i) + L"-" + std::wstring(40, L'x');
        if (!CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr)) {
            return {};
        }
    }
    return folder;
}

bool SetReadOnly(const std::wstring& path) {
    return SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY) != 0;
}

TEST(WindowsRulesTest, RefuseWhatWindowsRefusesWithItsErrors) {
    const FileSystemCalls rules = testing::WindowsRulesOver(FileSystemCalls{});
    TempFolder root;
    const std::wstring deep = MakeDeepFolder(root.path(), 300);
    ASSERT_FALSE(deep.empty());
    const std::wstring long_file = deep + L"\\file.txt";

    SetLastError(0);
    EXPECT_EQ(
        rules.create_file(long_file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr),
        INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    const HANDLE file = rules.create_file((L"\\\\?\\" + long_file).c_str(), GENERIC_WRITE, 0,
                                          nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "the extended form is taken at any length";
    CloseHandle(file);

    const std::wstring folder = root / std::wstring(MAX_PATH - 12 - 1 - root.path().size(), L'f');
    ASSERT_EQ(folder.size(), static_cast<std::size_t>(MAX_PATH - 12));
    EXPECT_FALSE(rules.create_directory(folder.c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_TRUE(rules.create_directory(folder.substr(0, folder.size() - 1).c_str(), nullptr));

    const std::wstring read_only = root / L"read-only.txt";
    const std::wstring writable = root / L"writable.txt";
    const std::wstring staged = root / L"staged.txt";
    ASSERT_TRUE(WriteBytes(read_only, "installed"));
    ASSERT_TRUE(WriteBytes(writable, "installed"));
    ASSERT_TRUE(WriteBytes(staged, "staged"));
    ASSERT_TRUE(SetReadOnly(read_only));
    EXPECT_FALSE(rules.move_file(staged.c_str(), read_only.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(rules.delete_file(read_only.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadBytes(read_only), std::optional<std::string>("installed"));
    EXPECT_TRUE(rules.move_file(staged.c_str(), writable.c_str(), MOVEFILE_REPLACE_EXISTING));
    SetFileAttributesW(read_only.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(MoveTreeUnderWindowsRulesTest, StagedTreeDeeperThanMaxPathMovesCompletely) {
    const ScopedFileSystemCalls rules(testing::WindowsRulesOver(g_fileSystemCalls));
    TempFolder root;
    const std::wstring patch = root / L"patch";
    const std::wstring install = root / L"install";
    ASSERT_TRUE(CreateDirectoryW(patch.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(install.c_str(), nullptr));
    const std::wstring deep = MakeDeepFolder(patch, 400);
    ASSERT_FALSE(deep.empty());
    ASSERT_GE(deep.size(), 400u);
    ASSERT_TRUE(WriteBytes(deep + L"\\deepest.txt", "deep"));
    ASSERT_TRUE(WriteBytes(patch + L"\\top.txt", "top"));

    bool moved = false;
    {
        UpdateLog log(root / L"log");
        moved = MoveTree(patch, install, log);
    }
    EXPECT_TRUE(moved);
    const std::wstring installed = install + deep.substr(patch.size()) + L"\\deepest.txt";
    EXPECT_EQ(ReadBytes(installed), std::optional<std::string>("deep"));
    EXPECT_EQ(ReadBytes(install + L"\\top.txt"), std::optional<std::string>("top"));
    EXPECT_FALSE(Exists(patch));
    const std::vector<std::string> entries = testing::LogEntries(root / L"log");
    ASSERT_FALSE(entries.empty());
    for (const std::string& entry : entries) {
        EXPECT_EQ(entry.find("\\\\?\\"), std::string::npos)
            << "the log keeps plain paths: " << entry;
        EXPECT_EQ(entry.find("result = 0,"), std::string::npos) << entry;
    }
    EXPECT_NE(std::find_if(entries.begin(), entries.end(),
                           [&](const std::string& entry) {
                               return entry.find("'" + Narrow(installed) + "' result = 1") !=
                                      std::string::npos;
                           }),
              entries.end());
}

// The launcher built with the rules in place of the system's calls, in an installation whose
// folder leaves about 200 characters below MAX_PATH, as one in Program Files (x86) does.
class LauncherUnderWindowsRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        install_ = root_.path() + L"\\" + std::wstring(60 - root_.path().size() % 10, L'i');
        ASSERT_TRUE(CreateDirectoryW(install_.c_str(), nullptr));
        ASSERT_TRUE(testing::CopyBuildOutput(L"launcher_under_windows_rules.exe",
                                             install_ + L"\\tendril.exe"));
        ASSERT_TRUE(testing::CopyBuildOutput(L"ulmo_recorder.dll", install_ + L"\\ulmo.dll"));
        ASSERT_TRUE(CreateDirectoryW((install_ + L"\\patch").c_str(), nullptr));
        ASSERT_TRUE(testing::SetLastStart(nullptr));
    }
    void TearDown() override { testing::SetLastStart(nullptr); }

    std::optional<DWORD> Launch() {
        return RunToExit(install_ + L"\\tendril.exe", L"tendril.exe -r --exit=3");
    }
    std::vector<std::string> Log() { return testing::LogEntries(install_ + L"\\log"); }
    std::string P(const std::wstring& relative) { return Narrow(install_ + L"\\" + relative); }

    // A queued script that writes one value under an existing key.
    void QueueScript(const testing::ScopedRegistryKey& key) {
        ASSERT_TRUE(CreateDirectoryW((install_ + L"\\regupd").c_str(), nullptr));
        ASSERT_TRUE(WriteBytes(install_ + L"\\regupd\\a.regupd",
                               "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\" + Narrow(key.subkey()) +
                                   "]\r\n\"Imported\"=\"yes\"\r\n"));
    }

    TempFolder root_;
    std::wstring install_;
};

constexpr wchar_t kValueKey[] = L"Software\\VelmoraLab\\TendrilWindowsRulesTest";

TEST_F(LauncherUnderWindowsRulesTest, DeepStagedTreeMovesAndTheQueueIsImported) {
    const testing::ScopedRegistryKey key(kValueKey);
    ASSERT_TRUE(key.created());
    QueueScript(key);
    const std::wstring deep = MakeDeepFolder(install_ + L"\\patch", 400);
    ASSERT_FALSE(deep.empty());
    ASSERT_TRUE(WriteBytes(deep + L"\\deepest.txt", "deep"));

    EXPECT_EQ(Launch(), 3u);
    const std::wstring relative = deep.substr(install_.size() + 7);  // below "\patch\"
    EXPECT_EQ(ReadBytes(install_ + L"\\" + relative + L"\\deepest.txt"),
              std::optional<std::string>("deep"));
    EXPECT_FALSE(Exists(install_ + L"\\patch"));
    EXPECT_FALSE(Exists(install_ + L"\\regupd"));
    EXPECT_TRUE(testing::ReadRegistryValue(kValueKey, L"Imported").has_value());
}

TEST_F(LauncherUnderWindowsRulesTest, ReadOnlyInstalledFileStaysStagedAndTheRestMoves) {
    const testing::ScopedRegistryKey key(kValueKey);
    ASSERT_TRUE(key.created());
    QueueScript(key);
    for (const wchar_t* folder : {L"patch\\sub", L"sub"}) {
        ASSERT_TRUE(CreateDirectoryW((install_ + L"\\" + folder).c_str(), nullptr));
    }
    ASSERT_TRUE(WriteBytes(install_ + L"\\patch\\top.txt", "new top"));
    ASSERT_TRUE(WriteBytes(install_ + L"\\patch\\sub\\locked.txt", "new locked"));
    ASSERT_TRUE(WriteBytes(install_ + L"\\patch\\sub\\free.txt", "new free"));
    ASSERT_TRUE(WriteBytes(install_ + L"\\sub\\locked.txt", "old locked"));
    ASSERT_TRUE(SetReadOnly(install_ + L"\\sub\\locked.txt"));

    EXPECT_EQ(Launch(), 3u);
    const auto entries = Log();
    SetFileAttributesW((install_ + L"\\sub\\locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes(install_ + L"\\sub\\locked.txt"), std::optional<std::string>("old locked"));
    EXPECT_EQ(ReadBytes(install_ + L"\\patch\\sub\\locked.txt"),
              std::optional<std::string>("new locked"));
    EXPECT_EQ(ReadBytes(install_ + L"\\top.txt"), std::optional<std::string>("new top"));
    EXPECT_EQ(ReadBytes(install_ + L"\\sub\\free.txt"), std::optional<std::string>("new free"));
    EXPECT_TRUE(Exists(install_ + L"\\regupd\\a.regupd")) << "no script is imported in that run";
    EXPECT_FALSE(testing::ReadRegistryValue(kValueKey, L"Imported").has_value());

    const std::string locked_entry = "Move file (attributes: 32) '" + P(L"patch\\sub\\locked.txt") +
                                     "'-> '" + P(L"sub\\locked.txt") + "' result = 0, gle = 5";
    EXPECT_NE(std::find(entries.begin(), entries.end(), locked_entry), entries.end())
        << "missing: " << locked_entry;
    EXPECT_NE(std::find_if(entries.begin(), entries.end(),
                           [&](const std::string& entry) {
                               return entry.rfind("Move directory (attributes: 16) '" +
                                                      P(L"patch\\sub") + "' -> '" + P(L"sub") +
                                                      "' result = 0",
                                                  0) == 0;
                           }),
              entries.end());
    for (const std::string& entry : entries) {
        EXPECT_EQ(entry.rfind("Remove empty directory '" + P(L"patch"), 0), std::string::npos)
            << "a folder above the read-only file was removed: " << entry;
    }
}

TEST_F(LauncherUnderWindowsRulesTest, ReadOnlySiblingIsKeptWholeAndTheOtherIsRewritten) {
    ASSERT_TRUE(WriteBytes(install_ + L"\\quillon.exe", "MZ quillon"));
    ASSERT_TRUE(WriteBytes(install_ + L"\\orbisk.exe", "MZ orbisk"));
    ASSERT_TRUE(SetReadOnly(install_ + L"\\quillon.exe"));

    EXPECT_EQ(Launch(), 3u);
    const auto entries = Log();
    SetFileAttributesW((install_ + L"\\quillon.exe").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes(install_ + L"\\quillon.exe"), std::optional<std::string>("MZ quillon"));
    EXPECT_EQ(ReadBytes(install_ + L"\\orbisk.exe"), std::optional<std::string>("MZ orbisk"));
    EXPECT_FALSE(Exists(install_ + L"\\quillon.exe.new"));
    ASSERT_GE(entries.size(), 2u);
    EXPECT_EQ(entries[0], "Replace '" + P(L"quillon.exe") + "' result = 0x80000045, gle = 5");
    EXPECT_EQ(entries[1], "Invalidated cache for '" + P(L"orbisk.exe") + "'");
}

}  // namespace
}  // namespace tendril
