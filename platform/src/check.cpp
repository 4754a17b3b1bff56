#include "platform/check.h"

#include "platform/check_failure.h"

namespace vrel {

void CheckResult(Result code, const char* file, int line) {
    if (Failed(code)) {
        throw CheckResultFailedException(code, file, line);
    }
}

}  // namespace vrel
