#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/Clock.h"
#include "platform/FolderLock.h"

namespace fakes {

// Folder locks of one process, safe across threads. A test marks a folder as held by
// another copy (HoldElsewhere) or leaves it free; `tries` counts the attempts.
class FakeFolderLocks : public platform::FolderLocks {
 public:
  Result TryLock(const std::string& folder, std::unique_ptr<Held>& held) override {
    std::lock_guard<std::mutex> guard(mutex_);
    ++tries;
    if (unsupported) return Result::Unsupported;
    int& holders = held_[folder];
    if (holders > 0) return Result::Busy;
    ++holders;
    held = std::make_unique<Hold>(*this, folder);
    return Result::Taken;
  }
  void HoldElsewhere(const std::string& folder) {
    std::lock_guard<std::mutex> guard(mutex_);
    ++held_[folder];
  }
  void ReleaseElsewhere(const std::string& folder) {
    std::lock_guard<std::mutex> guard(mutex_);
    --held_[folder];
  }
  int Tries() {
    std::lock_guard<std::mutex> guard(mutex_);
    return tries;
  }
  bool unsupported = false;

 private:
  class Hold : public Held {
   public:
    Hold(FakeFolderLocks& owner, std::string folder) : owner_(owner), folder_(std::move(folder)) {}
    ~Hold() override { owner_.ReleaseElsewhere(folder_); }

   private:
    FakeFolderLocks& owner_;
    std::string folder_;
  };
  std::mutex mutex_;
  std::map<std::string, int> held_;
  int tries = 0;
};

// The steady clock, for tests where several threads wait for each other for real.
class SteadyClock : public platform::Clock {
 public:
  std::uint32_t GetTickCount() override { return static_cast<std::uint32_t>(NowMicros() / 1000); }
  void Sleep(std::uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  platform::LocalDateTime Now() override { return {}; }
  std::uint64_t HighResolutionNow() override { return NowMicros(); }
  std::uint64_t NowMicros() override {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
  }
  void SleepMicros(std::uint64_t us) override { std::this_thread::sleep_for(std::chrono::microseconds(us)); }
};

}  // namespace fakes
