// The real launcher with "-r" against staged content that is too large, malformed or in the
// way. Whatever the input, the launch ends with the result of `Run`, the log says what
// happened, and nothing staged is lost.
#include <windows.h>

#include <gtest/gtest.h>

#include <sddl.h>

#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "test_support.h"

namespace tendril {
namespace {

using testing::Narrow;

using testing::CopyBuildOutput;
using testing::Exists;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

constexpr wchar_t kValueKey[] = L"Software\\VelmoraLab\\TendrilHostileTest";
constexpr char kScriptKeyLine[] =
    "[HKEY_LOCAL_MACHINE\\Software\\VelmoraLab\\TendrilHostileTest]\r\n";
constexpr DWORD kRunResult = 37;

// A REG_SZ value's bytes as the registry holds them: UTF-16 with its NUL.
std::pair<DWORD, std::string> StringValue(const std::string& text) {
    std::string bytes;
    for (const char c : text) {
        bytes += std::string{c, '\0'};
    }
    return {REG_SZ, bytes + std::string(2, '\0')};
}

std::pair<DWORD, std::string> NumberValue(DWORD number) {
    return {REG_DWORD, std::string(reinterpret_cast<const char*>(&number), sizeof(number))};
}

bool HasEntryStartingWith(const std::vector<std::string>& entries, const std::string& start) {
    for (const auto& entry : entries) {
        if (entry.rfind(start, 0) == 0) {
            return true;
        }
    }
    return false;
}

class HostileInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(key_.created());
        ASSERT_TRUE(testing::SetLastStart(nullptr));
        Install(install_.path());
    }
    void TearDown() override { testing::SetLastStart(nullptr); }

    static void Install(const std::wstring& folder) {
        ASSERT_TRUE(CopyBuildOutput(L"tendril.exe", folder + L"\\tendril.exe"));
        ASSERT_TRUE(CopyBuildOutput(L"ulmo_recorder.dll", folder + L"\\ulmo.dll"));
    }

    // A window (an error report, a dialog) would keep the process from reaching `Run` or from
    // ending by itself: it must end within the time, with `Run`'s result, `Run` having been
    // given the command line.
    static void LaunchEndsWithRun(const std::wstring& install, DWORD timeout_ms = 60000) {
        const std::wstring line = L"tendril.exe -r --exit=" + std::to_wstring(kRunResult);
        EXPECT_EQ(testing::RunToExit(install + L"\\tendril.exe", line, L"", timeout_ms),
                  std::optional<DWORD>(kRunResult));
        EXPECT_EQ(testing::RecordedCommandLine(install), std::optional<std::wstring>(line));
        DeleteFileW((install + L"\\run.txt").c_str());
    }
    void LaunchEndsWithRun() { LaunchEndsWithRun(install_.path()); }

    void Stage(const std::wstring& relative, const std::string& bytes) {
        ASSERT_TRUE(WriteBytes(install_ / relative, bytes)) << Narrow(relative);
    }
    void MakeFolder(const std::wstring& relative) {
        ASSERT_TRUE(CreateDirectoryW((install_ / relative).c_str(), nullptr)) << Narrow(relative);
    }

    std::vector<std::string> Log() { return testing::LogEntries(install_ / L"log"); }
    std::string P(const std::wstring& relative) { return Narrow(install_ / relative); }
    std::map<std::wstring, std::pair<DWORD, std::string>> Values() {
        return testing::RegistryValuesOf(kValueKey);
    }

    testing::ScopedRegistryKey key_{kValueKey};
    TempFolder install_;
};

// A queued script's content, and what becomes of it.
struct ScriptCase {
    const char* name;
    std::function<std::string()> text;
    // With no `rejection`, the script is imported: it goes and these values are written.
    // Otherwise it stays byte for byte, and its exception entry starts with `rejection`.
    std::map<std::wstring, std::pair<DWORD, std::string>> values;
    std::string rejection;
};

std::string LineOfOneMebibyte(const std::string& start, const std::string& end) {
    return start + std::string((1 << 20) - start.size() - end.size(), 'x') + end;
}

