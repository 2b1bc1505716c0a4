#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/Clock.h"
#include "ui/Dialogs.h"
#include "ui/Timer.h"
#include "ui/TimerGrid.h"

namespace fakes {

// Time that moves only when a test says so, and a message queue run the way the Windows
// edition's is: a tick is posted when its deadline passes (the program's timer grid decides
// when, and merges missed deadlines), posted ticks go before the user's input, and a tick
// that fell due during its own handler waits until the input that came in meanwhile has
// been handled. A test's user acts at a moment with At(); while the program is busy (a
// hold, a Sleep) that action waits in the queue like a real click would.
class FakeClock : public platform::Clock, public ui::MessageQueue {
 public:
  std::uint64_t now = 0;            // ms
  std::uint32_t tickBase = 1000;    // GetTickCount at now == 0
  platform::LocalDateTime localTime{2025, 3, 7, 14, 5, 9};
  std::vector<std::uint32_t> sleeps;
  // Runs at every ProcessMessages (a test's "user" acting while the program serves its queue).
  std::function<void()> onProcessMessages;

  std::uint32_t GetTickCount() override { return static_cast<std::uint32_t>(tickBase + now); }
  void Sleep(std::uint32_t ms) override {
    sleeps.push_back(ms);
    now += ms;
  }
  platform::LocalDateTime Now() override { return localTime; }
  std::uint64_t HighResolutionNow() override { return 12345; }
  // The same time line as `now`, in whole milliseconds; a wait is recorded in milliseconds.
  std::uint64_t NowMicros() override { return now * 1000; }
  void SleepMicros(std::uint64_t us) override {
    const std::uint64_t ms = (us + 999) / 1000;
    sleeps.push_back(static_cast<std::uint32_t>(ms));
    now += ms;
  }

  // Fires every timer tick and user action due up to now + ms, in time order.
  void Advance(std::uint64_t ms);
  // The user does `action` at time `when` (handled once the program serves its queue).
  void At(std::uint64_t when, std::function<void()> action);
  // Delivers the ticks that are due now, then the scripted user action.
  void ProcessMessages() override;
  int ProcessCount() const { return processCount_; }

  std::unique_ptr<ui::TimerPeer> MakeTimerPeer(ui::Timer& owner);

 private:
  struct Entry {
    ui::Timer* owner;
    ui::TimerGrid grid;
  };
  struct Posted {
    std::shared_ptr<Entry> entry;
    std::uint32_t generation;
  };
  friend class FakeTimerPeer;
  // Handles one message or moves the time to the next event; false when nothing is left
  // up to `until`.
  bool Step(std::uint64_t until);
  void PostDue();
  void RunHandler(Entry& e);
  std::vector<std::shared_ptr<Entry>> timers_;
  std::deque<Posted> posted_;
  std::deque<Posted> deferred_;
  std::multimap<std::uint64_t, std::function<void()>> actions_;
  int processCount_ = 0;
};

}  // namespace fakes
