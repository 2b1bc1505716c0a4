#pragma once

// Precise periodic timers. A window timer (SetTimer) cannot tick faster than every 10-16 ms,
// so a helper thread waits on a high-resolution waitable timer for the earliest deadline
// and only posts a message to the UI thread, where the tick runs. Posted messages are
// dispatched by every loop of the thread, modal ones (message boxes, menus) included.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "ui/Timer.h"

namespace win32ui {

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

 private:
  struct Entry {
    ui::Timer* owner = nullptr;
    bool running = false;
    std::int64_t interval = 0;  // performance-counter units
    std::int64_t next = 0;      // the next deadline on the timer's grid
    std::uint32_t generation = 0;
    // A tick is posted and not yet delivered: later deadlines merge into it.
    std::atomic<bool> pending{false};
  };
  static LRESULT CALLBACK SinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Deliver(int id, std::uint32_t generation);
  void ThreadMain();
  std::int64_t Now() const;

  HWND sink_ = nullptr;
  HANDLE wake_ = nullptr;
  HANDLE waitable_ = nullptr;
  bool highResolution_ = false;
  std::int64_t frequency_ = 1;
  std::mutex mutex_;
  std::map<int, std::unique_ptr<Entry>> entries_;
  int nextId_ = 1;
  bool quit_ = false;
  std::thread thread_;
};

}  // namespace win32ui
