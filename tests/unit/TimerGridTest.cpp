#include <gtest/gtest.h>

#include <vector>

#include "ui/TimerGrid.h"

namespace {

using ui::TimerGrid;
using Delivery = TimerGrid::Delivery;

// Drives a grid the way a peer does: the clock wakes at the given moments and a posted tick
// is delivered at once. Returns the moments handlers ran.
std::vector<std::int64_t> TicksAt(TimerGrid& g, const std::vector<std::int64_t>& wakes) {
  std::vector<std::int64_t> ticks;
  for (std::int64_t now : wakes) {
    if (!g.Expire(now)) continue;
    if (g.Deliver(g.Generation()) != Delivery::Run) continue;
    ticks.push_back(now);
    g.HandlerDone();
  }
  return ticks;
}

TEST(TimerGridTest, DeadlinesStayOnTheGridAndLateOnesMerge) {
  struct Case {
    const char* what;
    std::int64_t interval;
    std::vector<std::int64_t> wakes;
    std::vector<std::int64_t> ticks;
    std::int64_t nextDeadline;
  } cases[] = {
      {"on time", 10, {10, 20, 30}, {10, 20, 30}, 40},
      {"early wake does nothing", 10, {9, 10, 19, 20}, {10, 20}, 30},
      {"a late wake does not shift the grid", 10, {13, 20, 30}, {13, 20, 30}, 40},
      {"three missed deadlines merge into one tick", 10, {10, 45, 50}, {10, 45, 50}, 60},
      {"exactly on a later deadline", 10, {40}, {40}, 50},
      {"performance-counter units", 10000000, {10000000, 25000001}, {10000000, 25000001}, 30000000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TimerGrid g;
    g.Start(0, c.interval);
    EXPECT_EQ(TicksAt(g, c.wakes), c.ticks);
    EXPECT_EQ(g.Deadline(), c.nextDeadline);
  }
}

TEST(TimerGridTest, APendingTickSwallowsLaterDeadlinesUntilDelivered) {
  TimerGrid g;
  g.Start(100, 10);
  EXPECT_TRUE(g.Expire(110));
  const auto gen = g.Generation();
  EXPECT_FALSE(g.Expire(120));  // the UI thread has not taken the first one yet
  EXPECT_FALSE(g.Expire(131));
  EXPECT_EQ(g.Deadline(), 140);
  EXPECT_EQ(g.Deliver(gen), Delivery::Run);
  EXPECT_EQ(g.Deliver(gen), Delivery::Drop);  // one post, one tick
  g.HandlerDone();
  EXPECT_TRUE(g.Expire(140));
}

TEST(TimerGridTest, StopAndRestartEndThePeriodOfAPostedTick) {
  TimerGrid g;
  g.Start(0, 10);
  ASSERT_TRUE(g.Expire(10));
  const auto old = g.Generation();
  g.Stop();
  EXPECT_EQ(g.Deliver(old), Delivery::Drop);
  EXPECT_FALSE(g.Expire(1000));

  g.Start(1000, 10);
  ASSERT_TRUE(g.Expire(1010));
  const auto before = g.Generation();
  g.Start(1012, 25);  // a new interval: the period restarts now
  EXPECT_EQ(g.Deliver(before), Delivery::Drop);
  EXPECT_FALSE(g.Expire(1036));
  EXPECT_TRUE(g.Expire(1037));
  EXPECT_EQ(g.Deliver(g.Generation()), Delivery::Run);
}

TEST(TimerGridTest, ZeroIntervalCountsAsOneUnit) {
  TimerGrid g;
  g.Start(5, 0);
  EXPECT_EQ(g.Deadline(), 6);
  EXPECT_TRUE(g.Expire(9));
  EXPECT_EQ(g.Deadline(), 10);
}

// A hold longer than the interval: the next deadline passes while the handler still runs.
// That tick waits for what the user did meanwhile; if that was a Stop, it never runs.
TEST(TimerGridTest, ATickDueDuringItsOwnHandlerYieldsToTheQueue) {
  TimerGrid g;
  g.Start(0, 100);
  ASSERT_TRUE(g.Expire(100));
  ASSERT_EQ(g.Deliver(g.Generation()), Delivery::Run);
  ASSERT_TRUE(g.Expire(200));  // posted by the helper thread during the 2 s hold
  const auto gen = g.Generation();
  g.HandlerDone();
  EXPECT_EQ(g.Deliver(gen), Delivery::RunWhenIdle);
  EXPECT_FALSE(g.Expire(2150));  // still pending: merged

  TimerGrid stopped = g;
  stopped.Stop();  // the Stop click, handled first
  EXPECT_FALSE(stopped.DeliverDeferred(gen));

  EXPECT_TRUE(g.DeliverDeferred(gen));  // no Stop: the late tick runs, once
  g.HandlerDone();
  EXPECT_FALSE(g.DeliverDeferred(gen));
  EXPECT_EQ(g.Deadline(), 2200);  // and the grid goes on
  EXPECT_TRUE(g.Expire(2200));
  EXPECT_EQ(g.Deliver(g.Generation()), Delivery::Run);
}

}  // namespace
