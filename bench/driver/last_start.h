// The LastStart value that decides whether "-r" runs the update.
#pragma once

#include <windows.h>

namespace tendril::bench {

// Long before any boot: the run is due.
inline constexpr DWORD kDueLastStart = 1;

// Now, which lies after the boot: the run is not due.
DWORD NotDueLastStart();

// Writes LastStart in the view the launcher reads (the driver has the launcher's bitness).
void SetLastStart(DWORD value);

}  // namespace tendril::bench
