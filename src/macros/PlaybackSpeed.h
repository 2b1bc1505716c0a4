#pragma once

#include <cstdint>

namespace macros {

// Playback speed in percent (`speed`): the waits between events scale by 100/speed.
constexpr int kMinSpeed = 25;
constexpr int kMaxSpeed = 400;
constexpr int kNormalSpeed = 100;

// Scales a pass's waits one by one without drift: the remainder of each division is
// carried into the next, so the scaled waits always add up to the scaled sum of the
// waits, to the microsecond, however many small gaps a macro has.
class SpeedScale {
 public:
  // A speed outside kMinSpeed..kMaxSpeed is held to the nearer end.
  explicit SpeedScale(int speedPercent);
  std::uint64_t Next(std::uint64_t waitUs);
  int Speed() const { return speed_; }

 private:
  int speed_;
  std::uint64_t remainder_ = 0;  // of waitUs * 100, below speed_
};

}  // namespace macros