// A million lines: the key line again and again between comments, and every hundredth line
// a value. The names repeat, so that the last line of each name decides. (A million values
// would each be written: minutes under Wine, and nothing more to learn.)
std::string MillionLines() {
    std::string text = "REGEDIT4\r\n";
    char line[64];
    for (int i = 1; i < 1000000; ++i) {
        if (i % 100 == 99) {
            const int length =
                std::snprintf(line, sizeof line, "\"V%d\"=dword:%x\r\n", i / 100 % 10, i);
            text.append(line, static_cast<std::size_t>(length));
        } else {
            text += i % 2 == 0 ? kScriptKeyLine : "; comment\r\n";
        }
    }
    return text;
}

// A million value lines and then one that is invalid: nothing at all may be written.
std::string MillionLinesLastInvalid() {
    std::string text = std::string("REGEDIT4\r\n") + kScriptKeyLine;
    for (int i = 2; i < 999999; ++i) {
        text += "\"V\"=\"x\"\r\n";
    }
    return text + "\"V\"=x\r\n";
}

std::string RandomBytes() {
    std::mt19937 random(0x5EED0001);
    std::string bytes(64 * 1024, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random());
    }
    return bytes;
}

// What the registry editor writes since version 5: UTF-16 with a byte-order mark.
std::string Utf16Script() {
    const std::string text = std::string("Windows Registry Editor Version 5.00\r\n\r\n") +
                             kScriptKeyLine + "\"U\"=\"1\"\r\n";
    std::string bytes = "\xff\xfe";
    for (const char c : text) {
        bytes += std::string{c, '\0'};
    }
    return bytes;
}

const ScriptCase kScriptCases[] = {
    {"ValidLineOfOneMebibyte",
     [] { return std::string(kScriptKeyLine) + LineOfOneMebibyte("\"Long\"=\"", "\"\r\n"); },
     {{L"Long", StringValue(std::string((1 << 20) - 11, 'x'))}},
     ""},
    {"InvalidLineOfOneMebibyte",
     [] { return LineOfOneMebibyte("", "\r\n"); },
     {},
     "Import file exception: Invalid line: xxxxxxxx"},
    {"MillionLines",
     MillionLines,
     {{L"V0", NumberValue(999099)}, {L"V9", NumberValue(999999)}},
     ""},
    {"MillionLinesLastInvalid",
     MillionLinesLastInvalid,
     {},
     "Import file exception: Can't parse value: x, gle = "},
    {"Empty", [] { return std::string(); }, {}, ""},
    {"RandomBytes", RandomBytes, {}, "Import file exception: Invalid line: "},
    {"Utf16", Utf16Script, {}, "Import file exception: Invalid line: \xff\xfeW, gle = "},
};

class HostileScriptTest : public HostileInputTest,
                          public ::testing::WithParamInterface<ScriptCase> {};

TEST_P(HostileScriptTest, ScriptIsImportedWholeOrStaysQueuedWithItsReason) {
    const ScriptCase& c = GetParam();
    const std::string text = c.text();
    MakeFolder(L"regupd");
    Stage(L"regupd\\hostile.regupd", text);
    LaunchEndsWithRun();

    const auto log = Log();
    const std::string script = P(L"regupd\\hostile.regupd");
    ASSERT_TRUE(HasEntryStartingWith(log, "Import file '" + script + "' to the registry"));
    if (!c.rejection.empty()) {
        EXPECT_EQ(ReadBytes(install_ / L"regupd\\hostile.regupd"), text);
        EXPECT_TRUE(HasEntryStartingWith(log, c.rejection));
        EXPECT_TRUE(Values().empty());
        return;
    }
    EXPECT_TRUE(HasEntryStartingWith(log, "Import file - OK"));
    EXPECT_TRUE(HasEntryStartingWith(log, "Remove file '" + script + "' result = 0x00000000"));
    EXPECT_FALSE(Exists(install_ / L"regupd"));
    const auto values = Values();
    for (const auto& [name, value] : c.values) {
        const auto at = values.find(name);
        ASSERT_NE(at, values.end()) << Narrow(name);
        EXPECT_EQ(at->second.first, value.first) << Narrow(name);
        EXPECT_TRUE(at->second.second == value.second) << Narrow(name);
    }
}

