// The host has neither a stack capture nor loaded images to describe.
#include "platform/stack_trace.h"

namespace vrel {

StackTrace CaptureStackTrace() {
    return {};
}

Result DescribeModule(std::uint64_t /*address*/, ModuleEntry& /*entry*/) {
    return results::kNotSupported;
}

}  // namespace vrel
