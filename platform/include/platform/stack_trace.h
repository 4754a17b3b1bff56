// The call stack of a failed check and the table of modules it runs through.
#pragma once

#include <cstdint>

#include "platform/module_entry.h"
#include "platform/result.h"
#include "platform/vector.h"

namespace vrel {

using StackTrace = vector<std::uint64_t>;  // innermost frame first
using ModuleTable = vector<ModuleEntry>;   // sorted by base, no overlaps
using DescribeModuleFunction = Result (*)(std::uint64_t address, ModuleEntry& entry);

// Empty when the system offers no stack capture.
StackTrace CaptureStackTrace();
// One entry per module that any address lies in (its end address included); a module that
// can't be described is left out.
ModuleTable BuildModuleTable(const StackTrace& stack, DescribeModuleFunction describe);
ModuleTable BuildModuleTable(const StackTrace& stack);
// Fills `entry` for the module holding `address`.
[[nodiscard]] Result DescribeModule(std::uint64_t address, ModuleEntry& entry);

}  // namespace vrel
