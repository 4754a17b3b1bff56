#include "patch_tree_check.h"

#include <map>
#include <sstream>
#include <utility>
#include <vector>

#include "script_check.h"

namespace tendril {
namespace {

constexpr std::u16string_view kQueueFolder = u"REGUPD";
constexpr std::u16string_view kScriptExtension = u".REGUPD";

using Findings = std::vector<std::string>;

// Whether each entry's path, its folders' names included, is the name Windows gets.
std::vector<bool> ExactPaths(const StagedTree& tree) {
    std::vector<bool> exact(tree.entries.size());
    for (std::size_t i = 0; i < tree.entries.size(); ++i) {
        const StagedEntry& entry = tree.entries[i];
        exact[i] =
            entry.listed.has_windows_form && (entry.parent == kNoParent || exact[entry.parent]);
    }
    return exact;
}

// One finding per group of entries that are one path to Windows, on the group's first entry.
std::map<std::size_t, std::string> SamePathFindings(const StagedTree& tree) {
    const std::vector<bool> exact = ExactPaths(tree);
    std::vector<std::u16string> paths;
    std::vector<std::size_t> entry_of;
    for (std::size_t i = 0; i < tree.entries.size(); ++i) {
        if (exact[i]) {
            paths.push_back(tree.entries[i].windows);
            entry_of.push_back(i);
        }
    }
    std::map<std::size_t, std::string> findings;
    for (const auto& group : SamePathGroups(paths)) {
        std::string others;
        std::size_t folders = 0;
        for (const std::size_t member : group) {
            const StagedEntry& entry = tree.entries[entry_of[member]];
            folders += entry.listed.kind == EntryKind::kFolder ? 1 : 0;
            if (member != group.front()) {
                others += (others.empty() ? "" : ", ") + entry.shown;
            }
        }
        const SamePathKind kind = folders == 0              ? SamePathKind::kFiles
                                  : folders == group.size() ? SamePathKind::kFolders
                                                            : SamePathKind::kFileAndFolder;
        findings[entry_of[group.front()]] = DescribeSamePath(kind, others);
    }
    return findings;
}

// The top folder of the entry's path, or kNoParent for an entry at the top.
std::size_t TopFolder(const StagedTree& tree, std::size_t index) {
    std::size_t top = kNoParent;
    for (std::size_t at = tree.entries[index].parent; at != kNoParent;
         at = tree.entries[at].parent) {
        top = at;
    }
    return top;
}

bool IsScript(const StagedEntry& entry) {
    return entry.listed.kind == EntryKind::kFile &&
           NameKey(entry.listed.name).ends_with(kScriptExtension);
}

// The launcher imports "regupd\*.regupd" once the tree has moved: the scripts directly in the
// top "regupd" folder, read by the same reader as regupd-check.
void CheckScript(FolderLister& lister, const StagedTree& tree, std::size_t index,
                 Findings& findings) {
    const StagedEntry& entry = tree.entries[index];
    const std::size_t top = TopFolder(tree, index);
    if (top == kNoParent || !IsScript(entry) ||
        NameKey(tree.entries[top].listed.name) != kQueueFolder) {
        return;
    }
    if (entry.parent != top) {
        findings.push_back(entry.shown +
                           ": script below the queue folder is never imported: the launcher "
                           "imports only the scripts directly in regupd/");
        return;
    }
    const std::optional<std::wstring> path = lister.WidePath(entry);
    if (!path) {
        return;  // its name has no Windows form, which is its finding
    }
    std::ostream operations(nullptr);
    std::ostringstream errors;
    CheckRegistryScript(*path, entry.shown, operations, errors);
    std::istringstream lines(errors.str());
    for (std::string line; std::getline(lines, line);) {
        findings.push_back(line);
    }
}

void CheckEntry(const StagedEntry& entry, const PatchCheckOptions& options, Findings& findings) {
    const auto add = [&](const std::string& message) {
        findings.push_back(entry.shown + ": " + message);
    };
    if (!entry.listed.has_windows_form) {
        add("name is not valid UTF-8: it has no Windows form, so the entry arrives under "
            "another name or not at all");
    }
    for (const NameFinding& finding : CheckName(entry.listed.name)) {
        add(DescribeNameFinding(finding));
    }
    if (entry.listed.kind == EntryKind::kLink) {
        add(entry.listed.what +
            ": the launcher moves it as one entry and never follows it, so what it points to "
            "is not part of the update");
    } else if (entry.listed.kind == EntryKind::kOther) {
        add(entry.listed.what + ": not a file or folder, Windows has nothing to hold it");
    }
    if (options.installed != nullptr) {
        const InstalledConflict conflict = FindInstalledConflict(
            *options.installed, entry.windows, entry.listed.kind == EntryKind::kFolder);
        if (conflict != InstalledConflict::kNone) {
            add(DescribeInstalledConflict(conflict));
        }
    }
}

}  // namespace

int CheckPatchTree(FolderLister& lister, std::string_view shown_root,
                   const PatchCheckOptions& options, std::ostream& out, std::ostream& err) {
    const StagedTree tree = WalkStagedTree(lister);
    for (const UnlistedFolder& folder : tree.unlisted) {
        if (folder.entry == kNoParent) {
            err << "patch-check: cannot read folder " << shown_root << ": " << folder.error << '\n';
            return 2;
        }
    }
    const std::map<std::size_t, std::string> same_path = SamePathFindings(tree);
    Findings findings;
    for (std::size_t i = 0; i < tree.entries.size(); ++i) {
        const StagedEntry& entry = tree.entries[i];
        CheckEntry(entry, options, findings);
        if (const auto found = same_path.find(i); found != same_path.end()) {
            findings.push_back(entry.shown + ": " + found->second);
        }
        if (options.install_root) {
            const std::size_t length = TargetPathLength(*options.install_root, entry.windows);
            if (ReachesMaxPath(length)) {
                findings.push_back(entry.shown + ": " + DescribeMaxPath(length));
            }
        }
        CheckScript(lister, tree, i, findings);
    }
    for (const std::string& finding : findings) {
        out << finding << '\n';
    }
    for (const UnlistedFolder& folder : tree.unlisted) {
        err << "patch-check: cannot list folder " << tree.entries[folder.entry].shown << ": "
            << folder.error << '\n';
    }
    if (!tree.unlisted.empty()) {
        return 2;
    }
    return findings.empty() ? 0 : 1;
}

}  // namespace tendril
