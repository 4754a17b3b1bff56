// The built patch-check on trees made in a temporary folder: what it prints and its exit code.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int exit_code;
    std::string out;
    std::string err;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

class PatchCheckToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::path(testing::TempDir()) / "patch-check-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        temp_ = pattern;
        patch_ = temp_ / "patch";
        fs::create_directory(patch_);
    }
    void TearDown() override { fs::remove_all(temp_); }

    ToolRun Check(const std::vector<std::string>& arguments) {
        const fs::path out = temp_ / "out.txt";
        const fs::path err = temp_ / "err.txt";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        std::vector<std::string> words = {PATCH_CHECK_EXE};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        argv.reserve(words.size() + 1);
        for (auto& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        pid_t child = 0;
        const int spawned =
            posix_spawn(&child, PATCH_CHECK_EXE, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            ADD_FAILURE() << "cannot start " << PATCH_CHECK_EXE;
            return {-1, {}, {}};
        }
        int status = 0;
        waitpid(child, &status, 0);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out), ReadFile(err)};
    }

    ToolRun CheckPatch() { return Check({patch_.string()}); }

    fs::path temp_;
    fs::path patch_;
};

constexpr const char* kScript =
    "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Software\\VelmoraLab]\r\n\"Version\"=\"23.0\"\r\n";

TEST_F(PatchCheckToolTest, TreeTheLauncherMovesWholeIsClean) {
    WriteFile(patch_ / "ulmo.dll", "dll");
    WriteFile(patch_ / "bin" / "caf\xC3\xA9.txt", "text");
    WriteFile(patch_ / "regupd" / "version.regupd", kScript);
    fs::create_directories(patch_ / "empty");
    const ToolRun run = CheckPatch();
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
}

TEST_F(PatchCheckToolTest, ReportsEveryEntryWindowsCanNotApplyAndEveryBrokenScript) {
    for (const char* name :
         {"aux.txt", "q?.txt", "trail.", "README.txt", "Readme.txt", "bad\xFF.txt", "target.txt"}) {
        WriteFile(patch_ / name, name);
    }
    fs::create_symlink("target.txt", patch_ / "link.txt");
    // A link to a folder is not walked: the bad name behind it is not reported.
    WriteFile(temp_ / "outside" / "con", "");
    fs::create_directory_symlink(temp_ / "outside", patch_ / "linked");
    WriteFile(patch_ / "regupd" / "broken.regupd", "REGEDIT4\r\n[HKEY_USERS\\A]\r\n");
    WriteFile(patch_ / "regupd" / "fine.regupd", kScript);
    WriteFile(patch_ / "regupd" / "deeper" / "late.regupd", kScript);
    ASSERT_EQ(::mkfifo((patch_ / "pipe").c_str(), 0600), 0);

    const ToolRun run = CheckPatch();
    EXPECT_EQ(run.exit_code, 1);
    const std::string stays = "so the entry is never moved and the update stays staged\n";
    EXPECT_EQ(
        run.out,
        "README.txt: same name on Windows as Readme.txt: every move succeeds and one file "
        "silently replaces the other\n"
        "aux.txt: AUX is a reserved device name, with any extension: Windows opens the "
        "device instead, " +
            stays +
            "bad\\xFF.txt: name is not valid UTF-8: it has no Windows form, so the entry "
            "arrives under another name or not at all\n"
            "link.txt: symbolic link: the launcher moves it as one entry and never follows it, "
            "so what it points to is not part of the update\n"
            "linked: symbolic link: the launcher moves it as one entry and never follows it, "
            "so what it points to is not part of the update\n"
            "pipe: FIFO: not a file or folder, Windows has nothing to hold it\n"
            "q?.txt: character '?' is forbidden in names: Windows refuses the name, " +
            stays +
            "regupd/broken.regupd:2: Invalid root key: HKEY_USERS\n"
            "regupd/deeper/late.regupd: script below the queue folder is never imported: the "
            "launcher imports only the scripts directly in regupd/\n"
            "trail.: name ends in a period: Windows drops it and finds no such entry, " +
            stays);
    EXPECT_EQ(run.err, "");
}

TEST_F(PatchCheckToolTest, ChecksTargetPathsAndTheInstalledFilesWhenAsked) {
    WriteFile(patch_ / "data", "now a file");
    WriteFile(patch_ / std::string(40, 'n'), "long");
    WriteFile(temp_ / "installed.txt", "data/settings.ini\r\nulmo.dll\r\n");
    const std::string root = "C:\\" + std::string(216, 'r');  // 219 + 1 + 40 = 260
    const ToolRun run = Check({"--installed", (temp_ / "installed.txt").string(), patch_.string(),
                               "--install-root=" + root});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.out,
              "data: staged file where the installation has a folder: Windows can't replace a "
              "folder with a file, so the update stays staged for good\n" +
                  std::string(40, 'n') +
                  ": target path is 260 UTF-16 units in the installation, reaching MAX_PATH "
                  "(260): Windows refuses it unless long paths are enabled, so only long-path "
                  "handling in the launcher moves it\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(PatchCheckToolTest, UsageErrorsAndUnreadableInputEndWithExitCodeTwo) {
    WriteFile(temp_ / "file", "not a folder");
    WriteFile(temp_ / "bad-listing.txt", "ok\n\xFF\n");
    const std::string usage =
        "usage: patch-check PATCH-FOLDER [--install-root WINDOWS-PATH] [--installed LISTING]\n";
    const std::string patch = patch_.string();
    struct Case {
        std::vector<std::string> arguments;
        std::string err;
    };
    const Case cases[] = {
        {{}, "patch-check: no PATCH-FOLDER given\n" + usage},
        {{patch, patch}, "patch-check: more than one PATCH-FOLDER given\n" + usage},
        {{patch, "--verbose"}, "patch-check: unknown option --verbose\n" + usage},
        {{patch, "--install-root"}, "patch-check: option --install-root needs a value\n" + usage},
        {{patch, "--installed=a", "--installed=b"},
         "patch-check: option given twice: --installed=b\n" + usage},
        {{patch, "--install-root", "C:\\\xFF"},
         "patch-check: --install-root needs a Windows path in UTF-8\n" + usage},
        {{patch, "--installed", (temp_ / "missing.txt").string()},
         "patch-check: cannot read listing " + (temp_ / "missing.txt").string() + "\n"},
        {{patch, "--installed", (temp_ / "bad-listing.txt").string()},
         "patch-check: listing " + (temp_ / "bad-listing.txt").string() +
             ": line 2 is not valid UTF-8\n"},
        {{(temp_ / "missing").string()},
         "patch-check: cannot read folder " + (temp_ / "missing").string() +
             ": No such file or directory\n"},
        {{(temp_ / "file").string()},
         "patch-check: cannot read folder " + (temp_ / "file").string() + ": Not a directory\n"},
    };
    for (const auto& c : cases) {
        const ToolRun run = Check(c.arguments);
        EXPECT_EQ(run.exit_code, 2) << c.err;
        EXPECT_EQ(run.out, "") << c.err;
        EXPECT_EQ(run.err, c.err);
    }

    const ToolRun help = Check({"--help"});
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_EQ(help.out, usage);
}

}  // namespace
