#include "summary.h"

#include <algorithm>
#include <cstdio>

namespace tendril::bench {

Summary Summarize(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    Summary summary;
    summary.runs = n;
    summary.min = samples.front();
    summary.max = samples.back();
    summary.median = n % 2 == 1 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    return summary;
}

void PrintRow(const std::string& key, const Summary& seconds, std::uint64_t peak_kib) {
    std::printf("row\t%s\t%zu\t%.3f\t%.3f\t%.3f\t%llu\n", key.c_str(), seconds.runs,
                seconds.median * 1e3, seconds.min * 1e3, seconds.max * 1e3,
                static_cast<unsigned long long>(peak_kib));
    std::fflush(stdout);
}

}  // namespace tendril::bench
