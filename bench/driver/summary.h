// Median, minimum and maximum of repeated runs, and the row the driver prints for them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tendril::bench {

struct Summary {
    std::size_t runs = 0;
    double median = 0;
    double min = 0;
    double max = 0;
};

// Of at least one sample; an even count takes the mean of the middle two.
Summary Summarize(std::vector<double> samples);

// One tab-separated line on stdout for bench/report.py: "row", the key, the run count,
// median, minimum and maximum in milliseconds, and the peak working set in KiB (0: unknown).
void PrintRow(const std::string& key, const Summary& seconds, std::uint64_t peak_kib);

}  // namespace tendril::bench
