#include "launcher/arguments.h"

#include <gtest/gtest.h>

#include <vector>

namespace tendril {
namespace {

int CountUpdateRuns(std::vector<const wchar_t*> argv) {
    int runs = 0;
    RunAtUpdateSwitch(static_cast<int>(argv.size()), argv.data(), [&] { ++runs; });
    return runs;
}

TEST(RunAtUpdateSwitchTest, RunsOnceAtTheFirstWholeCaseSensitiveMatch) {
    struct Case {
        const char* name;
        std::vector<const wchar_t*> argv;
        int runs;
    };
    const Case cases[] = {
        {"no switch", {L"tendril.exe", L"--open", L"file.txt"}, 0},
        {"switch", {L"tendril.exe", L"-r"}, 1},
        {"switch twice", {L"tendril.exe", L"-r", L"x", L"-r"}, 1},
        {"upper case", {L"tendril.exe", L"-R"}, 0},
        {"slash form", {L"tendril.exe", L"/r"}, 0},
        {"longer argument", {L"tendril.exe", L"-r1"}, 0},
        {"prefix only", {L"tendril.exe", L"-"}, 0},
        {"program name counts", {L"-r"}, 1},
        {"null entries skipped", {L"tendril.exe", nullptr, L"-r"}, 1},
        {"no arguments at all", {}, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CountUpdateRuns(c.argv), c.runs) << c.name;
    }
}

TEST(RunAtUpdateSwitchTest, NullVectorRunsNothing) {
    int runs = 0;
    RunAtUpdateSwitch(3, nullptr, [&] { ++runs; });
    EXPECT_EQ(runs, 0);
}

}  // namespace
}  // namespace tendril
