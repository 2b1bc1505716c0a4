#include <algorithm>
#include <stdexcept>

#include "MacroWindowFixture.h"
#include "clicker/AbsoluteCoord.h"
#include "hotkeys/HotkeyData.h"

namespace {

using macrotest::Ev;
using platform::MouseInputRecord;
using Strings = std::vector<std::string>;

constexpr std::uint32_t kMove = platform::kMouseMove | platform::kMouseVirtualDesk | platform::kMouseAbsolute;

// What was sent, as (time, flags) pairs, times relative to `origin`.
struct Sent {
  std::int64_t at;
  std::uint32_t flags;
  bool operator==(const Sent&) const = default;
};

struct MacroPlaybackTest : macrotest::MacroWindow {
  MacroPlaybackTest() { Open(); }
  void RepeatCount(int n) {
    f->rbRepeatCount.UserClicked();
    f->seRepeat.SetValue(n);
  }
  std::vector<Sent> SentSince(std::uint64_t origin) const {
    std::vector<Sent> out;
    for (size_t i = 0; i < p.mouse.sent.size(); ++i)
      out.push_back({static_cast<std::int64_t>(p.mouse.sentAt[i]) - static_cast<std::int64_t>(origin),
                     p.mouse.sent[i].flags});
    return out;
  }
  std::vector<std::uint64_t> servings;  // fake time of every serving of the queue
  // The "user" acts while playback serves the queue; each serving is logged.
  void WhileServing(std::function<void()> act) {
    p.clock.onProcessMessages = [this, act] {
      servings.push_back(p.clock.now);
      if (act) act();
    };
  }
};

TEST_F(MacroPlaybackTest, OnePassSendsEveryEventAtItsOffsetMovingBeforeEachButton) {
  AddAndSelect({Ev(0, mekMove, 0, 0, -1), Ev(100, mekDown, 1919, 1079, 0), Ev(100, mekUp, 1919, 1079, 0),
                Ev(150, 7, 5, 5, -1), Ev(1500, mekMove, 10, 10, -1), Ev(10000, mekDown, 10, 10, 1),
                Ev(10001, mekUp, 10, 10, 1), Ev(10002, mekDown, 10, 10, 5)});
  RepeatCount(1);
  p.clock.now = 777;
  f->btnStart.UserClicked();
  using namespace platform;
  EXPECT_EQ(SentSince(777), (std::vector<Sent>{{0, kMove},
                                               {100, kMove},
                                               {100, kMouseLeftDown},
                                               {100, kMove},
                                               {100, kMouseLeftUp},
                                               // kind 7 at 150: its wait, nothing sent
                                               {1500, kMove},
                                               {10000, kMove},
                                               {10000, kMouseRightDown},
                                               {10001, kMove},
                                               {10001, kMouseRightUp},
                                               {10002, kMove},
                                               {10002, 0}}));  // button 5 presses nothing
  EXPECT_EQ(p.mouse.sent[1], (MouseInputRecord{65535, 65535, kMove}));
  EXPECT_EQ(f->Label1.Caption(), "Completed macro repeat count. Runs done: 1");
  EXPECT_FALSE(f->FRunning);
  EXPECT_TRUE(f->btnStart.Enabled());
  // Long waits are cut into slices of at most 50 ms.
  EXPECT_LE(*std::max_element(p.clock.sleeps.begin(), p.clock.sleeps.end()), 50u);
}

// Keys are typed at their offsets without touching the pointer; a wheel step moves to its
// point first and turns by whole notches. Codes that are no key are waited for only.
TEST_F(MacroPlaybackTest, KeysAndWheelStepsAreSentAtTheirOffsets) {
  using platform::KeyInputRecord;
  AddAndSelect({Ev(0, mekKeyDown, 0, 0, 'A'), Ev(30, mekKeyUp, 0, 0, 'A'), Ev(50, mekKeyDown, 0, 0, 0),
                Ev(60, mekKeyDown, 0, 0, 256), Ev(100, mekWheel, 1919, 1079, 3),
                Ev(200, mekWheel, 0, 0, -2), Ev(250, mekWheel, 0, 0, 0),
                Ev(300, mekWheel, 0, 0, 2147483647)});
  RepeatCount(1);
  p.clock.now = 1000;
  f->btnStart.UserClicked();
  EXPECT_EQ(p.mouse.keys, (std::vector<KeyInputRecord>{{'A', true}, {'A', false}}));
  EXPECT_EQ(p.mouse.keysAt, (std::vector<std::uint64_t>{1000, 1030}));
  using namespace platform;
  EXPECT_EQ(SentSince(1000), (std::vector<Sent>{{100, kMove},
                                                {100, kMouseWheel},
                                                {200, kMove},
                                                {200, kMouseWheel},
                                                {250, kMove},  // no notches: nothing turns
                                                {300, kMove},
                                                {300, kMouseWheel}}));
  EXPECT_EQ(p.mouse.sent[0], (MouseInputRecord{65535, 65535, kMove}));
  EXPECT_EQ(p.mouse.sent[1].wheel, 360);
  EXPECT_EQ(p.mouse.sent[3].wheel, -240);
  // A hand-written count far beyond one record still scrolls forwards, as far as it can.
  EXPECT_EQ(p.mouse.sent[6].wheel, 2147483647 / 120 * 120);
}

// A stop lets go of the keys playback holds, as of its buttons, and of nothing it released.
TEST_F(MacroPlaybackTest, AStopReleasesTheKeysPlaybackHolds) {
  using platform::KeyInputRecord;
  AddAndSelect({Ev(0, mekKeyDown, 0, 0, 0x10), Ev(0, mekKeyDown, 0, 0, 'B'), Ev(10, mekKeyUp, 0, 0, 'B'),
                Ev(20, mekKeyDown, 0, 0, 'C'), Ev(20, mekDown, 5, 5, 0), Ev(5000, mekKeyUp, 0, 0, 'C')});
  RepeatCount(1);
  WhileServing([&] {
    if (p.clock.now >= 1000 && f->FRunning) f->btnStop.UserClicked();
  });
  f->btnStart.UserClicked();
  EXPECT_EQ(p.mouse.keys, (std::vector<KeyInputRecord>{
                              {0x10, true}, {'B', true}, {'B', false}, {'C', true}, {0x10, false}, {'C', false}}));
  EXPECT_GE(p.mouse.keysAt.back(), 1000u);
  EXPECT_EQ(p.mouse.sent.back().flags, platform::kMouseLeftUp);
}

TEST_F(MacroPlaybackTest, EventsKeepTheRecordedScheduleWhenSendingAndServingTakeTime) {
  std::vector<TMacroMouseEvent> events;
  for (std::uint32_t t = 0; t <= 1000; t += 10) events.push_back(Ev(t, mekMove, 1, 1, -1));
  events.push_back(Ev(11000, mekMove, 2, 2, -1));  // a long, sliced wait
  events.push_back(Ev(10500, mekMove, 3, 3, -1));  // an earlier stamp: no wait, no jump back
  events.push_back(Ev(10600, mekMove, 4, 4, -1));  // 100 ms after the one before
  AddAndSelect(events);
  RepeatCount(2);
  WhileServing([this] { p.clock.now += 1; });  // every serving costs a millisecond
  f->btnStart.UserClicked();
  ASSERT_EQ(p.mouse.sentAt.size(), 2 * events.size());
  for (size_t pass = 0; pass < 2; ++pass) {
    const std::uint64_t start = p.mouse.sentAt[pass * events.size()] - 1;  // its serving
    // Each event is due its stamp's rise over the previous event after that one was due.
    std::uint64_t scheduled = 0;
    for (size_t i = 0; i < events.size(); ++i) {
      if (i > 0 && events[i].DeltaMs > events[i - 1].DeltaMs) scheduled += events[i].DeltaMs - events[i - 1].DeltaMs;
      const std::uint64_t at = p.mouse.sentAt[pass * events.size() + i];
      EXPECT_GE(at, start + scheduled) << pass << " " << i;
      EXPECT_LE(at, start + scheduled + 1) << pass << " " << i;
    }
  }
}

TEST_F(MacroPlaybackTest, AStallIsNotCaughtUpWithABurst) {
  AddAndSelect({Ev(0, mekMove, 1, 1, -1), Ev(40, mekMove, 2, 2, -1), Ev(80, mekMove, 3, 3, -1),
                Ev(120, mekMove, 4, 4, -1)});
  RepeatCount(1);
  WhileServing([this] {
    if (servings.size() == 3) p.clock.now += 500;  // a dialog kept the queue busy
  });
  f->btnStart.UserClicked();
  // The third event comes late; the fourth keeps its 40 ms gap after it.
  EXPECT_EQ(p.mouse.sentAt, (std::vector<std::uint64_t>{0, 40, 540, 580}));
}

TEST_F(MacroPlaybackTest, RepeatCountThreeRunsThreePassesBackToBack) {
  AddAndSelect({Ev(0, mekMove, 1, 1, -1), Ev(2000, mekMove, 2, 2, -1)});
  RepeatCount(3);
  f->btnStart.UserClicked();
  std::vector<std::uint64_t> moves(p.mouse.sentAt.begin(), p.mouse.sentAt.end());
  EXPECT_EQ(moves, (std::vector<std::uint64_t>{0, 2000, 2000, 4000, 4000, 6000}));
  EXPECT_EQ(f->Label1.Caption(), "Completed macro repeat count. Runs done: 3");
  EXPECT_EQ(f->FClicksDone, 3u);
}

TEST_F(MacroPlaybackTest, UntilStoppedRunsUntilTheStopHotkeyAndCountsOnlyWholePasses) {
  AddAndSelect({Ev(0, mekMove, 1, 1, -1), Ev(1000, mekMove, 2, 2, -1)});
  std::uint64_t stopAt = 0;
  WhileServing([&] {
    if (stopAt == 0 && p.clock.now >= 3520) {
      stopAt = p.clock.now;
      p.hotkeys.Press(hotkeys::kStopHotkeyId);
    }
  });
  f->btnStart.UserClicked();
  EXPECT_EQ(f->Label1.Caption(), "Stopped by hotkey. Runs done: 3");
  EXPECT_FALSE(f->FRunning);
  EXPECT_EQ(p.mouse.sent.size(), 7u);  // three passes and the first move of the fourth
  EXPECT_LE(p.mouse.sentAt.back(), stopAt);
  EXPECT_EQ(p.clock.now, stopAt);  // nothing more was waited for
  // Within a wait the queue is served at least every 50 ms, so a stop is seen in time.
  for (size_t i = 1; i < servings.size(); ++i) EXPECT_LE(servings[i] - servings[i - 1], 50u) << i;
}

TEST_F(MacroPlaybackTest, AStopDuringALongWaitSendsOnlyTheReleaseOfTheHeldButton) {
  AddAndSelect({Ev(0, mekDown, 5, 5, 0), Ev(5000, mekUp, 5, 5, 0)});
  RepeatCount(10);
  WhileServing([&] {
    if (p.clock.now >= 1000 && f->FRunning) f->btnStop.UserClicked();
  });
  f->btnStart.UserClicked();
  EXPECT_EQ(f->Label1.Caption(), "Stopped by button. Runs done: 0");
  // The played release never comes; the button is let go where the pointer is, at once.
  ASSERT_EQ(p.mouse.sent.size(), 3u);
  EXPECT_EQ(SentSince(0)[0], (Sent{0, kMove}));
  EXPECT_EQ(SentSince(0)[1], (Sent{0, platform::kMouseLeftDown}));
  EXPECT_EQ(p.mouse.sent[2].flags, platform::kMouseLeftUp);
  EXPECT_GE(p.mouse.sentAt[2], 1000u);
  EXPECT_LE(p.clock.now, 1050u);
}

// However playback ends early, every button it pressed and has not released is released,
// once, and nothing else is sent. A pass that completes keeps what the macro recorded.
TEST_F(MacroPlaybackTest, EveryWayOfEndingEarlyReleasesWhatPlaybackHolds) {
  using platform::kMouseLeftUp, platform::kMouseRightUp, platform::kMouseMiddleUp;
  // Left pressed and released; right and middle still held when the long wait begins.
  const std::vector<TMacroMouseEvent> held = {Ev(0, mekDown, 5, 5, 0),  Ev(10, mekDown, 5, 5, 1),
                                              Ev(20, mekUp, 5, 5, 0),   Ev(30, mekDown, 5, 5, 2),
                                              Ev(30, mekDown, 5, 5, 7), Ev(5000, mekUp, 5, 5, 1),
                                              Ev(5000, mekUp, 5, 5, 2)};
  // Ends each pass with the left button down, as a recording stopped during a drag does.
  const std::vector<TMacroMouseEvent> endsHeld = {Ev(0, mekDown, 5, 5, 0), Ev(100, mekMove, 6, 6, -1)};
  enum How { kHotkey, kButton, kClose, kError, kNone };
  struct Case {
    const char* what;
    std::vector<TMacroMouseEvent> events;
    int repeat;  // 0: until stopped
    How how;
    std::vector<std::uint32_t> after;  // what is sent once the stop came (or last)
  } cases[] = {
      {"stop hotkey", held, 3, kHotkey, {kMouseRightUp, kMouseMiddleUp}},
      {"Stop button", held, 3, kButton, {kMouseRightUp, kMouseMiddleUp}},
      {"window closed", held, 3, kClose, {kMouseRightUp, kMouseMiddleUp}},
      {"an error", held, 3, kError, {kMouseRightUp, kMouseMiddleUp}},
      {"held across passes", endsHeld, 0, kHotkey, {kMouseLeftUp}},
      {"count reached: the last pass ends as recorded", endsHeld, 2, kNone, {kMove}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    p.mouse.sent.clear();
    p.mouse.sentAt.clear();
    errors.clear();
    AddAndSelect(c.events);
    if (c.repeat > 0)
      RepeatCount(c.repeat);
    else
      f->rbUntilStopped.UserClicked();
    const std::uint64_t stopAt = p.clock.now + 1030;
    size_t sentBeforeStop = 0;
    bool stopped = false;
    WhileServing([&] {
      if (stopped || c.how == kNone || p.clock.now < stopAt) return;
      stopped = true;
      sentBeforeStop = p.mouse.sent.size();
      switch (c.how) {
        case kHotkey: p.hotkeys.Press(hotkeys::kStopHotkeyId); break;
        case kButton: f->btnStop.UserClicked(); break;
        case kClose: f->FormCloseQuery(); break;
        case kError: throw std::runtime_error("lost the display");
        case kNone: break;
      }
    });
    f->btnStart.UserClicked();
    WhileServing(nullptr);
    if (c.how == kError) {
      EXPECT_EQ(errors, Strings{"lost the display"});
      f->StopRun("after the error");
    }
    EXPECT_FALSE(f->FRunning);
    if (c.how == kNone) sentBeforeStop = p.mouse.sent.size() - 1;  // the last event sent
    std::vector<std::uint32_t> after;
    for (size_t i = sentBeforeStop; i < p.mouse.sent.size(); ++i) after.push_back(p.mouse.sent[i].flags);
    EXPECT_EQ(after, c.after);
  }
}

TEST_F(MacroPlaybackTest, RenameRemoveAndReselectDuringPlaybackLeaveThePlayedMacroAlone) {
  PutMacro("a.qelmac", "A", {Ev(0, mekMove, 100, 100, -1), Ev(500, mekMove, 200, 200, -1)});
  PutMacro("b.qelmac", "B", {Ev(0, mekMove, 900, 900, -1)});
  f->FillMacroList();
  f->lbMacroses.UserSelected(0);
  const MacroPtr played = f->GetSelectedMacro();
  RepeatCount(2);
  bool acted = false;
  WhileServing([&] {
    if (acted) return;
    acted = true;
    p.dialogs.inputAnswers.push_back({true, "Renamed"});
    f->bRename.UserClicked();
    f->bRemove.UserClicked();  // the renamed macro, confirmed with Yes
    f->lbMacroses.UserSelected(0);  // now B
  });
  f->btnStart.UserClicked();
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(Lines(), Strings{"B"});
  EXPECT_EQ(Files(), Strings{"b.qelmac"});
  EXPECT_EQ(played->Name(), "A");  // the object being played was never touched
  EXPECT_EQ(f->Label1.Caption(), "Completed macro repeat count. Runs done: 2");
  const ui::Rect desk = p.screen.VirtualDesktop();
  ASSERT_EQ(p.mouse.sent.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    const int x = i % 2 == 0 ? 100 : 200;
    EXPECT_EQ(p.mouse.sent[i].dx, clicker::ToAbsoluteCoord(x, desk.left, desk.width)) << i;
  }
}

TEST_F(MacroPlaybackTest, SelectionLostDuringTheStartDelayEndsTheRun) {
  AddAndSelect({Ev(0, mekMove, 1, 1, -1)});
  f->seStartDelaySS.SetValue(1);
  f->btnStart.UserClicked();
  f->lbMacroses.UserSelected(-1);
  p.clock.Advance(1000);
  EXPECT_EQ(f->Label1.Caption(), "No macro selected.");
  EXPECT_FALSE(f->FRunning);
  EXPECT_TRUE(p.mouse.sent.empty());
}

TEST_F(MacroPlaybackTest, HiddenAgainWhenTheWindowCameBackDuringTheStartDelay) {
  AddAndSelect({Ev(0, mekMove, 1, 1, -1), Ev(40, mekMove, 2, 2, -1)});
  RepeatCount(1);
  f->chkMinimizeToTrayOnStart.SetChecked(true);
  f->seStartDelaySS.SetValue(1);
  f->btnStart.UserClicked();
  EXPECT_FALSE(f->Form.Visible());
  f->TrayIcon1.UserClicked();  // the user brings it back during the delay
  ASSERT_TRUE(f->Form.Visible());
  bool hiddenWhilePlaying = true;
  WhileServing([&] { hiddenWhilePlaying = hiddenWhilePlaying && !f->Form.Visible() && f->FHiddenForMacroPlayback; });
  p.clock.Advance(1000);
  EXPECT_TRUE(hiddenWhilePlaying);
  EXPECT_EQ(p.clock.sleeps.front(), 250u);
  EXPECT_EQ(p.mouse.sentAt.front(), 1250u);  // after the delay and the pause for hiding
  EXPECT_TRUE(f->Form.Visible());
  EXPECT_FALSE(f->FHiddenForMacroPlayback);
  EXPECT_EQ(f->Label1.Caption(), "Completed macro repeat count. Runs done: 1");
}

TEST_F(MacroPlaybackTest, EndingTextsForEmptyMacrosAndAChangedRepeatOption) {
  AddAndSelect({});
  RepeatCount(5);
  f->btnStart.UserClicked();
  EXPECT_EQ(f->Label1.Caption(), "Completed macro repeat count. Runs done: 5");

  // The pass count is read at the start; the ending text looks at the option at the end.
  AddAndSelect({Ev(0, mekMove, 1, 1, -1), Ev(100, mekMove, 2, 2, -1)});
  RepeatCount(2);
  WhileServing([&] { f->rbUntilStopped.UserClicked(); });
  f->btnStart.UserClicked();
  EXPECT_EQ(f->Label1.Caption(), "Macro playback stopped. Runs done: 2");
  EXPECT_TRUE(p.dialogs.shown.empty());
}

}  // namespace

namespace {

TEST_F(MacroPlaybackTest, SpeedScalesEveryWaitOfThePass) {
  struct Case {
    int speed;
    std::vector<std::int64_t> at;
  };
  for (const Case& c : {Case{200, {0, 50, 500, 1000}}, Case{50, {0, 200, 2000, 4000}},
                        Case{400, {0, 25, 250, 500}}}) {
    p.mouse.sent.clear();
    p.mouse.sentAt.clear();
    f->FSpeed = c.speed;
    AddAndSelect({Ev(0, mekMove, 0, 0, -1), Ev(100, mekMove, 1, 1, -1), Ev(1000, mekMove, 2, 2, -1),
                  Ev(2000, mekMove, 3, 3, -1)});
    RepeatCount(1);
    const std::uint64_t start = p.clock.now;
    f->btnStart.UserClicked();
    std::vector<std::int64_t> at;
    for (const Sent& s : SentSince(start)) at.push_back(s.at);
    EXPECT_EQ(at, c.at) << "speed " << c.speed;
  }
}

}  // namespace
