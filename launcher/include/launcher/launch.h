// Start-up and hand-off to the main module.
#pragma once

#include "platform/module_path.h"
#include "platform/result.h"

namespace tendril {

// The exit code when the main module can't be loaded, lacks `Run`, or the launch itself fails.
inline constexpr int kLaunchFailedExitCode = 208;

// SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS), looked up at run time since
// older systems lack it: 0, kNotSupported when missing, or the Result code of its failure.
[[nodiscard]] vrel::Result EnableDefaultDllDirectories() noexcept;

// How the launcher learns its own file name; only tests replace it.
using OwnFileNameGetter = vrel::Result (*)(vrel::WidePath& name) noexcept;

// "ulmo.dll" in the folder of the launcher's own executable.
[[nodiscard]] vrel::WidePath MainModulePath(OwnFileNameGetter get_name);

// Ends the process at once: no static destructor runs and the main module stays loaded.
[[noreturn]] void EndProcess(int exit_code) noexcept;

// The whole launch; returns only on failure, with kLaunchFailedExitCode.
[[nodiscard]] int Launch(int argc, const wchar_t* const* argv, OwnFileNameGetter get_name);

// The entry point's whole work. Nothing leaves it: an uncaught exception ends in abort(),
// whose report can put a window in front of a user who only started the product, so every
// exception (a failed check of the own file name, memory exhaustion) ends the launch with
// kLaunchFailedExitCode, loading nothing.
[[nodiscard]] int LaunchGuarded(int argc, const wchar_t* const* argv,
                                OwnFileNameGetter get_name) noexcept;

}  // namespace tendril
