#include "linux/QtWidgets.h"

#include "linux/RealtimePriority.h"

#include <QPixmap>
#include <QSocketNotifier>
#include <QTimer>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <memory>

#include "linux/QtWidgetPeer.h"

namespace qtui {

namespace {

// ---------------------------------------------------------------- timer

// A timerfd on CLOCK_MONOTONIC watched from the Qt event loop. The kernel keeps the
// timer on its grid from start(), so a late tick does not shift the ones after it (a Qt
// precise timer re-bases after every late tick and so falls short of 1000 ticks a second
// at 1 ms); the expiration count of one read merges the ticks that fell due meanwhile into
// one; re-arming or disarming resets that count, so stop() also drops a pending tick.
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
    if (running_) RealtimePriority::Instance().TimerStopped();
    notifier_.reset();
    if (fd_ >= 0) close(fd_);
  }
  void start(unsigned intervalMs) override {
    if (fd_ < 0) {
      fallback_.start(static_cast<int>(std::min<unsigned>(intervalMs, 0x7FFFFFFF)));
      return;
    }
    itimerspec spec{};
    spec.it_interval.tv_sec = intervalMs / 1000;
    spec.it_interval.tv_nsec = static_cast<long>(intervalMs % 1000) * 1000000L;
    spec.it_value = spec.it_interval;
    intervalNs_ = static_cast<std::int64_t>(intervalMs) * 1000000;
    // Longer intervals wake a little early and wait out the rest awake: a thread woken from
    // a long idle spell arrives with a varying delay (cold caches, deep CPU idle states), one
    // that is already running does not. The cost is the lead per tick, 0.25 % at 100 ms; at
    // short intervals the thread never sleeps long enough to need it.
    leadNs_ = intervalMs >= 10 ? kLeadNs : 0;
    if (leadNs_ > 0) {
      spec.it_value.tv_nsec -= leadNs_;
      if (spec.it_value.tv_nsec < 0) {
        spec.it_value.tv_nsec += 1000000000L;
        --spec.it_value.tv_sec;
      }
    }
    timerfd_settime(fd_, 0, &spec, nullptr);
    if (!running_) RealtimePriority::Instance().TimerStarted();
    running_ = true;
  }
  void stop() override {
    if (fd_ < 0) {
      fallback_.stop();
      return;
    }
    itimerspec off{};
    timerfd_settime(fd_, 0, &off, nullptr);
    if (running_) RealtimePriority::Instance().TimerStopped();
    running_ = false;
  }

 private:
  static std::int64_t NowNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
  }
  void Expired() {
    std::uint64_t expirations = 0;
    if (read(fd_, &expirations, sizeof expirations) != static_cast<ssize_t>(sizeof expirations) ||
        expirations == 0)
      return;
    if (leadNs_ > 0) {
      // The expiration that woke us lies one interval before the next one.
      itimerspec left{};
      if (timerfd_gettime(fd_, &left) == 0) {
        const std::int64_t now = NowNs();
        const std::int64_t next =
            now + static_cast<std::int64_t>(left.it_value.tv_sec) * 1000000000 + left.it_value.tv_nsec;
        const std::int64_t due = next - intervalNs_ + leadNs_;
        if (due - now <= leadNs_) {
          while (NowNs() < due) {
          }
        }
      }
    }
    owner_.Tick();
  }
  static constexpr long kLeadNs = 250000;
  ui::Timer& owner_;
  int fd_ = -1;
  std::int64_t intervalNs_ = 0;
  long leadNs_ = 0;
  bool running_ = false;
  std::unique_ptr<QSocketNotifier> notifier_;
  QTimer fallback_;
};

}  // namespace

QPixmap Picture(const std::string& name) { return QPixmap(":/images/" + Q(name) + ".png"); }

std::unique_ptr<ui::TimerPeer> QtWidgetFactory::CreateTimer(ui::Timer& owner) {
  return std::make_unique<TimerPeer>(owner);
}

}  // namespace qtui
