// The real launcher with "-r" in a temporary installation: when the update run happens, the
// folders it uses and the log it leaves.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "test_support.h"

namespace tendril {
namespace {

using testing::Narrow;

using testing::CopyBuildOutput;
using testing::Exists;
using testing::ReadBytes;
using testing::RunToExit;
using testing::TempFolder;

// Sets or removes LastStart in the view the launcher reads.
std::wstring TodaysLogName() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &now);
    return L"patch_" + std::to_wstring(local.tm_year + 1900) + L"." +
           std::to_wstring(local.tm_mon + 1) + L"." + std::to_wstring(local.tm_mday) + L".log";
}

// The log's lines without their "HH:MM:SS<tab>" timestamps.
std::vector<std::string> LogLines(const std::wstring& log_file) {
    return testing::LogEntriesOf(ReadBytes(log_file).value_or(""));
}

// The first line that starts with `start`. A successful call leaves the last error as the
// enumeration before it set it, so such entries are matched up to their ", gle = ".
std::size_t IndexOf(const std::vector<std::string>& lines, const std::string& start) {
    return static_cast<std::size_t>(
        std::find_if(lines.begin(), lines.end(),
                     [&](const std::string& line) { return line.rfind(start, 0) == 0; }) -
        lines.begin());
}

class UpdateRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CopyBuildOutput(L"tendril.exe", install_ / L"tendril.exe"));
        ASSERT_TRUE(CopyBuildOutput(L"ulmo_recorder.dll", install_ / L"ulmo.dll"));
        ASSERT_TRUE(testing::SetLastStart(nullptr));
    }
    void TearDown() override { testing::SetLastStart(nullptr); }

    std::optional<DWORD> Launch(const std::wstring& arguments) {
        return RunToExit(install_ / L"tendril.exe", L"tendril.exe " + arguments);
    }

    std::vector<std::string> Log() { return LogLines(install_ / L"log\\" + TodaysLogName()); }
    std::string P(const std::wstring& relative) { return Narrow(install_ / relative); }

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
        ASSERT_TRUE(testing::SetLastStart(&c.last_start));
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
    for (const wchar_t* staged : {L"first.txt", L"second.txt"}) {
        ASSERT_TRUE(CreateDirectoryW((install_ / L"patch").c_str(), nullptr));
        ASSERT_TRUE(testing::WriteBytes(install_ / L"patch\\" + staged, "x"));
        EXPECT_EQ(Launch(L"-r"), 0u);
    }
    const auto lines = Log();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "earlier");
    const auto first = IndexOf(lines, "Move file (attributes: 32) '" + P(L"patch\\first.txt"));
    const auto second = IndexOf(lines, "Move file (attributes: 32) '" + P(L"patch\\second.txt"));
    EXPECT_LT(first, second);
    EXPECT_LT(second, lines.size());
}

TEST(UpdateRunInDriveRootTest, FoldersLieInTheRootWithoutDoubledSeparators) {
    const std::wstring launcher = L"C:\\tendril-root-test.exe";
    ASSERT_FALSE(Exists(L"C:\\ulmo.dll"));
    ASSERT_FALSE(Exists(L"C:\\patch"));
    ASSERT_FALSE(Exists(L"C:\\log"));
    ASSERT_TRUE(CopyBuildOutput(L"tendril.exe", launcher));
    ASSERT_TRUE(CopyBuildOutput(L"ulmo_recorder.dll", L"C:\\ulmo.dll"));
    ASSERT_TRUE(CreateDirectoryW(L"C:\\patch", nullptr));
    ASSERT_TRUE(testing::WriteBytes(L"C:\\patch\\tendril-root-staged.txt", "x"));
    testing::SetLastStart(nullptr);

    const auto exit_code = RunToExit(launcher, L"C:\\tendril-root-test.exe -r --exit=12");
    const bool moved = Exists(L"C:\\tendril-root-staged.txt");
    const auto lines = LogLines(L"C:\\log\\" + TodaysLogName());

    for (const wchar_t* path : {L"C:\\tendril-root-test.exe", L"C:\\ulmo.dll", L"C:\\run.txt",
                                L"C:\\tendril-root-staged.txt", L"C:\\patch", L"C:\\log"}) {
        testing::RemoveTree(path);
    }
    EXPECT_EQ(exit_code, 12u);
    EXPECT_TRUE(moved);
    EXPECT_LT(IndexOf(lines,
                      "Move file (attributes: 32) 'C:\\patch\\tendril-root-staged.txt'-> "
                      "'C:\\tendril-root-staged.txt' result = 1"),
              lines.size());
    EXPECT_LT(IndexOf(lines, "Remove empty directory 'C:\\patch' result = 0x00000000"),
              lines.size());
}

