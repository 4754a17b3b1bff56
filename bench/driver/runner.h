// Timing several programs against each other in one session.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "summary.h"

namespace tendril::bench {

struct Subject {
    std::string key;                                           // the row's name in the output
    std::wstring command_line;                                 // program and arguments
    std::function<void()> prepare = [] {};                     // before each run, not timed
    std::function<bool()> did_its_work = [] { return true; };  // after each run, not timed
};

// What the main module in the installation returns, and so what an exit code means.
enum class MainModule {
    kReturnsAtOnce,      // 0
    kReportsPeakMemory,  // the process's peak working set in KiB
};

struct Measurement {
    Summary seconds;
    std::uint64_t peak_kib = 0;  // the largest reported; 0 when the module reports none
};

// Times each subject `runs` times, after one untimed round when `warm_up`. The subjects take
// turns, the first of each round rotating, so that drift and the position in a round hit all
// alike. Throws std::runtime_error when a run did not do its work or its exit code is wrong.
std::vector<Measurement> TimeInterleaved(const std::vector<Subject>& subjects, int runs,
                                         const std::wstring& folder, MainModule module,
                                         bool warm_up);

}  // namespace tendril::bench
