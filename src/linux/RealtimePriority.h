#pragma once

#include <QTimer>

namespace linuxdesktop {

// While the program keeps time (a timer runs, or the UI thread sleeps for a hold or between
// the events of a macro), the UI thread, which sends the clicks, asks for the lowest
// real-time priority. On a busy machine an ordinary thread now and then wakes 1-3 ms late
// behind other processes; a real-time one does not. Only granted where the system allows it
// (RLIMIT_RTPRIO, e.g. an rtprio line in limits.conf, or CAP_SYS_NICE); otherwise the request
// fails quietly and nothing changes. The thread returns to normal scheduling one second
// after the last timer stopped or the last sleep ended, so a run that restarts its timer on
// each tick does not flap; the kernel's real-time throttling still leaves other programs
// their share. UI thread only.
class RealtimePriority {
 public:
  static RealtimePriority& Instance();
  void TimerStarted();
  void TimerStopped();
  // A wait of the UI thread that needs its timing kept.
  void Sleeping();

 private:
  RealtimePriority();
  void Raise();
  void DropLater();
  int running_ = 0;
  bool raised_ = false;
  bool refused_ = false;
  QTimer drop_;
};

}  // namespace linuxdesktop
