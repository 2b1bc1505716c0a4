#include "fakes/FakeClock.h"

#include <algorithm>
#include <limits>

namespace fakes {

class FakeTimerPeer : public ui::TimerPeer {
 public:
  FakeTimerPeer(FakeClock& clock, std::shared_ptr<FakeClock::Entry> e) : clock_(clock), e_(std::move(e)) {}
  ~FakeTimerPeer() override {
    e_->grid.Stop();
    e_->owner = nullptr;
  }
  void start(unsigned intervalMs) override {
    e_->grid.Start(static_cast<std::int64_t>(clock_.now), static_cast<std::int64_t>(intervalMs));
  }
  void stop() override { e_->grid.Stop(); }

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

void FakeClock::At(std::uint64_t when, std::function<void()> action) {
  actions_.emplace(when, std::move(action));
}

void FakeClock::PostDue() {
  for (auto& e : timers_)
    if (e->owner && e->grid.Expire(static_cast<std::int64_t>(now)))
      posted_.push_back({e, e->grid.Generation()});
}

void FakeClock::RunHandler(Entry& e) {
  e.owner->Tick();
  // Deadlines that passed while the handler ran were posted meanwhile.
  PostDue();
  e.grid.HandlerDone();
}

bool FakeClock::Step(std::uint64_t until) {
  // A handler that ran past the end of this advance leaves the rest for the next one.
  if (now > until) return false;
  PostDue();
  if (!posted_.empty()) {
    const Posted p = posted_.front();
    posted_.pop_front();
    if (!p.entry->owner) return true;
    switch (p.entry->grid.Deliver(p.generation)) {
      case ui::TimerGrid::Delivery::Drop: break;
      case ui::TimerGrid::Delivery::Run: RunHandler(*p.entry); break;
      case ui::TimerGrid::Delivery::RunWhenIdle: deferred_.push_back(p); break;
    }
    return true;
  }
  if (!actions_.empty() && actions_.begin()->first <= now) {
    auto action = std::move(actions_.begin()->second);
    actions_.erase(actions_.begin());
    action();
    return true;
  }
  if (!deferred_.empty()) {
    const Posted p = deferred_.front();
    deferred_.pop_front();
    if (p.entry->owner && p.entry->grid.DeliverDeferred(p.generation)) RunHandler(*p.entry);
    return true;
  }
  std::uint64_t next = std::numeric_limits<std::uint64_t>::max();
  for (auto& e : timers_)
    if (e->owner && e->grid.Running()) next = std::min(next, static_cast<std::uint64_t>(e->grid.Deadline()));
  if (!actions_.empty()) next = std::min(next, actions_.begin()->first);
  if (next > until) return false;
  now = std::max(now, next);
  return true;
}

void FakeClock::Advance(std::uint64_t ms) {
  const std::uint64_t until = now + ms;
  while (Step(until)) {
  }
  now = std::max(now, until);
}

void FakeClock::ProcessMessages() {
  ++processCount_;
  while (Step(now)) {
  }
  if (onProcessMessages) onProcessMessages();
}

}  // namespace fakes
