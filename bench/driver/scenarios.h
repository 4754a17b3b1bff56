// The three sessions the driver runs under Wine; each prints one row per program it times.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tendril::bench {

// tendril.exe without "-r", with "-r" not due and due with nothing staged, against the
// reference launcher. `extra` adds launchers (row key, path) timed without "-r".
void RunLaunchSession(int runs, const std::wstring& work,
                      const std::vector<std::pair<std::string, std::wstring>>& extra);

// tendril.exe -r moving a staged tree, against the reference program for the same moves.
void RunUpdateSession(int runs, const std::wstring& work, int folders, int files_per_folder);

// tendril.exe -r importing a queued script of `lines` lines, against the same run with an
// empty queue.
void RunScriptSession(int runs, const std::wstring& work, std::size_t lines);

}  // namespace tendril::bench
