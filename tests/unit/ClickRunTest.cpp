#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "app/FrmMain.h"
#include "fakes/FakeServices.h"
#include "i18n/Translation.h"

namespace {

using platform::MouseInputRecord;

struct ClickRunTest : ::testing::Test {
  ClickRunTest() { i18n::ResetTranslations(); }
  fakes::FakePlatform p;
  TFrmMain f{p.services};

  int Clicks() const {
    int n = 0;
    for (const MouseInputRecord& r : p.mouse.sent) n += (r.flags == platform::kMouseLeftDown);
    return n;
  }
  void Interval(int ms) { f.seMillis.SetValue(ms); }
  void RepeatCount(int n) {
    f.rbRepeatCount.UserClicked();
    f.seRepeat.SetValue(n);
  }
};

TEST_F(ClickRunTest, IntervalHasAOneMillisecondFloor) {
  Interval(0);
  EXPECT_EQ(f.GetIntervalMs(), 1);
  f.seHours.SetValue(23);
  f.seMinutes.SetValue(59);
  f.seSeconds.SetValue(59);
  f.seMillis.SetValue(999);
  EXPECT_EQ(f.GetIntervalMs(), 86399999);
}

TEST_F(ClickRunTest, JitterIsExactlyMinusZeroOrPlusTheAmplitudeRaisedToOne) {
  Interval(50);
  f.chkJitter.SetChecked(true);
  f.seJitterMs.SetValue(100);
  std::set<unsigned> seen;
  for (int i = 0; i < 300; ++i) {
    f.ScheduleNextClick();
    seen.insert(f.TimerClick.Interval());
  }
  EXPECT_EQ(seen, (std::set<unsigned>{1, 50, 150}));
}

TEST_F(ClickRunTest, StartShrinksToCompactWindowAndFirstClickComesOneIntervalLater) {
  Interval(10);
  f.btnStart.UserClicked();
  EXPECT_TRUE(f.FRunning);
  EXPECT_FALSE(f.btnStart.Enabled());
  EXPECT_TRUE(f.btnStop.Enabled());
  EXPECT_EQ(f.Label1.Caption(), "Started");
  EXPECT_EQ(f.Form.Caption(), "  Running... Press Shift+Ctrl+X to stop");
  EXPECT_TRUE(f.FRecUiActive);
  p.clock.Advance(9);
  EXPECT_EQ(Clicks(), 0);
  p.clock.Advance(1);
  EXPECT_EQ(Clicks(), 1);
  p.clock.Advance(100);
  EXPECT_EQ(Clicks(), 11);
}

TEST_F(ClickRunTest, RepeatCountEndsOneIntervalAfterTheLastClick) {
  Interval(10);
  RepeatCount(1);
  f.btnStart.UserClicked();
  p.clock.Advance(10);
  EXPECT_EQ(Clicks(), 1);
  EXPECT_TRUE(f.FRunning);
  p.clock.Advance(10);
  EXPECT_FALSE(f.FRunning);
  EXPECT_EQ(f.Label1.Caption(), "Completed repeat count. Clicks done: 1");
  EXPECT_EQ(f.Form.Caption(), "  QEL Auto Clicker 2.4");
  EXPECT_TRUE(f.btnStart.Enabled());
  p.clock.Advance(1000);
  EXPECT_EQ(Clicks(), 1);
}

TEST_F(ClickRunTest, StopDuringTheStartDelayMakesNoClick) {
  Interval(10);
  f.seStartDelaySS.SetValue(3);
  f.btnStart.UserClicked();
  p.clock.Advance(2999);
  EXPECT_EQ(Clicks(), 0);
  f.btnStop.UserClicked();
  p.clock.Advance(5000);
  EXPECT_EQ(Clicks(), 0);
  EXPECT_EQ(f.Label1.Caption(), "Stopped by button. Clicks done: 0");
}

TEST_F(ClickRunTest, StartDelayThenFirstClickOneIntervalLater) {
  Interval(10);
  f.seStartDelaySS.SetValue(3);
  f.btnStart.UserClicked();
  p.clock.Advance(3009);
  EXPECT_EQ(Clicks(), 0);
  p.clock.Advance(1);
  EXPECT_EQ(Clicks(), 1);
  EXPECT_EQ(f.Form.Caption(), "  Running... Press Shift+Ctrl+X to stop");
}

TEST_F(ClickRunTest, StartDuringARunChangesNothing) {
  Interval(10);
  f.btnStart.UserClicked();
  p.clock.Advance(50);
  f.StartRun();
  p.hotkeys.Press(1001);
  p.clock.Advance(50);
  EXPECT_EQ(f.FClicksDone, 10u);
}

TEST_F(ClickRunTest, APendingTickAfterStopClicksNothing) {
  Interval(10);
  f.btnStart.UserClicked();
  p.clock.Advance(10);
  f.StopRun("x");
  f.TimerClickTimer();  // a tick that was already queued
  EXPECT_EQ(Clicks(), 1);
}

TEST_F(ClickRunTest, StopHotkeyWithNoRunKeepsTheStatusLine) {
  f.SetStatus("something");
  p.hotkeys.Press(1002);
  EXPECT_EQ(f.Label1.Caption(), "something");
}

TEST_F(ClickRunTest, PhaseIsKeptWhileAHoldBlocks) {
  Interval(100);
  f.cbClickType.UserSelected(2);
  f.seHoldMs.SetValue(30);
  f.btnStart.UserClicked();
  p.clock.Advance(400);
  std::vector<std::uint64_t> downs;
  for (size_t i = 0; i < p.mouse.sent.size(); ++i)
    if (p.mouse.sent[i].flags == platform::kMouseLeftDown) downs.push_back(p.mouse.sentAt[i]);
  EXPECT_EQ(downs, (std::vector<std::uint64_t>{100, 200, 300, 400}));
}

// The next tick falls due during the hold; the Stop clicked meanwhile is handled first.
TEST_F(ClickRunTest, StopDuringAHoldLongerThanTheIntervalIsTheLastWord) {
  Interval(100);
  f.cbClickType.UserSelected(2);
  f.seHoldMs.SetValue(2000);
  f.btnStart.UserClicked();
  p.clock.At(1000, [&] { f.btnStop.UserClicked(); });
  p.clock.Advance(5000);
  EXPECT_EQ(Clicks(), 1);
  EXPECT_EQ(f.FClicksDone, 1u);
  EXPECT_EQ(f.Label1.Caption(), "Stopped by button. Clicks done: 1");
}

TEST_F(ClickRunTest, MinimiseToTrayHidesDuringTheRunAndShowsAtTheEnd) {
  Interval(10);
  RepeatCount(2);
  f.chkMinimizeToTrayOnStart.SetChecked(true);
  f.btnStart.UserClicked();
  EXPECT_FALSE(f.Form.Visible());
  EXPECT_FALSE(f.FRecUiActive);
  f.TrayIcon1.UserClicked();  // the full window during a hidden run, Stop enabled
  EXPECT_TRUE(f.Form.Visible());
  EXPECT_TRUE(f.btnStop.Enabled());
  f.HideToTray();
  p.clock.Advance(30);
  EXPECT_FALSE(f.FRunning);
  EXPECT_TRUE(f.Form.Visible());
}

TEST_F(ClickRunTest, WithoutANotificationAreaTheRunMinimisesInsteadOfHiding) {
  p.widgets.tray->present = false;
  f.Form.Show();
  Interval(10);
  RepeatCount(2);
  f.chkMinimizeToTrayOnStart.SetChecked(true);
  auto& win = p.widgets.PeerOf<fakes::FakeWindowPeer>(f.Form);
  const int restoresBefore = win.restoreCount;
  f.btnStart.UserClicked();
  EXPECT_TRUE(f.Form.Visible());  // still reachable from the taskbar
  EXPECT_TRUE(f.Form.Minimized());
  EXPECT_TRUE(win.minimized);
  p.clock.Advance(30);
  EXPECT_FALSE(f.FRunning);
  EXPECT_FALSE(f.Form.Minimized());
  EXPECT_GT(win.restoreCount, restoresBefore);
}

TEST_F(ClickRunTest, TicksGoOnWhileAMessageBoxIsOpen) {
  Interval(10);
  f.btnStart.UserClicked();
  p.dialogs.whileOpen = [&] { p.clock.Advance(50); };
  f.Button1.UserClicked();  // the about box: a modal loop
  EXPECT_EQ(f.FClicksDone, 5u);
}

}  // namespace

