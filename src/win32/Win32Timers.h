#pragma once

// Precise periodic timers. A window timer (SetTimer) cannot tick faster than every 10-16 ms,
// so the ticks are paced by a high-resolution waitable timer. The main message loop waits
// on it beside the queue and runs a tick the moment it falls due, on the UI thread; each
// hop between threads on the way to the click costs time, under Wine several round trips
// to the wine server. Modal loops (message boxes, menus, moving the window) and long
// handlers do not reach that wait; a helper thread notices that the main loop has been
// away for a while and posts the ticks instead, which every loop dispatches.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "ui/Timer.h"
#include "ui/TimerGrid.h"

namespace win32 {

class TimerService {
 public:
  TimerService();
  ~TimerService();
  TimerService(const TimerService&) = delete;
  TimerService& operator=(const TimerService&) = delete;

  std::unique_ptr<ui::TimerPeer> CreatePeer(ui::Timer& owner);

  // Whether the system offers high-resolution waitable timers (else the fallback raises
  // the system timer resolution while timers run).
  bool HighResolution() const { return highResolution_; }

  int Add(ui::Timer& owner);
  void Remove(int id);
  void Start(int id, unsigned intervalMs);
  void Stop(int id);

  // The main loop's wait, with the queue empty: returns when a message arrives, after
  // running the ticks that fell due meanwhile.
  void WaitForMessageOrTick();

 private:
  struct Entry {
    ui::Timer* owner = nullptr;
    ui::TimerGrid grid;
    std::uint32_t deferred = 0;  // generation of a tick waiting for the queue to be served
  };
  static LRESULT CALLBACK SinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Deliver(int id, std::uint32_t generation);
  void DeliverDeferred(int id);
  void RunHandler(int id, ui::Timer* owner);
  // The owner whose handler is to run for a tick of `generation`, or null (dropped, or
  // deferred until the queue is served).
  ui::Timer* TakeLocked(int id, Entry& e, std::uint32_t generation);
  // The earliest deadline of all running timers, or INT64_MAX; caller holds the mutex.
  std::int64_t EarliestLocked() const;
  void ThreadMain();
  std::int64_t Now() const;

  HWND sink_ = nullptr;
  HANDLE wake_ = nullptr;
  HANDLE waitable_ = nullptr;    // the helper thread's
  HANDLE uiWaitable_ = nullptr;  // the main loop's
  std::int64_t uiArmedFor_ = 0;
  bool highResolution_ = false;
  std::int64_t frequency_ = 1;
  std::int64_t takeover_ = 1;  // performance-counter units
  std::int64_t watch_ = 1;
  // When the main loop last entered its wait; the helper posts only when that is long ago.
  std::atomic<std::int64_t> loopSeen_{0};
  // Where the helper thread's wait ends.
  std::atomic<std::int64_t> helperUntil_{kNeverUntil};
  static constexpr std::int64_t kNeverUntil = INT64_MAX;
  std::mutex mutex_;
  std::map<int, std::unique_ptr<Entry>> entries_;
  int nextId_ = 1;
  bool quit_ = false;
  std::thread thread_;
};

}  // namespace win32
