#include "linux/Monotonic.h"

#include <time.h>

namespace linuxdesktop {

std::int64_t MonotonicNs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

}  // namespace linuxdesktop
