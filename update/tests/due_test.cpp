#include "update/due.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace tendril {
namespace {

TEST(IsUpdateRunDueAtTest, DueOnlyWhenLastStartPrecedesBoot) {
    struct Case {
        const char* name;
        std::uint64_t now;
        std::uint64_t uptime_ms;
        std::uint32_t last;
        bool due;
    };
    // now 1'800'000'000 with one hour of uptime boots at 1'799'996'400.
    const Case cases[] = {
        {"last start at boot", 1'800'000'000, 3'600'500, 1'799'996'400, false},
        {"one second before boot", 1'800'000'000, 3'600'500, 1'799'996'399, true},
        {"missing value", 1'800'000'000, 3'600'500, 0, true},
        {"started since boot", 1'800'000'000, 3'600'500, 1'799'996'401, false},
        {"started just now", 1'800'000'000, 3'600'500, 1'800'000'000, false},
        {"started in the future", 1'800'000'000, 3'600'500, 0xFFFF'FFFF, false},
        // A part second of uptime does not move boot earlier.
        {"part second dropped", 1'800'000'000, 3'600'999, 1'799'996'399, true},
        {"no uptime, started before now", 1'800'000'000, 999, 1'799'999'999, true},
        {"no uptime, started now", 1'800'000'000, 999, 1'800'000'000, false},
        // 2^31 ms is 2'147'483 s; past it the low half of the count is negative.
        {"uptime 2^31 ms, started at boot", 1'800'000'000, 0x8000'0000, 1'797'852'517, false},
        {"uptime 2^31 ms, started before", 1'800'000'000, 0x8000'0000, 1'797'852'516, true},
        // 2^32 ms is 4'294'967 s; the low half of the count is zero.
        {"uptime 2^32 ms, started at boot", 1'800'000'000, 0x1'0000'0000, 1'795'705'033, false},
        {"uptime 2^32 ms, started before", 1'800'000'000, 0x1'0000'0000, 1'795'705'032, true},
        // 2^32 + 2^31 ms is 6'442'450 s; the low half is negative again.
        {"uptime 1.5 * 2^32 ms, at boot", 1'800'000'000, 0x1'8000'0000, 1'793'557'550, false},
        {"uptime 1.5 * 2^32 ms, before", 1'800'000'000, 0x1'8000'0000, 1'793'557'549, true},
        // A clock behind the uptime puts boot at 1970, which nothing precedes.
        {"uptime longer than now, missing", 1'000, 5'000'000, 0, false},
        {"uptime longer than now, recorded", 1'000, 5'000'000, 1, false},
        {"uptime equal to now", 5'000, 5'000'000, 0, false},
        {"uptime one second short of now", 5'001, 5'000'000, 0, true},
        // Past 2106 the stored value wraps, and boot is compared the same way.
        {"clock past 32 bits, at boot", 0x1'0000'0000 + 300, 100'000, 200, false},
        {"clock past 32 bits, before", 0x1'0000'0000 + 300, 100'000, 199, true},
        {"boot just below 2^32", 0x1'0000'0000 + 100, 200'000, 0xFFFF'FF9B, true},
        {"boot just below 2^32, at boot", 0x1'0000'0000 + 100, 200'000, 0xFFFF'FF9C, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsUpdateRunDueAt(c.now, c.uptime_ms, c.last), c.due) << c.name;
    }
}

}  // namespace
}  // namespace tendril