INSTANTIATE_TEST_SUITE_P(Scripts, HostileScriptTest, ::testing::ValuesIn(kScriptCases),
                         [](const auto& row) { return std::string(row.param.name); });

// A patch tree of an awkward shape, with the launcher installed in a folder whose path has
// `install_length` characters (0: the test folder itself), and one script queued beside it.
struct TreeCase {
    const char* name;
    std::size_t install_length;
    std::vector<std::wstring> staged;  // files, relative to the patch folder
    std::wstring script;
};

std::wstring Repeated(const std::wstring& part, int times) {
    std::wstring text;
    for (int i = 0; i < times; ++i) {
        text += part;
    }
    return text;
}

const TreeCase kTreeCases[] = {
    {"TwoHundredFoldersDeep",
     0,
     {Repeated(L"d\\", 200) + L"deep.txt", Repeated(L"d\\", 100) + L"middle.txt"},
     L"deep.regupd"},
    // The launcher's own path stays below 260 characters, as starting it needs; the paths of the
    // staged files, the script and the log are all longer.
    {"PathsLongerThan260",
     245,
     {L"sub\\" + std::wstring(200, L'n') + L".txt", L"short.txt"},
     L"a-script-with-a-long-name.regupd"},
    {"NamesBeyondLatin1",
     0,
     {L"\u0101\u4e2d.txt", L"\u0160ub\\\u03a9.bin", L"caf\u00e9.txt"},
     L"\u0411.regupd"},
};

class HostileTreeTest : public HostileInputTest, public ::testing::WithParamInterface<TreeCase> {};

TEST_P(HostileTreeTest, WholeTreeMovesAndTheScriptIsImported) {
    const TreeCase& c = GetParam();
    std::wstring install = install_.path();
    if (c.install_length > 0) {
        constexpr std::wstring_view kPart = L"\\folder-of-a-long-path";
        while (install.size() + 2 * kPart.size() < c.install_length) {
            install += kPart;
            ASSERT_TRUE(CreateDirectoryW(install.c_str(), nullptr));
        }
        install += L"\\" + std::wstring(c.install_length - install.size() - 1, L'i');
        ASSERT_TRUE(CreateDirectoryW(install.c_str(), nullptr));
        Install(install);
    }
    const auto make_parents = [](const std::wstring& file) {
        for (std::size_t end = file.find(L'\\'); end != std::wstring::npos;
             end = file.find(L'\\', end + 1)) {
            CreateDirectoryW(file.substr(0, end).c_str(), nullptr);
        }
    };
    std::map<std::wstring, std::string> staged;
    for (const auto& file : c.staged) {
        const std::wstring path = install + L"\\patch\\" + file;
        make_parents(path);
        staged[file] = "bytes of " + Narrow(file.substr(file.size() - 6));
        ASSERT_TRUE(WriteBytes(path, staged[file])) << c.name;
    }
    ASSERT_TRUE(CreateDirectoryW((install + L"\\regupd").c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(install + L"\\regupd\\" + c.script,
                           std::string(kScriptKeyLine) + "\"Tree\"=\"" + c.name + "\"\r\n"));
    LaunchEndsWithRun(install);

    for (const auto& [file, bytes] : staged) {
        EXPECT_EQ(ReadBytes(install + L"\\" + file), bytes) << "not moved whole";
    }
    EXPECT_FALSE(Exists(install + L"\\patch"));
    EXPECT_FALSE(Exists(install + L"\\regupd"));
    EXPECT_EQ(testing::RegistryValuesOf(kValueKey)[L"Tree"], StringValue(c.name));

    // A path with characters beyond U+00FF is cut in its entries: the entry and its result
    // stay, the file's name can't be stored in the log's bytes.
    const auto log = testing::LogEntries(install + L"\\log");
    EXPECT_TRUE(HasEntryStartingWith(log, "Remove empty directory '" + Narrow(install) +
                                              "\\patch' result = 0x00000000, gle = "));
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().rfind("Remove empty directory '" + Narrow(install) +
                                   "\\regupd' result = 0x00000000, gle = ",
                               0),
              0u);
    std::size_t moves = 0;
    for (const auto& entry : log) {
        if (entry.rfind("Move file (attributes: 32) '" + Narrow(install) + "\\patch\\", 0) == 0 &&
            entry.find("' result = 1, gle = ") != std::string::npos) {
            ++moves;
        }
    }
    EXPECT_EQ(moves, staged.size());
}