TEST_F(UpdateRunTest, StagedTreeMovesIntoTheInstallationWithEveryStepLogged) {
    ASSERT_TRUE(testing::WriteBytes(install_ / L"a.txt", "old"));
    ASSERT_TRUE(CreateDirectoryW((install_ / L"merge").c_str(), nullptr));
    ASSERT_TRUE(testing::WriteBytes(install_ / L"merge\\kept.txt", "kept"));
    for (const wchar_t* folder : {L"patch", L"patch\\new", L"patch\\merge"}) {
        ASSERT_TRUE(CreateDirectoryW((install_ / folder).c_str(), nullptr));
    }
    ASSERT_TRUE(testing::WriteBytes(install_ / L"patch\\a.txt", "new"));
    ASSERT_TRUE(testing::WriteBytes(install_ / L"patch\\new\\b.txt", "b"));
    ASSERT_TRUE(testing::WriteBytes(install_ / L"patch\\merge\\c.txt", "c"));
    SetFileAttributesW((install_ / L"patch\\new").c_str(), FILE_ATTRIBUTE_HIDDEN);

    EXPECT_EQ(Launch(L"-r --exit=8"), 8u);

    EXPECT_EQ(ReadBytes(install_ / L"a.txt"), std::optional<std::string>("new"));
    EXPECT_EQ(ReadBytes(install_ / L"new\\b.txt"), std::optional<std::string>("b"));
    EXPECT_EQ(ReadBytes(install_ / L"merge\\c.txt"), std::optional<std::string>("c"));
    EXPECT_EQ(ReadBytes(install_ / L"merge\\kept.txt"), std::optional<std::string>("kept"));
    EXPECT_FALSE(Exists(install_ / L"patch"));

    const auto lines = Log();
    const std::string archive = std::to_string(FILE_ATTRIBUTE_ARCHIVE);
    const std::string expected[] = {
        "Move file (attributes: " + archive + ") '" + P(L"patch\\a.txt") + "'-> '" + P(L"a.txt") +
            "' result = 1, gle = ",
        "Failed to create directory '" + P(L"merge") + "', gle = 183",
        "Remove empty directory '" + P(L"patch\\merge") + "' result = 0x00000000, gle = ",
        "Move directory (attributes: 16) '" + P(L"patch\\merge") + "' -> '" + P(L"merge") +
            "' result = 1, gle = ",
        "Remove empty directory '" + P(L"patch\\new") + "' result = 0x00000000, gle = ",
        "Move directory (attributes: 18) '" + P(L"patch\\new") + "' -> '" + P(L"new") +
            "' result = 1, gle = ",
        "Remove empty directory '" + P(L"patch") + "' result = 0x00000000, gle = ",
    };
    for (const auto& line : expected) {
        EXPECT_LT(IndexOf(lines, line), lines.size()) << "missing: " << line;
    }
    EXPECT_LT(IndexOf(lines, expected[2]), IndexOf(lines, expected[3]));
    EXPECT_LT(IndexOf(lines, expected[4]), IndexOf(lines, expected[5]));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind(expected[6], 0), 0u) << "the patch folder goes last";
}

