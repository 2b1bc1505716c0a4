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
  // Microseconds on a monotonic clock (any origin), and a wait of that many microseconds,
  // for macro playback: waits measured on the millisecond tick counter land up to a whole
  // millisecond late, depending on where in its millisecond each wait begins.
  virtual std::uint64_t NowMicros() = 0;
  virtual void SleepMicros(std::uint64_t us) = 0;
};

}  // namespace platform
