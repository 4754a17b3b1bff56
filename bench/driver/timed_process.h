// Starting a program and timing it to its end, from inside Wine: the outer `wine` command's own
// start-up is paid once by the driver, not by each run.
#pragma once

#include <windows.h>

#include <string>

namespace tendril::bench {

struct ProcessRun {
    double seconds = 0;  // from before CreateProcessW to the end of the wait
    DWORD exit_code = 0;
};

// Runs `command_line` (program taken from it) in `folder` and waits for its end. Throws
// std::runtime_error when it can't start or does not end within five minutes: the 32-bit
// import of a 1,000,000-value script takes most of one under Wine.
ProcessRun RunTimed(const std::wstring& command_line, const std::wstring& folder);

}  // namespace tendril::bench
