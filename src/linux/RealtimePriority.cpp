#include "linux/RealtimePriority.h"

#include <sched.h>

namespace linuxdesktop {

RealtimePriority& RealtimePriority::Instance() {
  // Never destroyed: its Qt timer must not outlive the application object in a static.
  static RealtimePriority* instance = new RealtimePriority;
  return *instance;
}

RealtimePriority::RealtimePriority() {
  drop_.setSingleShot(true);
  drop_.setInterval(1000);
  QObject::connect(&drop_, &QTimer::timeout, &drop_, [this] {
    sched_param param{};
    if (running_ == 0 && sched_setscheduler(0, SCHED_OTHER, &param) == 0) raised_ = false;
  });
}

void RealtimePriority::Raise() {
  if (raised_ || refused_) return;
  sched_param param{};
  param.sched_priority = 1;
  // Pid 0 is the calling thread. Programs we start (the web browser, the installer) must not
  // inherit the priority: they get normal scheduling on fork.
  if (sched_setscheduler(0, SCHED_FIFO | SCHED_RESET_ON_FORK, &param) == 0)
    raised_ = true;
  else
    refused_ = true;  // the limit does not change while we run: do not ask again
}

void RealtimePriority::DropLater() {
  if (raised_) drop_.start();
}

void RealtimePriority::TimerStarted() {
  ++running_;
  drop_.stop();
  Raise();
}

void RealtimePriority::TimerStopped() {
  if (running_ > 0 && --running_ == 0) DropLater();
}

void RealtimePriority::Sleeping() {
  Raise();
  if (running_ == 0) DropLater();
}

}  // namespace linuxdesktop