TEST_F(UpdateRunTest, FileThatCannotMoveStaysWithItsFoldersUntilTheNextRun) {
    for (const wchar_t* folder : {L"patch", L"patch\\sub"}) {
        ASSERT_TRUE(CreateDirectoryW((install_ / folder).c_str(), nullptr));
    }
    ASSERT_TRUE(testing::WriteBytes(install_ / L"patch\\sub\\busy.txt", "busy"));
    ASSERT_TRUE(testing::WriteBytes(install_ / L"patch\\free.txt", "free"));
    const HANDLE held = CreateFileW((install_ / L"patch\\sub\\busy.txt").c_str(), GENERIC_READ, 0,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Launch(L"-r"), 0u);
    CloseHandle(held);

    EXPECT_EQ(ReadBytes(install_ / L"free.txt"), std::optional<std::string>("free"));
    EXPECT_TRUE(Exists(install_ / L"patch\\sub\\busy.txt"));
    const auto lines = Log();
    EXPECT_LT(IndexOf(lines, "Move directory (attributes: 16) '" + P(L"patch\\sub") + "' -> '" +
                                 P(L"sub") + "' result = 0, gle = "),
              lines.size());
    EXPECT_EQ(
        IndexOf(lines, "Remove empty directory '" + P(L"patch") + "' result = 0x00000000, gle = "),
        lines.size());

    EXPECT_EQ(Launch(L"-r"), 0u);
    EXPECT_EQ(ReadBytes(install_ / L"sub\\busy.txt"), std::optional<std::string>("busy"));
    EXPECT_FALSE(Exists(install_ / L"patch"));
}

// Stages `file` in the patch folder below the program-files product folder; gives the
// "Velmora Lab" folder to remove afterwards, or empty when staging failed.
std::wstring StageInDefaultProductPatch(const std::wstring& file) {
    wchar_t program_files[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, program_files, CSIDL_PROGRAM_FILES, FALSE)) {
        return {};
    }
    const std::wstring product = std::wstring(program_files) + L"\\Velmora Lab";
    const std::wstring patch = product + L"\\Velmora Tendril 23.0\\patch";
    if (SHCreateDirectoryExW(nullptr, patch.c_str(), nullptr) != ERROR_SUCCESS ||
        !testing::WriteBytes(patch + L"\\" + file, "f")) {
        return {};
    }
    return product;
}

TEST_F(UpdateRunTest, WithoutAPatchFolderTheProgramFilesOneIsUsed) {
    const std::wstring product = StageInDefaultProductPatch(L"fallback.txt");
    ASSERT_FALSE(product.empty());

    EXPECT_EQ(Launch(L"-r"), 0u);
    const bool moved = Exists(install_ / L"fallback.txt");
    testing::RemoveTree(product);
    EXPECT_TRUE(moved);
    EXPECT_FALSE(Exists(install_ / L"regupd"));
    EXPECT_TRUE(Exists(install_ / L"log"));
}

TEST_F(UpdateRunTest, PlainFileNamedPatchCountsAsPresent) {
    const std::wstring product = StageInDefaultProductPatch(L"fallback.txt");
    ASSERT_FALSE(product.empty());
    ASSERT_TRUE(testing::WriteBytes(install_ / L"patch", "a file"));

    EXPECT_EQ(Launch(L"-r --exit=1"), 1u);
    const bool moved = Exists(install_ / L"fallback.txt");
    testing::RemoveTree(product);
    EXPECT_FALSE(moved) << "the installation's patch entry wins, file or folder";
    EXPECT_EQ(ReadBytes(install_ / L"patch"), std::optional<std::string>("a file"));
}

