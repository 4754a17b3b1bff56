#include "update/patch_tree.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace tendril {
namespace {

struct Pending {
    std::size_t parent;
    ListedEntry listed;
};

// Pushes a folder's entries so that they come off the stack sorted by name: a stable order
// on every system, whatever order the listing had.
bool PushListing(FolderLister& lister, std::size_t folder, StagedTree& tree,
                 std::vector<Pending>& pending) {
    std::string error;
    auto listing = lister.List(folder == kNoParent ? nullptr : &tree.entries[folder], error);
    if (!listing) {
        tree.unlisted.push_back({folder, error});
        return false;
    }
    std::sort(listing->begin(), listing->end(), [](const ListedEntry& a, const ListedEntry& b) {
        return std::tie(a.shown, a.native, a.name) > std::tie(b.shown, b.native, b.name);
    });
    for (auto& listed : *listing) {
        pending.push_back({folder, std::move(listed)});
    }
    return true;
}

}  // namespace

StagedTree WalkStagedTree(FolderLister& lister) {
    StagedTree tree;
    std::vector<Pending> pending;
    if (!PushListing(lister, kNoParent, tree, pending)) {
        return tree;
    }
    while (!pending.empty()) {
        Pending next = std::move(pending.back());
        pending.pop_back();
        StagedEntry entry;
        entry.parent = next.parent;
        if (next.parent != kNoParent) {
            const StagedEntry& folder = tree.entries[next.parent];
            entry.shown = folder.shown + "/";
            entry.windows = folder.windows + u"\\";
            entry.native = folder.native;
        }
        entry.shown += next.listed.shown;
        entry.windows += next.listed.name;
        entry.native.push_back(next.listed.native);
        entry.listed = std::move(next.listed);
        const bool walk = entry.listed.kind == EntryKind::kFolder;
        tree.entries.push_back(std::move(entry));
        if (walk) {
            PushListing(lister, tree.entries.size() - 1, tree, pending);
        }
    }
    return tree;
}

}  // namespace tendril
