// Where an operation with a Result form calls code that may throw, its boundary turns the
// exception into a code: nothing propagates past it.
#pragma once

#include "platform/result.h"

namespace vrel {

// Call inside a catch handler: std::bad_alloc gives kOutOfMemory, anything else kUnspecified.
[[nodiscard]] Result ResultFromCurrentException() noexcept;

}  // namespace vrel
