#include <algorithm>

#include "platform/stack_trace.h"

namespace vrel {

ModuleTable BuildModuleTable(const StackTrace& stack, DescribeModuleFunction describe) {
    constexpr ModuleTable::size_type kExpectedModules = 10;
    ModuleTable table;
    table.reserve(kExpectedModules);
    for (const std::uint64_t address : stack) {
        // The first module that does not end below the address.
        const auto* position = std::lower_bound(
            table.begin(), table.end(), address,
            [](const ModuleEntry& e, std::uint64_t a) { return e.base + e.size < a; });
        if (position != table.end() && position->base <= address) {
            continue;
        }
        ModuleEntry entry;
        if (Succeeded(describe(address, entry))) {
            table.insert(position, std::move(entry));
        }
    }
    return table;
}

ModuleTable BuildModuleTable(const StackTrace& stack) {
    return BuildModuleTable(stack, &DescribeModule);
}

}  // namespace vrel