INSTANTIATE_TEST_SUITE_P(Trees, HostileTreeTest, ::testing::ValuesIn(kTreeCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(HostileInputTest, SiblingThatIsAFolderIsLoggedAndLeftAsItIs) {
    MakeFolder(L"quillon.exe");
    Stage(L"quillon.exe\\inside.txt", "inside");
    Stage(L"orbisk.exe", "MZ orbisk");
    MakeFolder(L"patch");
    Stage(L"patch\\staged.txt", "staged");
    LaunchEndsWithRun();

    EXPECT_EQ(ReadBytes(install_ / L"quillon.exe\\inside.txt"), "inside");
    EXPECT_EQ(ReadBytes(install_ / L"orbisk.exe"), "MZ orbisk");
    EXPECT_EQ(ReadBytes(install_ / L"staged.txt"), "staged");
    const auto log = Log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], "Open '" + P(L"quillon.exe") + "' result = 0x80000045, gle = 5");
    EXPECT_EQ(log[1], "Invalidated cache for '" + P(L"orbisk.exe") + "'");
}

// A file where the patch or queue folder belongs can't be enumerated. It stays; with the
// patch folder, the update's scripts wait as for a tree that did not move whole. Either way
// the log says why.
TEST_F(HostileInputTest, PlainFileInPlaceOfAFolderStaysWithAnEntry) {
    for (const wchar_t* folder : {L"patch", L"regupd"}) {
        SCOPED_TRACE(Narrow(folder));
        testing::RemoveTree(install_ / L"log");
        testing::RemoveTree(install_ / L"patch");
        testing::RemoveTree(install_ / L"regupd");
        const std::string script = std::string(kScriptKeyLine) + "\"Waits\"=\"1\"\r\n";
        if (std::wstring_view(folder) == L"patch") {
            MakeFolder(L"regupd");
            Stage(L"regupd\\a.regupd", script);
        }
        Stage(folder, "a file, not a folder");
        LaunchEndsWithRun();

        EXPECT_EQ(ReadBytes(install_ / folder), "a file, not a folder");
        if (std::wstring_view(folder) == L"patch") {
            EXPECT_EQ(ReadBytes(install_ / L"regupd\\a.regupd"), script);
        }
        EXPECT_TRUE(Values().empty());
        const auto log = Log();
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0].rfind("Failed to enumerate directory '" + P(folder) + "', gle = ", 0), 0u);
        EXPECT_NE(log[0].substr(log[0].size() - 2), " 0") << "the entry names the error";
    }
}

// With no place for the log, the run applies nothing: no step may go unrecorded.
TEST_F(HostileInputTest, LogFolderBlockedByAFileLeavesEverythingStaged) {
    Stage(L"log", "not a folder");
    MakeFolder(L"patch");
    Stage(L"patch\\staged.txt", "staged");
    MakeFolder(L"regupd");
    const std::string script = std::string(kScriptKeyLine) + "\"Waits\"=\"1\"\r\n";
    Stage(L"regupd\\a.regupd", script);
    const auto before = testing::TreeBelow(install_.path());
    LaunchEndsWithRun();

    EXPECT_TRUE(testing::TreeBelow(install_.path()) == before) << "something was applied";
    EXPECT_TRUE(Values().empty());
}

