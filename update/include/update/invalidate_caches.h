// Rewriting the product's two sibling executables as new files with the same bytes.
#pragma once

#include "launcher/path.h"
#include "update/update_log.h"

namespace tendril {

// Replaces quillon.exe, then orbisk.exe, in `folder` by a new file with the same bytes. The
// copy is written and flushed beside the original and moved over it in one step, so that a
// failure at any point leaves the original as it was. Each failure is one log entry.
void InvalidateCaches(const WidePath& folder, UpdateLog& log);

}  // namespace tendril