namespace {

TEST_F(ClickRunTest, RadiusSpreadsCoordinateClicksInsideTheDiscAndTheDesktop) {
  struct Case {
    int x, y;
  };
  for (const Case& c : {Case{600, 500}, Case{3, 1078}}) {
    p.mouse.sent.clear();
    f.rbCoordinates.UserClicked();
    f.edtCoordX.SetValue(c.x);
    f.edtCoordY.SetValue(c.y);
    f.FRadius = 20;
    Interval(1);
    RepeatCount(200);
    f.btnStart.UserClicked();
    p.clock.Advance(300);
    ASSERT_FALSE(f.FRunning);
    std::set<std::pair<int, int>> points;
    for (const MouseInputRecord& r : p.mouse.sent) {
      if (!(r.flags & platform::kMouseMove)) continue;
      // Back to pixels on the 1920 x 1080 fake desktop.
      const int x = static_cast<int>(std::lround(r.dx * 1919.0 / 65535));
      const int y = static_cast<int>(std::lround(r.dy * 1079.0 / 65535));
      EXPECT_LE((x - c.x) * (x - c.x) + (y - c.y) * (y - c.y), 20 * 20 + 2) << x << "," << y;
      EXPECT_TRUE(x >= 0 && x < 1920 && y >= 0 && y < 1080);
      points.insert({x, y});
    }
    EXPECT_GT(points.size(), 50u);
  }
}

TEST_F(ClickRunTest, RadiusLeavesCursorModeAlone) {
  f.FRadius = 50;
  Interval(1);
  RepeatCount(20);
  f.btnStart.UserClicked();
  p.clock.Advance(100);
  for (const MouseInputRecord& r : p.mouse.sent) EXPECT_FALSE(r.flags & platform::kMouseMove);
  EXPECT_EQ(Clicks(), 20);
}

TEST_F(ClickRunTest, JitterModeChoosesTheDraw) {
  Interval(100);
  f.chkJitter.SetChecked(true);
  f.seJitterMs.SetValue(50);
  f.FJitterMode = 1;
  std::set<unsigned> seen;
  for (int i = 0; i < 400; ++i) {
    f.ScheduleNextClick();
    seen.insert(f.TimerClick.Interval());
  }
  EXPECT_GT(seen.size(), 90u);
  EXPECT_GE(*seen.begin(), 50u);
  EXPECT_LE(*seen.rbegin(), 150u);
}

TEST_F(ClickRunTest, PointerInACornerStopsTheRunWithinOnePoll) {
  struct Case {
    ui::Point corner;
    bool coordinates;  // target at 0, 0: the top left corner is its own
    bool stops;
  };
  for (const Case& c : {Case{{0, 0}, false, true}, Case{{1919, 1079}, false, true},
                        Case{{1918, 1}, false, true}, Case{{0, 0}, true, false},
                        Case{{1919, 0}, true, true}, Case{{3, 0}, false, false}}) {
    f.FCornerStop = true;
    if (c.coordinates) {
      f.rbCoordinates.UserClicked();
      f.edtCoordX.SetValue(0);
      f.edtCoordY.SetValue(0);
    } else {
      f.rbCurrentCursorPosition.UserClicked();
    }
    p.screen.cursor = {500, 400};
    Interval(1);
    f.rbUntilStopped.UserClicked();
    f.btnStart.UserClicked();
    p.clock.Advance(100);
    ASSERT_TRUE(f.FRunning);
    p.screen.cursor = c.corner;
    p.clock.Advance(20);
    EXPECT_EQ(!f.FRunning, c.stops) << c.corner.x << "," << c.corner.y;
    if (c.stops) {
      EXPECT_EQ(f.Label1.Caption(),
                "Stopped: pointer in a screen corner. Clicks done: " + std::to_string(f.FClicksDone));
      EXPECT_FALSE(f.TimerCorner.Enabled());
    } else {
      f.btnStop.UserClicked();
    }
  }
}

TEST_F(ClickRunTest, CornerStopOffOrIdleLooksAtNothing) {
  p.screen.cursor = {0, 0};
  Interval(1);
  f.rbUntilStopped.UserClicked();
  f.btnStart.UserClicked();
  p.clock.Advance(100);
  EXPECT_TRUE(f.FRunning);  // off by default
  EXPECT_FALSE(f.TimerCorner.Enabled());
  f.btnStop.UserClicked();
  f.FCornerStop = true;
  f.UpdateCornerWatch();
  EXPECT_FALSE(f.TimerCorner.Enabled());  // nothing to stop
}

}  // namespace
