// The real launcher killed at random points of an update run, then run again to the end:
// nothing staged is lost on the way, and the end state is the one an uninterrupted run reaches.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "test_support.h"

namespace tendril {
namespace {

using testing::Narrow;

using testing::CopyBuildOutput;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

constexpr unsigned kSeed = 0x7E4D2111;
constexpr int kStagedFiles = 300;
constexpr int kQueuedScripts = 20;
constexpr int kStagedScripts = 20;
constexpr int kLeastSequences = 10;
constexpr int kMostSequences = 100;  // a loaded machine lands on fewer distinct points
constexpr int kMostKillsPerSequence = 10;
constexpr std::size_t kRequiredKillStates = 50;
constexpr wchar_t kValueKey[] = L"Software\\VelmoraLab\\TendrilInterruptTest";

// Bytes that differ per file. Each version of a file has a size of its own, so that the
// checks after a kill can tell versions apart from the folder listing alone.
std::string Content(const std::string& tag, int size) {
    std::string bytes = tag + ":";
    for (int i = 0; static_cast<int>(bytes.size()) < size; ++i) {
        bytes.push_back(static_cast<char>('a' + (i * 7 + static_cast<int>(tag.size())) % 26));
    }
    return bytes;
}

struct Script {
    std::wstring queued_path;  // relative to the installation, where it waits for import
    std::wstring staged_path;  // relative to the installation, before the move; may equal the above
    std::string text;
    std::map<std::wstring, std::pair<DWORD, std::string>> values;
};

// What the test stages: files by their path below the patch folder, files installed before the
// run, and the registry scripts with the values each of them writes.
struct Staging {
    std::map<std::wstring, std::string> patch_files;
    std::map<std::wstring, std::string> installed;
    std::vector<Script> scripts;
};

Staging MakeStaging() {
    Staging staging;
    // The siblings are rewritten in place; one of them is also replaced by the patch.
    staging.installed[L"quillon.exe"] = Content("quillon-old", 96 * 1024);
    staging.installed[L"orbisk.exe"] = Content("orbisk", 64 * 1024);
    staging.patch_files[L"quillon.exe"] = Content("quillon-new", 80 * 1024);
    for (int i = 0; i < kStagedFiles; ++i) {
        const std::wstring path = L"d" + std::to_wstring(i % 7) + L"\\s" + std::to_wstring(i % 3) +
                                  L"\\f" + std::to_wstring(i) + L".bin";
        staging.patch_files[path] = Content("new" + std::to_string(i), 500 + (i * 97) % 6000);
        if (i % 6 == 0) {
            staging.installed[path] = Content("old" + std::to_string(i), 100 + i);
        }
    }
    for (int i = 0; i < kQueuedScripts + kStagedScripts; ++i) {
        Script script;
        const std::wstring name = L"s" + std::to_wstring(i) + L".regupd";
        script.queued_path = L"regupd\\" + name;
        script.staged_path = i < kQueuedScripts ? script.queued_path : L"patch\\regupd\\" + name;
        const std::string text_name = "S" + std::to_string(i) + "_text";
        const std::string number_name = "S" + std::to_string(i) + "_number";
        const DWORD number = 0x1000 + static_cast<DWORD>(i);
        char number_text[16];
        std::snprintf(number_text, sizeof number_text, "%08lx", static_cast<unsigned long>(number));
        script.text = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\" + Narrow(kValueKey) + "]\r\n\"" +
                      text_name + "\"=\"v" + std::to_string(i) + "\"\r\n\"" + number_name +
                      "\"=dword:" + number_text + "\r\n";
        const std::string text = "v" + std::to_string(i);
        std::string text_bytes;
        for (const char c : text) {
            text_bytes += std::string{c, '\0'};
        }
        text_bytes += std::string(2, '\0');
        script.values[std::wstring(text_name.begin(), text_name.end())] = {REG_SZ, text_bytes};
        script.values[std::wstring(number_name.begin(), number_name.end())] = {
            REG_DWORD, std::string(reinterpret_cast<const char*>(&number), sizeof(number))};
        staging.scripts.push_back(std::move(script));
    }
    return staging;
}

// `launcher` is the built launcher to install as tendril.exe.
bool Stage(const Staging& staging, const std::wstring& install, const wchar_t* launcher) {
    bool ok = CopyBuildOutput(launcher, install + L"\\tendril.exe") &&
              CopyBuildOutput(L"ulmo_recorder.dll", install + L"\\ulmo.dll");
    for (const wchar_t* folder : {L"patch", L"regupd", L"patch\\regupd"}) {
        ok = ok && CreateDirectoryW((install + L"\\" + folder).c_str(), nullptr);
    }
    for (int d = 0; d < 7; ++d) {
        const std::wstring folder = install + L"\\patch\\d" + std::to_wstring(d);
        ok = ok && CreateDirectoryW(folder.c_str(), nullptr);
        for (int s = 0; s < 3; ++s) {
            ok = ok && CreateDirectoryW((folder + L"\\s" + std::to_wstring(s)).c_str(), nullptr);
        }
    }
    // The installed files live in folders that the patch merges into.
    for (int d = 0; d < 7; ++d) {
        const std::wstring folder = install + L"\\d" + std::to_wstring(d);
        ok = ok && CreateDirectoryW(folder.c_str(), nullptr);
        for (int s = 0; s < 3; ++s) {
            ok = ok && CreateDirectoryW((folder + L"\\s" + std::to_wstring(s)).c_str(), nullptr);
        }
    }
    for (const auto& [path, bytes] : staging.patch_files) {
        ok = ok && WriteBytes(install + L"\\patch\\" + path, bytes);
    }
    for (const auto& [path, bytes] : staging.installed) {
        ok = ok && WriteBytes(install + L"\\" + path, bytes);
    }
    for (const auto& script : staging.scripts) {
        ok = ok && WriteBytes(install + L"\\" + script.staged_path, script.text);
    }
    return ok;
}

// One start of the launcher that the test ends when it chooses.
class LauncherProcess {
public:
    LauncherProcess(const std::wstring& exe, const std::wstring& command_line) {
        std::vector<wchar_t> line(command_line.begin(), command_line.end());
        line.push_back(L'\0');
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        if (CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &process)) {
            CloseHandle(process.hThread);
            process_ = process.hProcess;
        }
    }
    ~LauncherProcess() {
        if (process_ != nullptr) {
            (void)KillAfter(0);
            CloseHandle(process_);
        }
    }
    LauncherProcess(const LauncherProcess&) = delete;
    LauncherProcess& operator=(const LauncherProcess&) = delete;

