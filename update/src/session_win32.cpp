#include "update/session.h"

#include <exception>
#include <utility>

#include "update/invalidate_caches.h"
#include "update/move_tree.h"
#include "update/registry_queue.h"

namespace tendril {

UpdateSession::UpdateSession(UpdateFolders&& folders)
    : folders_(std::exchange(folders, {})), log_(folders_.logFolder) {}

bool UpdateSession::Apply() {
    try {
        if (PathMissing(folders_.patchFolder) == 0) {
            InvalidateCaches(folders_.installFolder, log_);
        }
        if (!MoveTree(folders_.patchFolder, folders_.installFolder, log_)) {
            return false;  // the registry queue waits until the whole tree has moved
        }
        return ImportRegistryScripts(folders_.registryScriptFolder, log_);
    } catch (const std::exception& e) {
        log_.Timestamp().LineEnd().Narrow("Apply patch exception: ").Narrow(e.what()).LineEnd();
        return false;
    }
}

}  // namespace tendril
