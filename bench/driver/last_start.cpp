#include "last_start.h"

#include <ctime>
#include <stdexcept>

#include "test_support.h"

namespace tendril::bench {

DWORD NotDueLastStart() {
    return static_cast<DWORD>(std::time(nullptr));
}

void SetLastStart(DWORD value) {
    if (!testing::SetLastStart(&value)) {
        throw std::runtime_error("cannot write LastStart");
    }
}

}  // namespace tendril::bench