    bool started() const { return process_ != nullptr; }

    // Waits, a millisecond at a time, until `ready` holds; false when the process ended first.
    template <typename Ready>
    bool WaitUntil(const Ready& ready) {
        while (WaitForSingleObject(process_, 1) == WAIT_TIMEOUT) {
            if (ready()) {
                return true;
            }
        }
        return false;
    }

    // Ends the process after `delay_ms`; false when it had ended by itself.
    bool KillAfter(DWORD delay_ms) {
        if (WaitForSingleObject(process_, delay_ms) != WAIT_TIMEOUT) {
            return false;
        }
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 10000);
        // Wine reports the process ended before its last system call has returned; give
        // that call time to land before the file system is read.
        Sleep(30);
        return true;
    }

private:
    HANDLE process_ = nullptr;
};

// Bytes in the update logs: the update run has begun once they grow, since each entry is
// written as it ends.
std::uint64_t LogBytes(const std::wstring& install) {
    std::uint64_t total = 0;
    for (const auto& [name, size] : testing::FileSizesBelow(install + L"\\log")) {
        total += size;
    }
    return total;
}

// How far a run got: staged files (scripts included) still in the patch tree, scripts not yet
// imported, values written so far. Distinct states are distinct kill points.
using KillState = std::tuple<int, int, int>;

