// The result check: a negative Result code that must not be ignored becomes a
// vrel::CheckResultFailedException carrying the location, the call stack and the modules.
#pragma once

#include "platform/result.h"

namespace vrel {

void CheckResult(Result code, const char* file, int line);

}  // namespace vrel