TEST(UpdateLogBytesTest, Latin1PathsAreStoredByteForByteAndWiderCharactersCutOnlyTheirValue) {
    // The installation's own path goes into every entry: one with é (U+00E9) and one with
    // Ā (U+0100), which ISO 8859-1 can't store.
    for (const std::wstring name : {L"caf\u00e9", L"x\u0100y"}) {
        TempFolder parent;
        const std::wstring install = parent / name;
        ASSERT_TRUE(CreateDirectoryW(install.c_str(), nullptr));
        ASSERT_TRUE(CopyBuildOutput(L"tendril.exe", install + L"\\tendril.exe"));
        ASSERT_TRUE(CopyBuildOutput(L"ulmo_recorder.dll", install + L"\\ulmo.dll"));
        ASSERT_TRUE(CreateDirectoryW((install + L"\\patch").c_str(), nullptr));
        testing::SetLastStart(nullptr);
        ASSERT_EQ(RunToExit(install + L"\\tendril.exe", L"tendril.exe -r"), 0u);

        const auto bytes = ReadBytes(install + L"\\log\\" + TodaysLogName());
        ASSERT_TRUE(bytes.has_value());
        const std::string parent_bytes = Narrow(parent.path());
        const std::string expected_path =
            name[3] == L'\u00e9' ? parent_bytes + "\\caf\xe9\\patch" : parent_bytes + "\\x";
        const std::string entry =
            "\tRemove empty directory '" + expected_path + "' result = 0x00000000, gle = ";
        // The cut value ends at the first character it can't store; the rest of the entry
        // and its CR LF follow.
        EXPECT_NE(bytes->find(entry), std::string::npos) << *bytes;
        EXPECT_NE(bytes->substr(0, 3), "\xef\xbb\xbf") << "no byte-order mark";
        EXPECT_EQ(bytes->substr(bytes->size() - 2), "\r\n");
        EXPECT_EQ(bytes->find("\n"), bytes->find("\r\n") + 1) << "every line ends in CR LF";
    }
}

TEST_F(UpdateRunTest, PatchFolderInTheInstallationIsUsedEvenWhenEmpty) {
    ASSERT_TRUE(CreateDirectoryW((install_ / L"patch").c_str(), nullptr));
    EXPECT_EQ(Launch(L"-r"), 0u);
    EXPECT_FALSE(Exists(install_ / L"patch"));
    const auto lines = Log();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind(
                  "Remove empty directory '" + P(L"patch") + "' result = 0x00000000, gle = ", 0),
              0u);
}