// Checks that nothing staged or installed is missing, short or wrong, and returns how far the
// run got. Files are told apart by size here (the siblings and scripts by their bytes); the
// bytes of every file are compared once the run has completed.
KillState CheckNothingLost(const Staging& staging, const std::wstring& install) {
    const auto sizes = testing::FileSizesBelow(install);
    const auto size_of = [&](const std::wstring& path) -> std::optional<std::uint64_t> {
        const auto at = sizes.find(path);
        return at == sizes.end() ? std::nullopt : std::make_optional(at->second);
    };
    int in_patch = 0;
    for (const auto& [path, bytes] : staging.patch_files) {
        if (const auto staged = size_of(L"patch\\" + path)) {
            ++in_patch;
            EXPECT_EQ(*staged, bytes.size()) << "staged file changed: " << Narrow(path);
        } else {
            EXPECT_EQ(size_of(path), bytes.size())
                << "staged file neither staged nor installed whole: " << Narrow(path);
        }
    }
    for (const auto& [path, old_bytes] : staging.installed) {
        const auto staged = staging.patch_files.find(path);
        const auto is_old_or_staged = [&](const auto& now, const auto& version_of) {
            return now == version_of(old_bytes) ||
                   (staged != staging.patch_files.end() && now == version_of(staged->second));
        };
        if (path.find(L'\\') == std::wstring::npos) {
            EXPECT_TRUE(is_old_or_staged(ReadBytes(install + L"\\" + path),
                                         [](const std::string& bytes) { return bytes; }))
                << "sibling missing, short or changed: " << Narrow(path);
        } else {
            EXPECT_TRUE(is_old_or_staged(size_of(path),
                                         [](const std::string& bytes) { return bytes.size(); }))
                << "installed file missing, short or changed: " << Narrow(path);
        }
    }
    const auto values = testing::RegistryValuesOf(kValueKey);
    int queued = 0;
    int written = 0;
    for (const auto& script : staging.scripts) {
        int present = 0;
        for (const auto& [name, value] : script.values) {
            const auto at = values.find(name);
            if (at != values.end()) {
                ++present;
                EXPECT_EQ(at->second, value) << "wrong value " << Narrow(name);
            }
        }
        written += present;
        if (script.staged_path != script.queued_path && size_of(script.staged_path)) {
            ++in_patch;
        }
        const bool waiting = size_of(script.staged_path) || size_of(script.queued_path);
        if (waiting) {
            ++queued;
            const std::wstring& at =
                size_of(script.staged_path) ? script.staged_path : script.queued_path;
            EXPECT_EQ(ReadBytes(install + L"\\" + at), script.text)
                << "script changed: " << Narrow(at);
        } else {
            EXPECT_EQ(present, static_cast<int>(script.values.size()))
                << "script gone but not imported: " << Narrow(script.queued_path);
        }
    }
    return {in_patch, queued, written};
}

// The log must name what killed runs did: every file moved and every script imported has its
// entry, but for the one step per killed run that the kill may have cut from its entry.
void CheckLogTellsWhatHappened(const Staging& staging, const KillState& state, int killed_runs,
                               const std::wstring& install) {
    int moves = 0;
    int removals = 0;
    for (const auto& entry : testing::LogEntries(install + L"\\log")) {
        if (entry.rfind("Move file (attributes: ", 0) == 0 &&
            entry.find("' result = 1, gle = ") != std::string::npos) {
            ++moves;
        }
        if (entry.rfind("Remove file '", 0) == 0 &&
            entry.find("' result = 0x00000000") != std::string::npos) {
            ++removals;
        }
    }
    const int staged = static_cast<int>(staging.patch_files.size()) + kStagedScripts;
    const int files_moved = staged - std::get<0>(state);
    const int scripts_imported = static_cast<int>(staging.scripts.size()) - std::get<1>(state);
    EXPECT_GE(moves + killed_runs, files_moved) << "moved files without a log entry";
    EXPECT_GE(removals + killed_runs, scripts_imported) << "imported scripts without a log entry";
}

// The shipped launcher, and the same launch with Windows' file system rules over Wine's.
class InterruptedRunTest : public ::testing::TestWithParam<const wchar_t*> {
protected:
    void SetUp() override { ASSERT_TRUE(testing::SetLastStart(nullptr)); }
    void TearDown() override { testing::SetLastStart(nullptr); }

    const Staging staging_ = MakeStaging();
};

