#include "scenarios.h"

#include <cstdio>

#include "files.h"
#include "last_start.h"
#include "patch_tree.h"
#include "runner.h"
#include "script_text.h"

namespace tendril::bench {
namespace {

constexpr wchar_t kReturningModule[] = L"bench_ulmo_return.dll";
constexpr wchar_t kPeakMemoryModule[] = L"bench_ulmo_peak_memory.dll";

void UseMainModule(const std::wstring& folder, const wchar_t* module) {
    CopyInto(BuildOutputFolder() + L"\\" + module, folder + L"\\ulmo.dll");
}

// A fresh installation below `work`: tendril.exe and the main module that returns at once.
std::wstring FreshInstallation(const std::wstring& work, const wchar_t* name) {
    const std::wstring folder = work + L"\\" + name;
    RemoveTree(folder);
    MakeFolder(folder);
    CopyInto(BuildOutputFolder() + L"\\tendril.exe", folder + L"\\tendril.exe");
    UseMainModule(folder, kReturningModule);
    return folder;
}

void PrintRows(const std::vector<Subject>& subjects, const std::vector<Measurement>& results) {
    for (std::size_t i = 0; i < subjects.size(); ++i) {
        PrintRow(subjects[i].key, results[i].seconds, results[i].peak_kib);
    }
}

// Run must return at once while the launch is timed, so the memory comes from one more run
// of each program with the reporting module.
void MeasureLaunches(const std::vector<Subject>& subjects, int runs, const std::wstring& folder) {
    std::fprintf(stderr, "launch: %zu programs, %d rounds\n", subjects.size(), runs);
    auto results = TimeInterleaved(subjects, runs, folder, MainModule::kReturnsAtOnce, true);
    UseMainModule(folder, kPeakMemoryModule);
    const auto peaks = TimeInterleaved(subjects, 1, folder, MainModule::kReportsPeakMemory, false);
    UseMainModule(folder, kReturningModule);
    for (std::size_t i = 0; i < subjects.size(); ++i) {
        results[i].peak_kib = peaks[i].peak_kib;
    }
    PrintRows(subjects, results);
}

// Runs long enough that reading the memory counters in Run costs nothing measurable, on
// either side: every timed run reports its peak.
void MeasureLongRuns(const char* session, const std::vector<Subject>& subjects, int runs,
                     const std::wstring& folder, bool warm_up) {
    std::fprintf(stderr, "%s: %zu programs, %d rounds\n", session, subjects.size(), runs);
    UseMainModule(folder, kPeakMemoryModule);
    PrintRows(subjects,
              TimeInterleaved(subjects, runs, folder, MainModule::kReportsPeakMemory, warm_up));
}

std::wstring LogFolder(const std::wstring& folder) {
    return folder + L"\\log";
}

// Each "-r" run starts without a log folder, so that a due run always creates its log.
void PrepareUpdateRun(const std::wstring& folder, DWORD last_start) {
    RemoveTree(LogFolder(folder));
    SetLastStart(last_start);
}

std::wstring BaseName(const std::wstring& path) {
    return path.substr(path.find_last_of(L"\\/") + 1);
}

}  // namespace

void RunLaunchSession(int runs, const std::wstring& work,
                      const std::vector<std::pair<std::string, std::wstring>>& extra) {
    const std::wstring folder = FreshInstallation(work, L"launch");
    CopyInto(BuildOutputFolder() + L"\\bench_reference_launcher.exe", folder + L"\\reference.exe");
    const std::wstring tendril = Quoted(folder + L"\\tendril.exe");
    const std::wstring log = LogFolder(folder);

    std::vector<Subject> subjects = {
        {"launch.reference", Quoted(folder + L"\\reference.exe")},
        {"launch.plain", tendril},
        {"launch.not_due", tendril + L" -r",
         [folder] { PrepareUpdateRun(folder, NotDueLastStart()); }, [log] { return !Exists(log); }},
        {"launch.due_empty", tendril + L" -r",
         [folder] { PrepareUpdateRun(folder, kDueLastStart); }, [log] { return Exists(log); }},
    };
    for (const auto& [key, path] : extra) {
        const std::wstring copy = folder + L"\\" + BaseName(path);
        CopyInto(path, copy);
        subjects.push_back({key, Quoted(copy)});
    }
    MeasureLaunches(subjects, runs, folder);
}

void RunUpdateSession(int runs, const std::wstring& work, int folders, int files_per_folder) {
    const std::wstring folder = FreshInstallation(work, L"update");
    CopyInto(BuildOutputFolder() + L"\\bench_move_reference.exe", folder + L"\\move_reference.exe");
    const PatchTree tree{folder + L"\\patch", folder, folders, files_per_folder};
    StagePatchTree(tree);
    const std::wstring log = LogFolder(folder);

    const std::vector<Subject> subjects = {
        {"update.reference", Quoted(folder + L"\\move_reference.exe"),
         [tree] { RestagePatchTree(tree); }, [tree] { return PatchTreeMoved(tree); }},
        {"update.tendril." + std::to_string(folders) + "." + std::to_string(files_per_folder),
         Quoted(folder + L"\\tendril.exe") + L" -r",
         [tree, folder] {
             RestagePatchTree(tree);
             PrepareUpdateRun(folder, kDueLastStart);
         },
         [tree, log] { return PatchTreeMoved(tree) && Exists(log); }},
    };
    MeasureLongRuns("update", subjects, runs, folder, true);
}

void RunScriptSession(int runs, const std::wstring& work, std::size_t lines) {
    const std::wstring folder = FreshInstallation(work, L"script");
    const std::wstring tendril = Quoted(folder + L"\\tendril.exe") + L" -r";
    const std::wstring queue = folder + L"\\regupd";
    const std::wstring log = LogFolder(folder);
    const std::string text = RegistryScriptText(lines);

    // The queue folder is removed once every script in it was imported.
    const auto imported = [queue, log] { return Exists(log) && !Exists(queue); };
    const std::vector<Subject> subjects = {
        {"script.empty", tendril, [folder] { PrepareUpdateRun(folder, kDueLastStart); }, imported},
        {"script." + std::to_string(lines), tendril,
         [folder, queue, &text] {
             PrepareUpdateRun(folder, kDueLastStart);
             MakeFolder(queue);
             WriteWholeFile(queue + L"\\bench.regupd", text);
         },
         imported},
    };
    // A warm-up round would cost as much as a timed one; the script is written anew each run.
    MeasureLongRuns("script", subjects, runs, folder, false);
}

}  // namespace tendril::bench
