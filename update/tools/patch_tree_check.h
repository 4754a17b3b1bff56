// Reports what the launcher's update run would do wrong with one staged patch tree.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "update/patch_rules.h"
#include "update/patch_tree.h"

namespace tendril {

struct PatchCheckOptions {
    std::optional<std::u16string> install_root;   // the installation folder, a Windows path
    const InstalledListing* installed = nullptr;  // the previous release's files
};

// Walks the tree `lister` reads and prints one line per finding to `out`, sorted by path:
// "<path>: <message>", or for a queued registry script the reader's "<path>:<line>: <message>",
// paths relative to the patch folder with '/'. Each folder that can't be listed is named on
// `err` (`shown_root` for the patch folder itself). Returns 0 for a clean tree, 1 when there
// is a finding, 2 when a folder could not be listed.
int CheckPatchTree(FolderLister& lister, std::string_view shown_root,
                   const PatchCheckOptions& options, std::ostream& out, std::ostream& err);

}  // namespace tendril
