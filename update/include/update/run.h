// The pending-update run that "-r" asks for.
#pragma once

namespace tendril {

// Applies what an updater staged, when the product has not started since the last boot.
// Handles its own failures: the launch always goes on.
void RunPendingUpdates();

}  // namespace tendril
