// One module that a captured call stack runs through.
#pragma once

#include <cstdint>

#include "platform/basic_string.h"

namespace vrel {

struct ModuleEntry {
    narrow_string_t fileName;       // file-name part of the module's path, no folder
    narrow_string_t debugIdentity;  // "GUID,age" of its debug information, or empty
    std::uint64_t base = 0;         // load address
    std::uint64_t size = 0;         // image size from the module's header
};

}  // namespace vrel
