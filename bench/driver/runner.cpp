#include "runner.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "timed_process.h"

namespace tendril::bench {
namespace {

ProcessRun RunOnce(const Subject& subject, const std::wstring& folder, MainModule module) {
    subject.prepare();
    const ProcessRun run = RunTimed(subject.command_line, folder);
    if (!subject.did_its_work()) {
        throw std::runtime_error(subject.key + ": the run did not do its work");
    }
    const bool expected = module == MainModule::kReturnsAtOnce
                              ? run.exit_code == 0
                              : run.exit_code != 0 && run.exit_code != 208;
    if (!expected) {
        throw std::runtime_error(subject.key + ": exit code " + std::to_string(run.exit_code));
    }
    return run;
}

}  // namespace

std::vector<Measurement> TimeInterleaved(const std::vector<Subject>& subjects, int runs,
                                         const std::wstring& folder, MainModule module,
                                         bool warm_up) {
    const std::size_t n = subjects.size();
    if (warm_up) {
        for (const auto& subject : subjects) {
            RunOnce(subject, folder, module);
        }
    }
    std::vector<std::vector<double>> samples(n);
    std::vector<Measurement> measurements(n);
    for (int round = 0; round < runs; ++round) {
        for (std::size_t turn = 0; turn < n; ++turn) {
            const std::size_t i = (turn + static_cast<std::size_t>(round)) % n;
            const ProcessRun run = RunOnce(subjects[i], folder, module);
            samples[i].push_back(run.seconds);
            if (module == MainModule::kReportsPeakMemory) {
                measurements[i].peak_kib =
                    std::max<std::uint64_t>(measurements[i].peak_kib, run.exit_code);
            }
        }
        std::fprintf(stderr, "\r  round %d of %d", round + 1, runs);
    }
    std::fprintf(stderr, "\n");
    for (std::size_t i = 0; i < n; ++i) {
        measurements[i].seconds = Summarize(std::move(samples[i]));
    }
    return measurements;
}

}  // namespace tendril::bench
