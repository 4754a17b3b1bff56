#include "platform/result_from_exception.h"

#include <exception>
#include <new>

namespace vrel {

Result ResultFromCurrentException() noexcept {
    // Rethrowing with nothing in flight would end the process.
    if (!std::current_exception()) {
        return results::kUnspecified;
    }
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return results::kOutOfMemory;
    } catch (...) {
        return results::kUnspecified;
    }
}

}  // namespace vrel
