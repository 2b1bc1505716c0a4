#include "ui/TimerGrid.h"

namespace ui {

void TimerGrid::Start(std::int64_t now, std::int64_t interval) {
  interval_ = interval < 1 ? 1 : interval;
  next_ = now + interval_;
  running_ = true;
  pending_ = false;
  dueDuringHandler_ = false;
  ++generation_;
}

void TimerGrid::Stop() {
  running_ = false;
  pending_ = false;
  dueDuringHandler_ = false;
  ++generation_;
}

bool TimerGrid::Expire(std::int64_t now) {
  if (!running_ || next_ > now) return false;
  next_ += interval_ * ((now - next_) / interval_ + 1);
  if (pending_) return false;
  pending_ = true;
  dueDuringHandler_ = inHandler_;
  return true;
}

TimerGrid::Delivery TimerGrid::Deliver(std::uint32_t generation) {
  if (generation != generation_ || !running_ || !pending_) return Delivery::Drop;
  if (dueDuringHandler_) return Delivery::RunWhenIdle;
  // Cleared before the handler runs: a deadline passing during a long handler posts one
  // more tick, which then waits for the messages that came in meanwhile.
  pending_ = false;
  inHandler_ = true;
  return Delivery::Run;
}

bool TimerGrid::DeliverDeferred(std::uint32_t generation) {
  if (generation != generation_ || !running_ || !pending_) return false;
  pending_ = false;
  dueDuringHandler_ = false;
  inHandler_ = true;
  return true;
}

}  // namespace ui
