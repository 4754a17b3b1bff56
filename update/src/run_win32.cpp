#include "update/run.h"

namespace tendril {

void RunPendingUpdates() noexcept {}

}  // namespace tendril
