#pragma once

#include <cstdint>

namespace platform {

struct LocalDateTime {
  int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since system start, wrapping at 2^32.
  virtual std::uint32_t GetTickCount() = 0;
  // Blocks the calling (UI) thread.
  virtual void Sleep(std::uint32_t ms) = 0;
  virtual LocalDateTime Now() = 0;
  // A high-resolution clock reading, for seeding.
  virtual std::uint64_t HighResolutionNow() = 0;
};

}  // namespace platform
