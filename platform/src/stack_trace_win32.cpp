#include <windows.h>

#include <cstdint>

#include "platform/describe_module_win32.h"
#include "platform/function_tables.h"
#include "platform/stack_trace.h"

namespace vrel {
namespace {

// The capture and the exception's construction are the innermost frames: not worth keeping.
constexpr ULONG kFramesToSkip = 5;
constexpr ULONG kFramesToCapture = 62;

}  // namespace

StackTrace CaptureStackTrace() {
    StackTrace stack;
    const RtlCaptureStackBackTraceFunction capture = g_ntdllFunctions.RtlCaptureStackBackTrace;
    if (capture == nullptr) {
        return stack;
    }
    void* frames[kFramesToCapture];
    const USHORT count = capture(kFramesToSkip, kFramesToCapture, frames, nullptr);
    stack.reserve(count);
    for (USHORT i = 0; i < count; ++i) {
        stack.push_back(reinterpret_cast<std::uintptr_t>(frames[i]));
    }
    return stack;
}

Result DescribeModule(std::uint64_t address, ModuleEntry& entry) {
    LoadedModuleDescription description;
    const Result described = DescribeLoadedModule(address, description);
    if (Failed(described)) {
        return described;
    }
    entry.fileName.append(description.file_name.data(), description.file_name.size());
    entry.debugIdentity.append(description.debug_identity.data(),
                               description.debug_identity.size());
    entry.base = description.base;
    entry.size = description.size;
    return results::kOk;
}

}  // namespace vrel
