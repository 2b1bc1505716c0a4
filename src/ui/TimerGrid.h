#pragma once

#include <cstdint>

namespace ui {

// The schedule of one periodic timer, in whatever unit the caller's clock counts
// (milliseconds, nanoseconds, performance-counter ticks). Deadlines lie on the grid laid
// from the moment of Start: a late tick does not shift the ones after it, and deadlines
// that pass while a tick is pending merge into it, so ticks never pile up. Every timer
// peer keeps its schedule here; the peer only waits for Deadline() and delivers.
class TimerGrid {
 public:
  // What becomes of a posted tick when it reaches the UI thread.
  enum class Delivery {
    Drop,       // it belongs to a period that a stop or a restart has ended
    Run,        // run the handler now
    RunWhenIdle // it fell due while this timer's own handler ran: what the user did
                // meanwhile (a Stop during a hold) is handled first, then the tick
  };

  // (Re)starts the period at `now`; a tick of an earlier period that is still pending is
  // dropped. An interval below one unit counts as one.
  void Start(std::int64_t now, std::int64_t interval);
  void Stop();
  bool Running() const { return running_; }
  // The next deadline; meaningful while Running().
  std::int64_t Deadline() const { return next_; }
  bool Pending() const { return pending_; }

  // The clock has reached `now`. True when a tick is to be posted: a deadline has passed
  // and no tick is pending. The deadlines passed are skipped either way.
  bool Expire(std::int64_t now);
  // Identifies the period of the tick that Expire() asked to post.
  std::uint32_t Generation() const { return generation_; }
  // The posted tick of `generation` arrives; Run and RunWhenIdle mark it delivered and
  // count its handler as running until HandlerDone().
  Delivery Deliver(std::uint32_t generation);
  // A tick deferred by RunWhenIdle arrives again, now that the queue is served: it runs
  // unless its period ended meanwhile.
  bool DeliverDeferred(std::uint32_t generation);
  void HandlerDone() { inHandler_ = false; }

 private:
  std::int64_t interval_ = 1;
  std::int64_t next_ = 0;
  std::uint32_t generation_ = 0;
  bool running_ = false;
  bool pending_ = false;
  bool inHandler_ = false;
  bool dueDuringHandler_ = false;
};

}  // namespace ui
