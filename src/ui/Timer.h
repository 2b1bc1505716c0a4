#pragma once

#include <functional>
#include <memory>

namespace ui {

class TimerPeer {
 public:
  virtual ~TimerPeer() = default;
  // Tick every intervalMs on the UI thread, phase kept from this moment; ticks that fall
  // due while one is still pending are merged into it. start() on a running peer restarts
  // its period; stop() also drops a tick that is already pending.
  virtual void start(unsigned intervalMs) = 0;
  virtual void stop() = 0;
};

class WidgetFactory;

// Setting Interval or Enabled to its current value does nothing; a new value while the
// timer is (or becomes) enabled restarts the period.
class Timer {
 public:
  explicit Timer(WidgetFactory& factory, unsigned intervalMs = 1000);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned ms);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on);
  std::function<void()> OnTimer;
  // One period has passed (called by the peer on the UI thread).
  void Tick();

 private:
  void Apply();
  std::unique_ptr<TimerPeer> peer_;
  unsigned interval_;
  bool enabled_ = false;
};

}  // namespace ui
