// Moving the staged patch tree into the installation, one logged step per entry.
#pragma once

#include "launcher/path.h"
#include "update/update_log.h"

namespace tendril {

// Moves everything below `source` into `target` (files replace existing ones), removing each
// source folder whose entries all moved. True when everything moved or `source` is missing.
// A reparse point is moved as one entry, never walked: its target lies outside the tree.
bool MoveTree(const WidePath& source, const WidePath& target, UpdateLog& log);

// Removes a folder that should now be empty, with its "Remove empty directory" entry.
void RemoveEmptyDirectory(const WidePath& folder, UpdateLog& log);

}  // namespace tendril
