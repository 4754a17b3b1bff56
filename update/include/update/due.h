// Whether the pending-update run is due: only while the product has not started since boot.
#pragma once

#include <cstdint>

namespace tendril {

// `now_seconds` is the calendar time in seconds since 1970, `uptime_ms` the time since the
// system started, `last_start` the product's last start in seconds since 1970 (0 when the
// value is missing). Due when the last start lies before the boot time.
[[nodiscard]] bool IsUpdateRunDueAt(std::uint64_t now_seconds, std::uint64_t uptime_ms,
                                    std::uint32_t last_start) noexcept;

}  // namespace tendril
