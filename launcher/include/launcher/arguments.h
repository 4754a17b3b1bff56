// The launcher's one switch: "-r" asks for the pending-update run.
#pragma once

#include <functional>

namespace tendril {

// Walks argv from the program name on and calls `run_pending_updates` once, at the first
// argument equal to "-r" as a whole (case-sensitive); later arguments are not looked at.
void RunAtUpdateSwitch(int argc, const wchar_t* const* argv,
                       const std::function<void()>& run_pending_updates);

}  // namespace tendril
