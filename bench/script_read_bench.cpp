// Reading a registry script against the least any reader must do with the same file: read it
// and split it into lines. Both read from the file system, so the page cache serves both.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "regscript/reader.h"
#include "script_text.h"

namespace tendril::bench {
namespace {

// One script file per length, written once and removed when the program ends.
class ScriptFiles {
public:
    ~ScriptFiles() {
        for (const auto& [lines, path] : paths_) {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
        }
    }

    const std::filesystem::path& For(std::size_t lines) {
        auto found = paths_.find(lines);
        if (found != paths_.end()) {
            return found->second;
        }
        const auto path = std::filesystem::temp_directory_path() /
                          ("tendril-bench-" + std::to_string(lines) + ".regupd");
        std::ofstream(path, std::ios::binary) << RegistryScriptText(lines);
        return paths_.emplace(lines, path).first->second;
    }

private:
    std::map<std::size_t, std::filesystem::path> paths_;
};

ScriptFiles& Files() {
    static ScriptFiles files;
    return files;
}

void ParseScript(benchmark::State& state) {
    const auto lines = static_cast<std::size_t>(state.range(0));
    const std::wstring path = Files().For(lines).wstring();
    for (auto _ : state) {
        auto script = ParseRegistryScript(path);
        benchmark::DoNotOptimize(script);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void ReadLines(benchmark::State& state) {
    const auto lines = static_cast<std::size_t>(state.range(0));
    const auto& path = Files().For(lines);
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        std::vector<std::string> text;
        for (std::string line; std::getline(in, line);) {
            text.push_back(std::move(line));
        }
        benchmark::DoNotOptimize(text.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

double Min(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

double Max(const std::vector<double>& v) {
    return *std::max_element(v.begin(), v.end());
}

void Lengths(benchmark::internal::Benchmark* b) {
    b->Arg(10'000)->Arg(100'000)->Arg(1'000'000);
    b->Unit(benchmark::kMillisecond)->MinTime(0.2);
    b->ComputeStatistics("min", Min)->ComputeStatistics("max", Max);
}

BENCHMARK(ParseScript)->Apply(Lengths);
BENCHMARK(ReadLines)->Apply(Lengths);

}  // namespace
}  // namespace tendril::bench

BENCHMARK_MAIN();
