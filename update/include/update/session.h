// One update run: the four folders it works on and its log.
#pragma once

#include "platform/path.h"
#include "update/update_log.h"

namespace tendril {

struct UpdateFolders {
    WidePath installFolder;
    WidePath patchFolder;
    WidePath registryScriptFolder;
    WidePath logFolder;
};

class UpdateSession {
public:
    // Takes the folders over and opens the log; throws when the log can't be opened.
    explicit UpdateSession(UpdateFolders&& folders);

    // Applies what is staged; true on full success. Lets no standard exception out.
    bool Apply();

    [[nodiscard]] const UpdateFolders& folders() const noexcept { return folders_; }
    [[nodiscard]] UpdateLog& log() noexcept { return log_; }

private:
    UpdateFolders folders_;
    UpdateLog log_;  // declared last: closed before the folders are released
};

}  // namespace tendril