// The volume's identity of a file: changes when the file is replaced by a new one.
std::optional<std::uint64_t> FileIndex(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL ok = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    if (!ok) {
        return std::nullopt;
    }
    return (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

TEST_F(UpdateRunTest, SiblingExecutablesBecomeNewFilesWithTheSameBytes) {
    const std::string quillon("MZ\0\x01binary\xff\r\n", 12);
    ASSERT_TRUE(testing::WriteBytes(install_ / L"quillon.exe", quillon));
    ASSERT_TRUE(testing::WriteBytes(install_ / L"orbisk.exe", ""));
    ASSERT_TRUE(CreateDirectoryW((install_ / L"patch").c_str(), nullptr));
    const auto before = FileIndex(install_ / L"quillon.exe");

    EXPECT_EQ(Launch(L"-r"), 0u);

    EXPECT_EQ(ReadBytes(install_ / L"quillon.exe"), std::optional<std::string>(quillon));
    EXPECT_EQ(ReadBytes(install_ / L"orbisk.exe"), std::optional<std::string>(""));
    EXPECT_NE(FileIndex(install_ / L"quillon.exe"), before);
    EXPECT_FALSE(Exists(install_ / L"quillon.exe.new"));
    const auto lines = Log();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Invalidated cache for '" + P(L"quillon.exe") + "'");
    EXPECT_EQ(lines[1], "Invalidated cache for '" + P(L"orbisk.exe") + "'");
}

TEST_F(UpdateRunTest, SiblingsAreLeftAloneWithoutAPatchFolderAndMissingOnesAreSkipped) {
    ASSERT_TRUE(testing::WriteBytes(install_ / L"orbisk.exe", "o"));
    const auto before = FileIndex(install_ / L"orbisk.exe");
    EXPECT_EQ(Launch(L"-r"), 0u);
    EXPECT_EQ(FileIndex(install_ / L"orbisk.exe"), before) << "no patch folder: no rewrite";

    ASSERT_TRUE(CreateDirectoryW((install_ / L"patch").c_str(), nullptr));
    EXPECT_EQ(Launch(L"-r"), 0u);
    const auto lines = Log();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "Invalidated cache for '" + P(L"orbisk.exe") + "'");
    EXPECT_EQ(IndexOf(lines, "Invalidated cache for '" + P(L"quillon.exe")), lines.size());
    EXPECT_FALSE(Exists(install_ / L"quillon.exe"));
}

TEST_F(UpdateRunTest, SiblingInUseIsLoggedAndLeftIntactWhileTheRunGoesOn) {
    ASSERT_TRUE(testing::WriteBytes(install_ / L"quillon.exe", "in use"));
    ASSERT_TRUE(testing::WriteBytes(install_ / L"orbisk.exe", "free"));
    ASSERT_TRUE(CreateDirectoryW((install_ / L"patch").c_str(), nullptr));
    ASSERT_TRUE(testing::WriteBytes(install_ / L"patch\\x.txt", "x"));
    const HANDLE held = CreateFileW((install_ / L"quillon.exe").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Launch(L"-r"), 0u);
    CloseHandle(held);

    EXPECT_EQ(ReadBytes(install_ / L"quillon.exe"), std::optional<std::string>("in use"));
    EXPECT_FALSE(Exists(install_ / L"quillon.exe.new"));
    const auto lines = Log();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Open '" + P(L"quillon.exe") + "' result = 0x80010104, gle = 32");
    EXPECT_EQ(lines[1], "Invalidated cache for '" + P(L"orbisk.exe") + "'");
    EXPECT_EQ(ReadBytes(install_ / L"x.txt"), std::optional<std::string>("x"));
}

constexpr wchar_t kTestKey[] = L"Software\\VelmoraLab\\TendrilQueueTest";

class RegistryQueueTest : public UpdateRunTest {
protected:
    void SetUp() override {
        UpdateRunTest::SetUp();
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kTestKey);
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
        ASSERT_TRUE(CreateDirectoryW((install_ / L"regupd").c_str(), nullptr));
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kTestKey);
        UpdateRunTest::TearDown();
    }

    void Queue(const std::wstring& name, const std::string& text) {
        ASSERT_TRUE(testing::WriteBytes(install_ / L"regupd\\" + name, text));
    }

    std::optional<std::pair<DWORD, std::string>> Value(const wchar_t* name) {
        return testing::ReadRegistryValue(kTestKey, name);
    }
};

constexpr char kValidScript[] =
    "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\VelmoraLab\\TendrilQueueTest]\r\n"
    "\"Text\"=\"on\"\r\n\"Empty\"=\"\"\r\n\"Number\"=dword:-1\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\VelmoraLab\\TendrilQueueTest\\Missing]\r\n"
    "\"Skipped\"=\"x\"\r\n";

