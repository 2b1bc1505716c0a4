#include "fakes/FakeClock.h"

#include <algorithm>

namespace fakes {

class FakeTimerPeer : public ui::TimerPeer {
 public:
  FakeTimerPeer(FakeClock& clock, std::shared_ptr<FakeClock::Entry> e) : clock_(clock), e_(std::move(e)) {}
  ~FakeTimerPeer() override { e_->running = false; e_->owner = nullptr; }
  void start(unsigned intervalMs) override {
    e_->running = true;
    e_->interval = intervalMs;
    e_->next = clock_.now + intervalMs;
    e_->pending = false;
  }
  void stop() override { e_->running = false; }

 private:
  FakeClock& clock_;
  std::shared_ptr<FakeClock::Entry> e_;
};

std::unique_ptr<ui::TimerPeer> FakeClock::MakeTimerPeer(ui::Timer& owner) {
  auto e = std::make_shared<Entry>();
  e->owner = &owner;
  timers_.push_back(e);
  return std::make_unique<FakeTimerPeer>(*this, e);
}

bool FakeClock::FireNextDue(std::uint64_t until) {
  std::shared_ptr<Entry> due;
  auto when = [this](const Entry& e) { return e.pending ? now : e.next; };
  for (auto& e : timers_)
    if (e->running && e->owner && when(*e) <= until && (!due || when(*e) < when(*due))) due = e;
  if (!due) return false;
  now = std::max(now, when(*due));
  if (!due->pending) due->next += due->interval;
  due->pending = false;
  const std::uint64_t grid = due->next;
  const std::uint64_t interval = due->interval;
  due->owner->Tick();
  // Deadlines that passed while the handler ran merge into one pending tick; the grid
  // (the timer's phase) is kept. A restart during the tick set its own deadline.
  if (due->running && due->next == grid && due->interval == interval && due->next <= now) {
    due->pending = true;
    due->next += ((now - due->next) / interval + 1) * interval;
  }
  return true;
}

void FakeClock::Advance(std::uint64_t ms) {
  const std::uint64_t until = now + ms;
  while (FireNextDue(until)) {
  }
  now = std::max(now, until);
}

void FakeClock::ProcessMessages() {
  ++processCount_;
  while (FireNextDue(now)) {
  }
  if (onProcessMessages) onProcessMessages();
}

}  // namespace fakes