TEST_P(InterruptedRunTest, KilledRunsLoseNothingAndEndWhereAnUninterruptedRunEnds) {
    std::printf("seed 0x%08X\n", kSeed);

    // The reference: one run left alone, timed from its start to its first log entry and
    // from there to its end.
    std::map<std::wstring, std::string> reference_tree;
    std::map<std::wstring, std::pair<DWORD, std::string>> reference_values;
    DWORD first_entry_ms = 0;
    DWORD update_ms = 0;
    {
        TempFolder install;
        testing::ScopedRegistryKey key(kValueKey);
        ASSERT_TRUE(key.created());
        ASSERT_TRUE(Stage(staging_, install.path(), GetParam()));
        const ULONGLONG start = GetTickCount64();
        LauncherProcess run(install / L"tendril.exe", L"tendril.exe -r --exit=9");
        ASSERT_TRUE(run.started());
        ASSERT_TRUE(run.WaitUntil([&] { return LogBytes(install.path()) > 0; }));
        const ULONGLONG first_entry = GetTickCount64();
        ASSERT_FALSE(run.KillAfter(60000));
        first_entry_ms = static_cast<DWORD>(first_entry - start);
        update_ms = static_cast<DWORD>(GetTickCount64() - first_entry);
        reference_tree = testing::TreeBelow(install.path());
        reference_tree.erase(reference_tree.lower_bound(L"log\\"),
                             reference_tree.lower_bound(L"log]"));
        reference_values = testing::RegistryValuesOf(kValueKey);
        CheckNothingLost(staging_, install.path());
    }
    ASSERT_FALSE(reference_tree.count(L"patch\\")) << "the reference run did not finish";
    ASSERT_FALSE(reference_tree.count(L"regupd\\"));
    ASSERT_EQ(reference_values.size(), 2u * staging_.scripts.size());
    std::printf("first log entry after %lu ms, end %lu ms later\n",
                static_cast<unsigned long>(first_entry_ms), static_cast<unsigned long>(update_ms));

    // Most kills are timed from a run's first log entry, which start-up times that vary by
    // tens of milliseconds would otherwise blur; one in four is timed from the start of the
    // process, to land in start-up or in the rewrite of the first sibling.
    std::mt19937 random(kSeed);
    std::set<KillState> states;
    int kills = 0;
    int sequence = 0;
    for (; sequence < kMostSequences &&
           (sequence < kLeastSequences || states.size() < kRequiredKillStates);
         ++sequence) {
        TempFolder install;
        testing::ScopedRegistryKey key(kValueKey);
        ASSERT_TRUE(key.created());
        ASSERT_TRUE(Stage(staging_, install.path(), GetParam()));
        for (int killed = 0; killed < kMostKillsPerSequence;) {
            const std::uint64_t log_before = LogBytes(install.path());
            const bool from_start = random() % 4 == 0;
            const DWORD delay =
                static_cast<DWORD>(from_start ? random() % (first_entry_ms + update_ms / 4 + 1)
                                              : random() % (update_ms / 2 + 1));
            SCOPED_TRACE("sequence " + std::to_string(sequence) + ", kill " +
                         std::to_string(killed) + (from_start ? " at start + " : " at entry + ") +
                         std::to_string(delay) + " ms");
            LauncherProcess run(install / L"tendril.exe", L"tendril.exe -r");
            ASSERT_TRUE(run.started());
            if (!from_start &&
                !run.WaitUntil([&] { return LogBytes(install.path()) > log_before; })) {
                break;  // that run finished: nothing left to interrupt
            }
            if (!run.KillAfter(delay)) {
                break;
            }
            ++killed;
            ++kills;
            const KillState state = CheckNothingLost(staging_, install.path());
            CheckLogTellsWhatHappened(staging_, state, killed, install.path());
            states.insert(state);
        }
        SCOPED_TRACE("sequence " + std::to_string(sequence) + ", completed");
        ASSERT_EQ(testing::RunToExit(install / L"tendril.exe", L"tendril.exe -r --exit=9"), 9u);
        auto tree = testing::TreeBelow(install.path());
        tree.erase(tree.lower_bound(L"log\\"), tree.lower_bound(L"log]"));
        // A run killed after deleting the last script but before removing the queue folder
        // leaves that folder empty, and later runs keep an empty queue folder as it is.
        const auto queue = tree.find(L"regupd\\");
        if (queue != tree.end() && std::next(queue) == tree.lower_bound(L"regupd]")) {
            tree.erase(queue);
        }
        EXPECT_TRUE(tree == reference_tree) << "the installation differs from the reference:"
                                            << testing::TreeDifference(tree, reference_tree);
        if (tree != reference_tree) {
            const auto entries = testing::LogEntries(install / L"log");
            const std::size_t shown = std::min<std::size_t>(entries.size(), 40);
            std::printf("the last %zu log entries:\n", shown);
            for (std::size_t i = entries.size() - shown; i < entries.size(); ++i) {
                std::printf("  %s\n", entries[i].c_str());
            }
        }
        EXPECT_TRUE(testing::RegistryValuesOf(kValueKey) == reference_values)
            << "the registry differs from the reference";
        if (::testing::Test::HasFailure()) {
            break;
        }
    }
    std::printf("%d sequences, %d kills, %zu distinct kill states\n", sequence, kills,
                states.size());
    EXPECT_GE(states.size(), kRequiredKillStates);
}

INSTANTIATE_TEST_SUITE_P(Launchers, InterruptedRunTest,
                         ::testing::Values(L"tendril.exe", L"launcher_under_windows_rules.exe"),
                         [](const ::testing::TestParamInfo<const wchar_t*>& param) {
                             return param.index == 0 ? "Shipped" : "UnderWindowsRules";
                         });

}  // namespace
}  // namespace tendril
