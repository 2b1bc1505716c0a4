// The timer peer of the Linux edition.

#include <QSocketNotifier>
#include <QTimer>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "linux/Monotonic.h"
#include "linux/QtWidgets.h"
#include "linux/RealtimePriority.h"
#include "ui/TimerGrid.h"

namespace linuxdesktop {

namespace {

// A one-shot timerfd on CLOCK_MONOTONIC, armed at the grid's next deadline (absolute, so a
// late tick does not shift the ones after it; a Qt precise timer re-bases after every late
// tick and so falls short of 1000 ticks a second at 1 ms) and watched from the Qt event
// loop. Deadlines that passed while the program was busy merge in the grid.
class TimerPeer : public ui::TimerPeer {
 public:
  explicit TimerPeer(ui::Timer& owner) : owner_(owner) {
    fd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ >= 0) {
      notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
      QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { Expired(); });
    } else {
      fallback_.setTimerType(Qt::PreciseTimer);
      QObject::connect(&fallback_, &QTimer::timeout, &fallback_, [this] { owner_.Tick(); });
    }
  }
  ~TimerPeer() override {
    if (grid_.Running()) RealtimePriority::Instance().TimerStopped();
    notifier_.reset();
    if (fd_ >= 0) close(fd_);
  }
  void start(unsigned intervalMs) override {
    if (fd_ < 0) {
      fallback_.start(static_cast<int>(std::min<unsigned>(intervalMs, 0x7FFFFFFF)));
      return;
    }
    if (!grid_.Running()) RealtimePriority::Instance().TimerStarted();
    grid_.Start(MonotonicNs(), static_cast<std::int64_t>(intervalMs) * 1000000);
    // Longer intervals wake a little early and wait out the rest awake: a thread woken from
    // a long idle spell arrives with a varying delay (cold caches, deep CPU idle states), one
    // that is already running does not. The cost is the lead per tick, 0.25 % at 100 ms; at
    // short intervals the thread never sleeps long enough to need it.
    leadNs_ = intervalMs >= 10 ? kLeadNs : 0;
    Arm();
  }
  void stop() override {
    if (fd_ < 0) {
      fallback_.stop();
      return;
    }
    if (grid_.Running()) RealtimePriority::Instance().TimerStopped();
    grid_.Stop();
    Arm();
  }

 private:
  void Arm() {
    itimerspec spec{};
    if (grid_.Running()) {
      const std::int64_t at = std::max<std::int64_t>(1, grid_.Deadline() - leadNs_);
      spec.it_value.tv_sec = static_cast<time_t>(at / 1000000000);
      spec.it_value.tv_nsec = static_cast<long>(at % 1000000000);
    }
    timerfd_settime(fd_, TFD_TIMER_ABSTIME, &spec, nullptr);
  }
  void Expired() {
    std::uint64_t expirations = 0;
    if (read(fd_, &expirations, sizeof expirations) != static_cast<ssize_t>(sizeof expirations) ||
        expirations == 0 || !grid_.Running())
      return;
    std::int64_t now = MonotonicNs();
    if (leadNs_ > 0 && grid_.Deadline() - now <= leadNs_) {
      while (now < grid_.Deadline()) now = MonotonicNs();
    }
    // Delivered where it is posted, on the UI thread, so nothing else can come between.
    if (grid_.Expire(now) && grid_.Deliver(grid_.Generation()) == ui::TimerGrid::Delivery::Run) {
      owner_.Tick();
      grid_.HandlerDone();
    }
    // The handler may have stopped or restarted the timer, which armed it already.
    if (grid_.Running()) Arm();
  }
  static constexpr std::int64_t kLeadNs = 250000;
  ui::Timer& owner_;
  int fd_ = -1;
  std::int64_t leadNs_ = 0;
  ui::TimerGrid grid_;
  std::unique_ptr<QSocketNotifier> notifier_;
  QTimer fallback_;
};

}  // namespace

std::unique_ptr<ui::TimerPeer> QtWidgetFactory::CreateTimer(ui::Timer& owner) {
  return std::make_unique<TimerPeer>(owner);
}

}  // namespace linuxdesktop
