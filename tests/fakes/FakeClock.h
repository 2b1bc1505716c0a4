#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Clock.h"
#include "ui/Dialogs.h"
#include "ui/Timer.h"

namespace fakes {

// Time that moves only when a test says so. Timers keep their phase: a tick that falls
// due while the program is busy (a hold, a Sleep) is delivered once, late, and the next
// one follows on the original grid; missed ticks merge.
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

  // Fires every timer tick due up to now + ms, in time order.
  void Advance(std::uint64_t ms);
  // Delivers the ticks that are due now, then the scripted user action.
  void ProcessMessages() override;
  int ProcessCount() const { return processCount_; }

  std::unique_ptr<ui::TimerPeer> MakeTimerPeer(ui::Timer& owner);

 private:
  struct Entry {
    ui::Timer* owner;
    bool running = false;
    std::uint64_t interval = 0;
    std::uint64_t next = 0;   // next deadline on the timer's grid
    bool pending = false;     // a deadline passed while the program was busy
  };
  friend class FakeTimerPeer;
  bool FireNextDue(std::uint64_t until);
  std::vector<std::shared_ptr<Entry>> timers_;
  int processCount_ = 0;
};

}  // namespace fakes