// Held by another process: without sharing the script can't be read; with read sharing it is
// imported but can't be deleted. Either way it stays queued, and the next run finishes it.
TEST_F(HostileInputTest, ScriptHeldOpenByAnotherProcessStaysQueuedUntilReleased) {
    struct Hold {
        const char* name;
        DWORD share;
        std::string entry;  // the entry that says why the script stayed
        bool written;
    };
    const std::string path = P(L"regupd\\held.regupd");
    const Hold holds[] = {
        {"no sharing", 0,
         "Import file exception: Failed to open registry file: " + path + ", gle = 32", false},
        {"read sharing", FILE_SHARE_READ, "Remove file '" + path + "' result = 0x80010104", true},
    };
    const std::string script = std::string(kScriptKeyLine) + "\"Held\"=\"1\"\r\n";
    for (const Hold& hold : holds) {
        SCOPED_TRACE(hold.name);
        testing::RemoveTree(install_ / L"log");
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kValueKey, L"Held");
        MakeFolder(L"regupd");
        Stage(L"regupd\\held.regupd", script);
        const HANDLE held =
            CreateFileW((install_ / L"regupd\\held.regupd").c_str(), GENERIC_READ, hold.share,
                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        LaunchEndsWithRun();
        CloseHandle(held);

        EXPECT_EQ(ReadBytes(install_ / L"regupd\\held.regupd"), script);
        EXPECT_EQ(Values().count(L"Held"), hold.written ? 1u : 0u);
        EXPECT_TRUE(HasEntryStartingWith(Log(), hold.entry));

        LaunchEndsWithRun();
        EXPECT_FALSE(Exists(install_ / L"regupd"));
        EXPECT_EQ(Values()[L"Held"], StringValue("1"));
    }
}

// Replaces the key's access list for the owner's scope: everyone may read, no one may write.
class ReadOnlyKey {
public:
    explicit ReadOnlyKey(const wchar_t* subkey) : subkey_(subkey) {
        ok_ = SetAccess(L"D:P(A;;KR;;;WD)");
    }
    ~ReadOnlyKey() { SetAccess(L"D:P(A;;KA;;;WD)"); }
    ReadOnlyKey(const ReadOnlyKey&) = delete;
    ReadOnlyKey& operator=(const ReadOnlyKey&) = delete;

    bool ok() const { return ok_; }

private:
    bool SetAccess(const wchar_t* descriptor_text) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(descriptor_text, SDDL_REVISION_1,
                                                                  &descriptor, nullptr)) {
            return false;
        }
        HKEY key = nullptr;
        LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, subkey_, 0, WRITE_DAC, &key);
        if (status == ERROR_SUCCESS) {
            status = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
            RegCloseKey(key);
        }
        LocalFree(descriptor);
        return status == ERROR_SUCCESS;
    }

    const wchar_t* subkey_;
    bool ok_ = false;
};

// A key that refuses writing must not make its values vanish with the script: the script
// stays with an entry that names the value, and goes once the key can be written.
TEST_F(HostileInputTest, KeyWithoutWriteAccessKeepsTheScriptQueued) {
    MakeFolder(L"regupd");
    const std::string script = std::string(kScriptKeyLine) + "\"Guarded\"=dword:7\r\n";
    Stage(L"regupd\\guarded.regupd", script);
    {
        ReadOnlyKey read_only(kValueKey);
        ASSERT_TRUE(read_only.ok());
        HKEY probe = nullptr;
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kValueKey, 0, KEY_WRITE, &probe),
                  ERROR_ACCESS_DENIED)
            << "the access list is not enforced here";
        LaunchEndsWithRun();
    }
    EXPECT_EQ(ReadBytes(install_ / L"regupd\\guarded.regupd"), script);
    EXPECT_TRUE(Values().empty());
    EXPECT_TRUE(HasEntryStartingWith(Log(), "Import file exception: Failed to set value of " +
                                                Narrow(kValueKey) + ": Guarded, gle = 5"));

    LaunchEndsWithRun();
    EXPECT_FALSE(Exists(install_ / L"regupd"));
    EXPECT_EQ(Values()[L"Guarded"], NumberValue(7));
}

}  // namespace
}  // namespace tendril
