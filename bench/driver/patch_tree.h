// The staged tree of the update-run benchmark: folders d000, d001, ... of files f00, f01, ...
// Between runs the moved folders go back with one rename each, so every run finds the same
// tree staged and an installation without it.
#pragma once

#include <string>

namespace tendril::bench {

struct PatchTree {
    std::wstring patch;    // the staged folder
    std::wstring install;  // where an update run moves its content
    int folders = 0;
    int files_per_folder = 0;
};

// Writes the tree below `patch`; each file holds a short line of text.
void StagePatchTree(const PatchTree& tree);

// Puts the tree moved into `install` back below `patch` (a no-op when it is still staged).
void RestagePatchTree(const PatchTree& tree);

// True when `patch` is gone and every file of the tree is in `install`.
bool PatchTreeMoved(const PatchTree& tree);

}  // namespace tendril::bench
