#include "macros/PlaybackSpeed.h"

#include <algorithm>

namespace macros {

SpeedScale::SpeedScale(int speedPercent) : speed_(std::clamp(speedPercent, kMinSpeed, kMaxSpeed)) {}

std::uint64_t SpeedScale::Next(std::uint64_t waitUs) {
  // A wait is at most 2^32 ms = 2^42 us, so times 100 stays far below 2^64.
  const std::uint64_t scaled = waitUs * 100 + remainder_;
  remainder_ = scaled % static_cast<std::uint64_t>(speed_);
  return scaled / static_cast<std::uint64_t>(speed_);
}

}  // namespace macros
