// patch-check's verdict on a staged tree against what the shipped launcher does with the same
// tree: a tree it passes moves whole, a tree it rejects stays staged (or, for a case
// collision, loses a file).
//
// Names Windows' path parsing changes (a device name, a trailing period) are made through the
// "\\?\" prefix, as an archive tool does on Windows. A '?' and a second name of another case
// can't be made on Windows at all: they come from trees built on Linux. Here Wine's own
// "\\?\unix\" namespace makes them (through CreateFileW, on the disk the launcher then reads);
// without Wine those two cases are skipped.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "test_support.h"

namespace tendril {
namespace {

using testing::Exists;
using testing::Narrow;
using testing::ReadBytes;
using testing::TempFolder;

constexpr wchar_t kValueKey[] = L"Software\\VelmoraLab\\TendrilPatchCheckTest";

// How a staged name is made.
enum class Maker {
    kPlain,     // the ordinary path
    kVerbatim,  // "\\?\": no path parsing
    kWineUnix,  // Wine's "\\?\unix\": the host's own name, no Windows rule applied
};

// The Unix path of `folder` in Wine's "\\?\unix\" form, or nullopt outside Wine.
std::optional<std::wstring> WineUnixPath(const std::wstring& folder) {
    using UnixFileName = char*(CDECL*)(const wchar_t*);
    const auto unix_file_name = reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (unix_file_name == nullptr) {
        return std::nullopt;
    }
    char* unix_path = unix_file_name(folder.c_str());
    if (unix_path == nullptr) {
        return std::nullopt;
    }
    const int size = MultiByteToWideChar(CP_UTF8, 0, unix_path, -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size - 1 : 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, unix_path, -1, wide.data(), size);
    HeapFree(GetProcessHeap(), 0, unix_path);
    for (wchar_t& c : wide) {
        c = c == L'/' ? L'\\' : c;
    }
    return L"\\\\?\\unix" + wide;
}

// Removes a tree whatever its names, through Wine's namespace where there is one.
void RemoveAnyTree(const std::wstring& path) {
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring child = path + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveAnyTree(child);
            } else {
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

struct CheckerRun {
    std::optional<DWORD> exit_code;
    std::string out;  // without the CR of each line end
};

// Runs the built patch-check.exe on `folder` with its output in files of `scratch`.
CheckerRun RunChecker(const std::wstring& folder, const TempFolder& scratch) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    const auto open = [&](const wchar_t* name) {
        return CreateFileW((scratch / name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    const HANDLE out = open(L"out.txt");
    const HANDLE err = open(L"err.txt");
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = err;
    const std::wstring exe = testing::BuildOutputFolder() + L"\\patch-check.exe";
    std::wstring line = L"\"" + exe + L"\" \"" + folder + L"\"";
    PROCESS_INFORMATION process{};
    CheckerRun run;
    if (CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &process)) {
        DWORD code = 0;
        if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(process.hProcess, &code)) {
            run.exit_code = code;
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(out);
    CloseHandle(err);
    for (const char c : ReadBytes(scratch / L"out.txt").value_or("")) {
        if (c != '\r') {
            run.out += c;
        }
    }
    return run;
}

struct StagedFile {
    const wchar_t* path;  // relative to the patch folder
    Maker maker;
    const char* bytes;
};

struct TreeCase {
    const char* name;
    std::vector<StagedFile> files;  // staged beside regupd\tree.regupd
    // The checker's verdict: its one line starts so; empty for a clean tree.
    std::string finding;
    // For a tree that stays staged: the entry that can't move, and how its move ends in the
    // log (what Wine 8 gives for each).
    const wchar_t* stays;
    std::string move_result;
    // The staged files are one name to Windows: the tree moves, and one of them is left.
    bool one_is_left;
};

void PrintTo(const TreeCase& c, std::ostream* out) {
    *out << c.name;
}

const TreeCase kTreeCases[] = {
    {"Clean",
     {{L"top.txt", Maker::kPlain, "top"},
      {L"bin\\quillon.dat", Maker::kPlain, "data"},
      {L"docs\\caf\u00e9.txt", Maker::kPlain, "guide"}},
     "",
     nullptr,
     "",
     false},
    {"ReservedName",
     {{L"fine.txt", Maker::kPlain, "fine"}, {L"aux.txt", Maker::kVerbatim, "aux"}},
     "aux.txt: AUX is a reserved device name",
     L"aux.txt",
     "result = 0, gle = 87",
     false},
    {"ForbiddenCharacter",
     {{L"fine.txt", Maker::kPlain, "fine"}, {L"q?.txt", Maker::kWineUnix, "question"}},
     "q?.txt: character '?' is forbidden in names",
     L"q?.txt",
     "result = 0, gle = 123",
     false},
    {"TrailingPeriod",
     {{L"fine.txt", Maker::kPlain, "fine"}, {L"trail.", Maker::kVerbatim, "trail"}},
     "trail.: name ends in a period",
     L"trail.",
     "result = 0, gle = 2",
     false},
    {"CaseCollision",
     {{L"README.txt", Maker::kPlain, "upper"}, {L"Readme.txt", Maker::kWineUnix, "mixed"}},
     "README.txt: same name on Windows as Readme.txt",
     nullptr,
     "",
     true},
};

class PatchCheckLauncherTest : public ::testing::TestWithParam<TreeCase> {
protected:
    void SetUp() override {
        ASSERT_TRUE(key_.created());
        ASSERT_TRUE(testing::CopyBuildOutput(L"tendril.exe", install_ / L"tendril.exe"));
        ASSERT_TRUE(testing::CopyBuildOutput(L"ulmo_recorder.dll", install_ / L"ulmo.dll"));
        ASSERT_TRUE(testing::SetLastStart(nullptr));
        unix_install_ = WineUnixPath(install_.path());
    }
    void TearDown() override {
        testing::SetLastStart(nullptr);
        RemoveAnyTree(unix_install_.value_or(L"\\\\?\\" + install_.path()));
    }

    // The path that reaches `relative` (below the installation) the way `maker` made it.
    std::wstring PathOf(const std::wstring& relative, Maker maker) const {
        switch (maker) {
            case Maker::kPlain:
                return install_ / relative;
            case Maker::kVerbatim:
                return L"\\\\?\\" + (install_ / relative);
            case Maker::kWineUnix:
                return *unix_install_ + L"\\" + relative;
        }
        return {};
    }

    void Stage(const StagedFile& file) {
        const std::wstring relative = std::wstring(L"patch\\") + file.path;
        for (std::size_t end = relative.find(L'\\'); end != std::wstring::npos;
             end = relative.find(L'\\', end + 1)) {
            CreateDirectoryW((install_ / relative.substr(0, end)).c_str(), nullptr);
        }
        ASSERT_TRUE(testing::WriteBytes(PathOf(relative, file.maker), file.bytes))
            << Narrow(file.path) << ", gle = " << GetLastError();
    }

    std::string MoveEntry(const std::wstring& name) {
        for (const std::string& entry : testing::LogEntries(install_ / L"log")) {
            if (entry.rfind("Move file (", 0) == 0 &&
                entry.find("'" + Narrow(install_ / (L"patch\\" + name)) + "'-> '" +
                           Narrow(install_ / name) + "' ") != std::string::npos) {
                return entry.substr(entry.find("' result = ") + 2);
            }
        }
        return "no entry";
    }

    testing::ScopedRegistryKey key_{kValueKey};
    TempFolder install_;
    TempFolder scratch_;
    std::optional<std::wstring> unix_install_;
};

TEST_P(PatchCheckLauncherTest, CheckerVerdictMatchesWhatTheLauncherDoes) {
    const TreeCase& c = GetParam();
    for (const StagedFile& file : c.files) {
        if (file.maker == Maker::kWineUnix && !unix_install_) {
            GTEST_SKIP() << "Windows can't make " << Narrow(file.path)
                         << "; only Wine's \\\\?\\unix\\ namespace can, for this test";
        }
        Stage(file);
    }
    ASSERT_TRUE(CreateDirectoryW((install_ / L"patch\\regupd").c_str(), nullptr));
    ASSERT_TRUE(testing::WriteBytes(install_ / L"patch\\regupd\\tree.regupd",
                                    "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Software\\VelmoraLab\\"
                                    "TendrilPatchCheckTest]\r\n\"Tree\"=\"" +
                                        std::string(c.name) + "\"\r\n"));

    const CheckerRun checker = RunChecker(install_ / L"patch", scratch_);
    if (c.finding.empty()) {
        EXPECT_EQ(checker.exit_code, std::optional<DWORD>(0));
        EXPECT_EQ(checker.out, "");
    } else {
        EXPECT_EQ(checker.exit_code, std::optional<DWORD>(1));
        EXPECT_EQ(checker.out.rfind(c.finding, 0), 0u) << checker.out;
        EXPECT_EQ(checker.out.find('\n'), checker.out.size() - 1) << "one line: " << checker.out;
    }

    EXPECT_EQ(testing::RunToExit(install_ / L"tendril.exe", L"tendril.exe -r --exit=5"),
              std::optional<DWORD>(5));

    const auto values = testing::RegistryValuesOf(kValueKey);
    if (c.stays != nullptr) {
        const StagedFile& stuck = *std::find_if(c.files.begin(), c.files.end(), [&](auto& file) {
            return std::wstring(file.path) == c.stays;
        });
        EXPECT_TRUE(Exists(PathOf(std::wstring(L"patch\\") + c.stays, stuck.maker)));
        EXPECT_FALSE(Exists(PathOf(c.stays, stuck.maker)));
        EXPECT_EQ(MoveEntry(c.stays), c.move_result);
        EXPECT_EQ(ReadBytes(install_ / L"fine.txt"), std::optional<std::string>("fine"));
        // The patch folder stays, so the queue waits, at every boot, for good.
        EXPECT_TRUE(Exists(install_ / L"patch"));
        EXPECT_TRUE(Exists(install_ / L"regupd\\tree.regupd"));
        EXPECT_EQ(values.count(L"Tree"), 0u);
        return;
    }
    EXPECT_FALSE(Exists(install_ / L"patch"));
    EXPECT_FALSE(Exists(install_ / L"regupd"));
    EXPECT_EQ(values.count(L"Tree"), 1u);
    if (!c.one_is_left) {
        for (const StagedFile& file : c.files) {
            EXPECT_EQ(ReadBytes(install_ / file.path), std::optional<std::string>(file.bytes))
                << Narrow(file.path);
        }
        return;
    }
    // Every move reports success, yet of the files only one is there.
    for (const StagedFile& file : c.files) {
        EXPECT_EQ(MoveEntry(file.path).rfind("result = 1, gle = ", 0), 0u) << Narrow(file.path);
    }
    std::vector<std::string> left;
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((install_ / L"*").c_str(), &entry);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    do {
        if (CompareStringOrdinal(entry.cFileName, -1, c.files[0].path, -1, TRUE) == CSTR_EQUAL) {
            left.push_back(ReadBytes(install_ / entry.cFileName).value_or(""));
        }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_TRUE(left[0] == c.files[0].bytes || left[0] == c.files[1].bytes) << left[0];
}

INSTANTIATE_TEST_SUITE_P(Trees, PatchCheckLauncherTest, ::testing::ValuesIn(kTreeCases),
                         [](const ::testing::TestParamInfo<TreeCase>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
}  // namespace tendril
