#include "update/session.h"

#include <utility>

namespace tendril {

UpdateSession::UpdateSession(UpdateFolders&& folders)
    : folders_(std::exchange(folders, {})), log_(folders_.logFolder) {}

// Patch application and the registry queue are not built yet: nothing is applied.
bool UpdateSession::Apply() {
    return true;
}

}  // namespace tendril
