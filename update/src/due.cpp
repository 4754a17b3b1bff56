#include "update/due.h"

namespace tendril {

bool IsUpdateRunDueAt(std::uint64_t now_seconds, std::uint64_t uptime_ms,
                      std::uint32_t last_start) noexcept {
    // The full uptime counts: a machine up for weeks still has a real boot time. An uptime
    // longer than the clock (a clock set back) means boot at 1970, not a wrapped future time.
    const std::uint64_t uptime_seconds = uptime_ms / 1000;
    const std::uint64_t boot = now_seconds > uptime_seconds ? now_seconds - uptime_seconds : 0;
    // Boot is computed in 64 bits; its low half meets the 32-bit seconds count of LastStart.
    return last_start < static_cast<std::uint32_t>(boot);
}

}  // namespace tendril
