// Describing the loaded module that holds a code address: its file name, where it lies and
// the identity of its debug information, for the module table of a failed check.
#pragma once

#include <cstdint>
#include <string>

#include "platform/result.h"

namespace vrel {

struct LoadedModuleDescription {
    std::string file_name;       // no folder
    std::string debug_identity;  // "GUID,age", or empty when the image has none
    std::uint64_t base = 0;
    std::uint64_t size = 0;  // SizeOfImage
};

// Takes no reference on the module. The image must be of this build's own bitness.
// `out` is written only on success.
[[nodiscard]] Result DescribeLoadedModule(std::uint64_t address,
                                          LoadedModuleDescription& out) noexcept;

}  // namespace vrel