TEST_F(RegistryQueueTest, ImportedScriptIsWrittenDeletedAndLoggedLineByLine) {
    Queue(L"a.regupd", kValidScript);
    EXPECT_EQ(Launch(L"-r --exit=2"), 2u);

    EXPECT_EQ(Value(L"Text"), std::make_optional(std::make_pair<DWORD, std::string>(
                                  REG_SZ, std::string("o\0n\0\0\0", 6))));
    EXPECT_EQ(Value(L"Empty"), std::make_optional(std::make_pair<DWORD, std::string>(
                                   REG_SZ, std::string("\0\0", 2))));
    EXPECT_EQ(Value(L"Number"), std::make_optional(std::make_pair<DWORD, std::string>(
                                    REG_DWORD, "\xff\xff\xff\xff")));
    HKEY missing = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\VelmoraLab\\TendrilQueueTest\\Missing",
                            0, KEY_READ, &missing),
              ERROR_SUCCESS)
        << "keys are never created";

    EXPECT_FALSE(Exists(install_ / L"regupd"));
    const auto lines = Log();
    const std::string script = P(L"regupd\\a.regupd");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "Import file '" + script + "' to the registry");
    EXPECT_EQ(lines[1], "Parse file - OK");
    EXPECT_EQ(lines[2], "Import file - OK");
    EXPECT_EQ(lines[3].rfind("Remove file '" + script + "' result = 0x00000000, gle = ", 0), 0u);
    EXPECT_EQ(
        lines[4].rfind("Remove empty directory '" + P(L"regupd") + "' result = 0x00000000", 0), 0u);
}

TEST_F(RegistryQueueTest, InvalidScriptStaysQueuedWithItsExceptionEntry) {
    Queue(L"good.regupd", kValidScript);
    Queue(L"bad.regupd", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n\"X\" = \"1\"\r\n");
    ASSERT_TRUE(CreateDirectoryW((install_ / L"regupd\\folder.regupd").c_str(), nullptr));
    EXPECT_EQ(Launch(L"-r"), 0u);

    EXPECT_FALSE(Exists(install_ / L"regupd\\good.regupd"));
    EXPECT_TRUE(Exists(install_ / L"regupd\\bad.regupd"));
    EXPECT_TRUE(Exists(install_ / L"regupd\\folder.regupd"));
    EXPECT_TRUE(Value(L"Text").has_value());
    const auto lines = Log();
    const auto at = IndexOf(lines, "Import file exception: Invalid line: \"X\" = \"1\", gle = ");
    ASSERT_LT(at, lines.size());
    EXPECT_EQ(lines[at - 1].rfind("Parse file", 0), 0u) << "the parse line stays open";
    EXPECT_EQ(IndexOf(lines, "Import file '" + P(L"regupd\\folder.regupd")), lines.size());
    EXPECT_EQ(IndexOf(lines, "Remove empty directory"), lines.size());
}

TEST_F(RegistryQueueTest, OtherFileInTheQueueFolderMakesItsRemovalFail) {
    Queue(L"a.regupd", kValidScript);
    Queue(L"notes.txt", "not a script");
    EXPECT_EQ(Launch(L"-r"), 0u);
    EXPECT_FALSE(Exists(install_ / L"regupd\\a.regupd"));
    const auto lines = Log();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(
        lines.back().rfind(
            "Remove empty directory '" + P(L"regupd") + "' result = 0x80070091, gle = 145", 0),
        0u);
}

TEST_F(RegistryQueueTest, NothingIsImportedWhileThePatchTreeHasNotMovedWhole) {
    Queue(L"a.regupd", kValidScript);
    ASSERT_TRUE(CreateDirectoryW((install_ / L"patch").c_str(), nullptr));
    ASSERT_TRUE(testing::WriteBytes(install_ / L"patch\\busy.txt", "busy"));
    const HANDLE held = CreateFileW((install_ / L"patch\\busy.txt").c_str(), GENERIC_READ, 0,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Launch(L"-r"), 0u);
    CloseHandle(held);
    EXPECT_TRUE(Exists(install_ / L"regupd\\a.regupd"));
    EXPECT_FALSE(Value(L"Text").has_value());

    EXPECT_EQ(Launch(L"-r"), 0u);
    EXPECT_FALSE(Exists(install_ / L"regupd"));
    EXPECT_TRUE(Value(L"Text").has_value());
}

}  // namespace
}  // namespace tendril
