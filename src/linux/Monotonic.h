#pragma once

#include <cstdint>

namespace linuxdesktop {

// CLOCK_MONOTONIC in nanoseconds: the one clock the Linux edition keeps time by (the tick
// counter, macro waits, timers, caches that expire).
std::int64_t MonotonicNs();

}  // namespace linuxdesktop
