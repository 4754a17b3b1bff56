#include "platform/file_system_calls.h"

namespace tendril {

FileSystemCalls g_fileSystemCalls{};

}  // namespace tendril
