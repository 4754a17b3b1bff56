// Importing the queued registry scripts (*.regupd) of one update run.
#pragma once

#include "platform/path.h"
#include "update/update_log.h"

namespace tendril {

// Imports each queued script whole, deletes it once imported, and removes the folder when
// every script found was imported. True then, or when there was nothing to enumerate.
bool ImportRegistryScripts(const WidePath& folder, UpdateLog& log);

// Parses the script and writes its values; false (with its entry written) on any failure.
bool ImportRegistryScript(const WidePath& path, UpdateLog& log);

}  // namespace tendril
