#include "platform/check_failure.h"

#include <utility>

#include "platform/stack_trace.h"

namespace vrel {

CheckResultFailedException::CheckResultFailedException(Result code, const char* file, int line)
    : ExceptionBase(file, line) {
    ExceptionDetail& detail = EnsureDetail();
    // The failed expression itself is not recorded.
    detail.message.assign("Expression failed");
    StackTrace stack = CaptureStackTrace();
    ModuleTable modules = BuildModuleTable(stack);
    detail.stack = std::move(stack);
    detail.modules = std::move(modules);
    SetResult(*this, code);
}

}  // namespace vrel
