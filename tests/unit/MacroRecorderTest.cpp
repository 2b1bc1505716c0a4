#include "MacroWindowFixture.h"
#include "hotkeys/HotkeyData.h"
#include "macros/MouseHookProc.h"
#include "platform/MouseHook.h"

namespace {

namespace fs = std::filesystem;
using macrotest::Ev;
using Events = std::vector<TMacroMouseEvent>;
using Strings = std::vector<std::string>;

struct MacroRecorderTest : macrotest::MacroWindow {
  std::string Caption() const { return f->Form.Caption(); }
  void Hotkey(int id) { p.hotkeys.Press(id); }
  // Create, then the start-macros hotkey: recording at once, at the current fake time.
  void RecordNow() {
    f->btnCreateMacros.UserClicked();
    Hotkey(hotkeys::kStartMacrosHotkeyId);
    ASSERT_TRUE(f->FRecording);
  }
};

TEST_F(MacroRecorderTest, CountdownBlinksEachSecondAndRecordingStartsWithTheEleventhTick) {
  Open();
  f->btnCreateMacros.UserClicked();
  EXPECT_TRUE(f->FWaitingForRecordStart);
  EXPECT_TRUE(f->FRecUiActive);
  EXPECT_EQ(Caption(), "  Recording starts in 10...");
  const auto& window = *p.widgets.lastWindow;
  for (int n = 10; n >= 1; --n) {
    const int repaints = window.repaintCount;
    p.clock.Advance(1000);
    EXPECT_EQ(Caption(), "  Recording starts in " + std::to_string(n) + " ...");
    EXPECT_EQ(window.repaintCount, repaints + 2);  // blank, then the number
  }
  EXPECT_EQ(p.clock.sleeps, std::vector<std::uint32_t>(10, 100));
  EXPECT_FALSE(f->FRecording);
  EXPECT_EQ(p.hook.installs, 0);

  p.clock.Advance(10999 - p.clock.now);  // Create was at 0
  EXPECT_FALSE(f->FRecording);
  p.clock.Advance(1);  // 11 s after Create
  EXPECT_TRUE(f->FRecording);
  EXPECT_FALSE(f->FWaitingForRecordStart);
  EXPECT_FALSE(f->FCountdownTimer->Enabled());
  EXPECT_EQ(p.hook.installs, 1);
  EXPECT_EQ(f->FRecordedEvents, (Events{Ev(0, mekMove, 500, 400, -1)}));
  EXPECT_EQ(Caption(), "  Recording... Press Shift+Ctrl+X to stop");
  EXPECT_EQ(f->Label1.Caption(), "Recording macro...");
}

TEST_F(MacroRecorderTest, DuringTheCountdownOnlyTheStartMacrosHotkeyActs) {
  Open();
  f->btnCreateMacros.UserClicked();
  p.clock.Advance(3000);
  Hotkey(hotkeys::kStopHotkeyId);
  Hotkey(hotkeys::kStartHotkeyId);
  f->btnCreateMacros.UserClicked();
  EXPECT_TRUE(f->FWaitingForRecordStart);
  EXPECT_FALSE(f->FRunning);
  EXPECT_EQ(f->FCountdownValue, 7);
  EXPECT_EQ(f->Label1.Caption(), "Ready");

  Hotkey(hotkeys::kStartMacrosHotkeyId);
  EXPECT_TRUE(f->FRecording);
  const auto events = f->FRecordedEvents;
  p.clock.Advance(20000);  // the countdown is over for good
  Hotkey(hotkeys::kStartMacrosHotkeyId);
  EXPECT_EQ(f->FRecordedEvents, events);
  EXPECT_EQ(p.hook.installs, 1);
}

TEST_F(MacroRecorderTest, CreateIsIgnoredWhileARunIsActive) {
  Open();
  AddAndSelect({Ev(60000, mekMove, 1, 1, -1)});
  p.clock.onProcessMessages = [&] {
    f->btnCreateMacros.UserClicked();
    Hotkey(hotkeys::kStopHotkeyId);
  };
  f->btnStart.UserClicked();
  EXPECT_FALSE(f->FWaitingForRecordStart);
  EXPECT_FALSE(f->FCountdownTimer->Enabled());
}

TEST_F(MacroRecorderTest, HookEventsBecomeEventsByTheTable) {
  Open();
  RecordNow();
  using namespace platform;
  auto at = [&](std::uint64_t t) { p.clock.now = t; };
  at(5), p.hook.Event(kWmMouseMove, 10, 10);
  at(7), p.hook.Event(kWmMouseMove, 10, 10);  // same place: dropped
  p.hook.Event(kWmLButtonDown, 10, 10);        // at the last move's place: the press alone
  at(20), p.hook.Event(kWmLButtonUp, 10, 10);
  p.hook.Event(kWmMouseWheel, 30, 30);
  p.hook.Event(kWmXButtonDown, 31, 30);
  p.hook.Event(0x020E /* horizontal wheel */, 32, 30);
  p.hook.Event(kWmMouseMove, 40, 40, -1);  // negative nCode: not for us
  at(100), p.hook.Event(kWmRButtonDown, 20, 20);
  p.hook.Event(kWmRButtonUp, 20, 20);
  at(150), p.hook.Event(kWmMButtonDown, 21, 20);
  p.hook.Event(kWmMButtonUp, -5, -7);
  at(160), p.hook.Event(kWmMouseMove, 500, 400);
  EXPECT_EQ(f->FRecordedEvents, (Events{
                                    Ev(0, mekMove, 500, 400, -1),
                                    Ev(5, mekMove, 10, 10, -1),
                                    Ev(7, mekDown, 10, 10, 0),
                                    Ev(20, mekUp, 10, 10, 0),
                                    Ev(100, mekMove, 20, 20, -1),
                                    Ev(100, mekDown, 20, 20, 1),
                                    Ev(100, mekUp, 20, 20, 1),
                                    Ev(150, mekMove, 21, 20, -1),
                                    Ev(150, mekDown, 21, 20, 2),
                                    Ev(150, mekMove, -5, -7, -1),
                                    Ev(150, mekUp, -5, -7, 2),
                                    Ev(160, mekMove, 500, 400, -1),
                                }));
  EXPECT_EQ(f->FLastRecordTick, p.clock.GetTickCount());
}

// Keys and wheel notches are recorded only when their option is on; with both off the
// hook is not even asked for them.
TEST_F(MacroRecorderTest, KeysAndWheelNotchesAreRecordedOnlyWhenAskedFor) {
  using namespace platform;
  struct Case {
    bool keys, wheel;
    Events expected;
  } cases[] = {
      {false, false, {Ev(0, mekMove, 500, 400, -1)}},
      {true, false, {Ev(0, mekMove, 500, 400, -1), Ev(10, mekKeyDown, 0, 0, 'A'), Ev(20, mekKeyUp, 0, 0, 'A'),
                     Ev(25, mekKeyDown, 0, 0, 0x12), Ev(26, mekKeyUp, 0, 0, 0x12)}},
      {false, true, {Ev(0, mekMove, 500, 400, -1), Ev(30, mekMove, 7, 8, -1), Ev(30, mekWheel, 7, 8, 2),
                     Ev(40, mekWheel, 7, 8, -1), Ev(50, mekWheel, 7, 8, 1)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.keys) + std::to_string(c.wheel));
    f.reset();  // the hook reaches the window through the one instance
    Open();
    f->FRecordKeys = c.keys;
    f->FRecordWheel = c.wheel;
    p.clock.now = 0;
    RecordNow();
    EXPECT_EQ(p.hook.keys, c.keys);
    p.clock.now = 10, p.hook.Input(kWmKeyDown, 0, 0, 'A');
    p.clock.now = 20, p.hook.Input(kWmKeyUp, 0, 0, 'A');
    p.clock.now = 25, p.hook.Input(kWmSysKeyDown, 0, 0, 0x12);
    p.clock.now = 26, p.hook.Input(kWmSysKeyUp, 0, 0, 0x12);
    p.hook.Input(kWmKeyDown, 0, 0, 0);    // no key: nothing
    p.hook.Input(kWmKeyDown, 0, 0, 300);  // no key either
    p.clock.now = 30, p.hook.Input(kWmMouseWheel, 7, 8, 240);
    p.clock.now = 40, p.hook.Input(kWmMouseWheel, 7, 8, -120);
    // A fine-grained wheel: three thirds make one notch, at the turn that completes it.
    p.clock.now = 45, p.hook.Input(kWmMouseWheel, 7, 8, 40);
    p.hook.Input(kWmMouseWheel, 7, 8, 40);
    p.clock.now = 50, p.hook.Input(kWmMouseWheel, 7, 8, 40);
    EXPECT_EQ(f->FRecordedEvents, c.expected);
    Hotkey(hotkeys::kStopHotkeyId);
  }
}

// The keys that make the program's hotkeys are never part of a macro, nor are the
// modifiers of the stop hotkey that end it, nor releases of keys pressed before it began;
// the same letter without the hotkey's modifiers is an ordinary key.
TEST_F(MacroRecorderTest, TheProgramsOwnHotkeysAreNeverRecorded) {
  using namespace platform;
  Open();
  f->FRecordKeys = true;
  p.clock.now = 0;
  RecordNow();
  auto key = [&](std::uint64_t t, std::uint32_t message, int vk) {
    p.clock.now = t;
    p.hook.Input(message, 0, 0, vk);
  };
  // The start hotkey's keys, pressed before the recording began, are let go of now.
  key(5, kWmKeyUp, 'R'), key(6, kWmKeyUp, 0x11), key(7, kWmKeyUp, 0x10);
  key(10, kWmKeyDown, 'X'), key(11, kWmKeyUp, 'X');  // X alone: typed
  // Ctrl+Shift+S is the start hotkey: S is left out, the modifiers around it are typed.
  key(20, kWmKeyDown, 0xA2), key(21, kWmKeyDown, 0xA0), key(22, kWmKeyDown, 'S'), key(23, kWmKeyDown, 'S');
  key(24, kWmKeyUp, 'S'), key(25, kWmKeyUp, 0xA0), key(26, kWmKeyUp, 0xA2);
  key(30, kWmKeyDown, 'S'), key(31, kWmKeyUp, 'S');  // S alone: typed
  key(32, kWmKeyDown, 'Q');                           // still down at the stop: left out
  // The stop hotkey: its modifiers go down, X goes down, the recording ends.
  // The stop hotkey: its modifiers go down, X goes down, and all are up again before the
  // hotkey reaches the recorder.
  key(40, kWmKeyDown, 0x11), key(41, kWmKeyDown, 0x10), key(42, kWmKeyDown, 'X');
  key(43, kWmKeyUp, 'X'), key(44, kWmKeyUp, 0x10), key(45, kWmKeyUp, 0x11);
  Hotkey(hotkeys::kStopHotkeyId);
  ASSERT_EQ(f->FMacros.size(), 1u);
  const TRecordedMacro& m = *f->FMacros[0];
  EXPECT_EQ(m.Events(), (Events{Ev(0, mekMove, 500, 400, -1), Ev(10, mekKeyDown, 0, 0, 'X'),
                                Ev(11, mekKeyUp, 0, 0, 'X'), Ev(20, mekKeyDown, 0, 0, 0xA2),
                                Ev(21, mekKeyDown, 0, 0, 0xA0), Ev(25, mekKeyUp, 0, 0, 0xA0),
                                Ev(26, mekKeyUp, 0, 0, 0xA2), Ev(30, mekKeyDown, 0, 0, 'S'),
                                Ev(31, mekKeyUp, 0, 0, 'S')}));
  EXPECT_EQ(m.DurationMs(), 31u);  // the last event kept, not the dropped presses
}

TEST_F(MacroRecorderTest, TheCountdownSaysWhenKeysAreRecorded) {
  Open();
  f->FRecordKeys = true;
  f->btnCreateMacros.UserClicked();
  EXPECT_EQ(Caption(), "  Recording starts in 10... Keys are recorded too.");
  p.clock.Advance(1000);
  EXPECT_EQ(Caption(), "  Recording starts in 10 ... Keys are recorded too.");
}

TEST_F(MacroRecorderTest, TimesSurviveAWrapOfTheTickCounter) {
  p.clock.tickBase = 0xFFFFFFFFu - 4;
  Open();
  RecordNow();
  p.clock.now += 10;
  p.hook.Event(platform::kWmMouseMove, 1, 2);
  EXPECT_EQ(f->FRecordedEvents.back(), Ev(10, mekMove, 1, 2, -1));
  Hotkey(hotkeys::kStopHotkeyId);
  EXPECT_EQ(f->FMacros.at(0)->DurationMs(), 10u);
}

TEST_F(MacroRecorderTest, StopSavesNamesAndSelectsTheMacro) {
  p.env.decimal = ",";
  PutMacro("0.qelmac", "Older");
  Open();
  const std::string normalCaption = Caption();
  RecordNow();
  p.clock.now += 3187;
  p.hook.Event(platform::kWmMouseMove, 700, 380);
  p.clock.now += 2000;  // the stop itself does not count
  Hotkey(hotkeys::kStopHotkeyId);

  const std::string name = "2025-03-07 14.05.09 (3,2s)";
  EXPECT_FALSE(f->FRecording);
  EXPECT_FALSE(f->FRecUiActive);
  EXPECT_EQ(Caption(), normalCaption);
  EXPECT_EQ(p.hook.removes, 1);
  EXPECT_TRUE(f->FRecordedEvents.empty());
  EXPECT_EQ(Lines(), (Strings{"Older", name}));
  EXPECT_EQ(Selected(), 1);
  EXPECT_EQ(f->Label1.Caption(), "Macro saved: " + name + ". Recording stopped by hotkey.");
  EXPECT_EQ(Files(), (Strings{"0.qelmac", "2025-03-07_14.05.09.qelmac"}));
  auto saved = TRecordedMacro::LoadFromFile(PathOf("2025-03-07_14.05.09.qelmac"));
  EXPECT_EQ(saved->Name(), name);
  EXPECT_EQ(saved->DurationMs(), 3187u);
  EXPECT_EQ(saved->Events(), (Events{Ev(0, mekMove, 500, 400, -1), Ev(3187, mekMove, 700, 380, -1)}));
  EXPECT_EQ(f->GetSelectedMacro()->FileName(), PathOf("2025-03-07_14.05.09.qelmac"));

  // Nothing reaches the window after the stop.
  LowLevelMouseProc(0, platform::kWmMouseMove, 1, 1);
  f->HookEvent(0, platform::kWmMouseMove, 1, 1);
  EXPECT_TRUE(f->FRecordedEvents.empty());
}

TEST_F(MacroRecorderTest, RecordingsWithinOneSecondGetNumberedFiles) {
  PutMacro("2025-03-07_14.05.09_2.QELMAC", "taken in another letter case");
  Open();
  for (int i = 0; i < 3; ++i) {
    RecordNow();
    Hotkey(hotkeys::kStopHotkeyId);
  }
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(Files(), (Strings{"2025-03-07_14.05.09.qelmac", "2025-03-07_14.05.09_2.QELMAC",
                              "2025-03-07_14.05.09_3.qelmac", "2025-03-07_14.05.09_4.qelmac"}));
  EXPECT_EQ(Lines().size(), 4u);
  // A still recording: one move, duration 0.
  EXPECT_EQ(Lines().back(), "2025-03-07 14.05.09 (0.0s)");
}

TEST_F(MacroRecorderTest, NothingRecordedSavesNothing) {
  p.screen.cursorOk = false;
  Open();
  RecordNow();
  EXPECT_TRUE(f->FRecordedEvents.empty());
  Hotkey(hotkeys::kStopHotkeyId);
  EXPECT_EQ(f->Label1.Caption(), "Macro recording cancelled or empty.");
  EXPECT_TRUE(Files().empty());
  EXPECT_TRUE(Lines().empty());
  EXPECT_FALSE(f->FRecUiActive);
  EXPECT_TRUE(errors.empty());
}

TEST_F(MacroRecorderTest, ClosingWhileRecordingSavesTheMacro) {
  Open();
  RecordNow();
  f->FormCloseQuery();
  EXPECT_EQ(f->Label1.Caption(),
            "Macro saved: 2025-03-07 14.05.09 (0.0s). Recording stopped because application is closing.");
  EXPECT_EQ(Files(), Strings{"2025-03-07_14.05.09.qelmac"});
}

// Without the mouse hook a recording would be the start position and nothing more,
// saved as if it had worked.
TEST_F(MacroRecorderTest, AHookThatCannotBeInstalledRefusesToRecord) {
  p.hook.failInstall = true;
  Open();
  const std::string normalCaption = Caption();
  f->btnCreateMacros.UserClicked();
  for (int i = 0; i < 11; ++i) p.clock.Advance(1000);  // the countdown runs out
  const std::string why =
      "Recording cannot start: the program cannot watch the mouse on this system (on Linux the X server needs "
      "its RECORD extension). Clicking and playing macros still work.";
  EXPECT_FALSE(f->FRecording);
  EXPECT_FALSE(f->FWaitingForRecordStart);
  EXPECT_FALSE(f->FCountdownTimer->Enabled());
  EXPECT_FALSE(f->FRecUiActive);
  EXPECT_EQ(Caption(), normalCaption);
  EXPECT_EQ(Messages(), Strings{why});
  EXPECT_EQ(p.dialogs.shown[0].kind, ui::MsgKind::Error);
  EXPECT_EQ(f->Label1.Caption(), why);
  // The stop hotkey finds nothing to save, and the program clicks as before.
  Hotkey(hotkeys::kStopHotkeyId);
  EXPECT_TRUE(Files().empty());
  EXPECT_TRUE(Lines().empty());
  EXPECT_EQ(f->Label1.Caption(), why);
  f->rbCurrentCursorPosition.UserClicked();
  f->btnStart.UserClicked();
  EXPECT_TRUE(f->FRunning);
}

struct FailedSave : MacroRecorderTest {
  const std::string name = "2025-03-07 14.05.09 (0.0s)";
  const std::string blocked = PathOf("2025-03-07_14.05.09.qelmac");
  // A folder where the file should go: no file can be written there, whoever runs the test.
  void Block() const { fs::create_directories(blocked + "/inside"); }
  void Unblock() const { fs::remove_all(blocked); }
};

TEST_F(FailedSave, TheRecordingStaysInTheListAndRenameSavesItLater) {
  PutMacro("0.qelmac", "Older");
  Open();
  Block();
  RecordNow();
  p.dialogs.answers.push_back(ui::MsgResult::No);
  Hotkey(hotkeys::kStopHotkeyId);
  EXPECT_TRUE(errors.empty());
  ASSERT_EQ(p.dialogs.shown.size(), 1u);
  const auto& box = p.dialogs.shown[0];
  EXPECT_EQ(box.kind, ui::MsgKind::Error);
  EXPECT_EQ(box.buttons, ui::MsgButtons::YesNo);
  EXPECT_EQ(box.text.rfind("The macro could not be saved: Cannot write file \"" + blocked, 0), 0u) << box.text;
  EXPECT_NE(box.text.find("The recording is not lost: it stays in the macro list as \"" + name + "\""),
            std::string::npos)
      << box.text;
  EXPECT_FALSE(f->FRecording);
  EXPECT_FALSE(f->FRecUiActive);
  EXPECT_EQ(Lines(), (Strings{"Older", name}));
  EXPECT_EQ(Selected(), 1);
  EXPECT_EQ(f->GetSelectedMacro()->FileName(), "");
  EXPECT_EQ(f->Label1.Caption(), "Macro not saved: " + name + ". Rename saves it.");

  // It plays like any other macro.
  f->rbRepeatCount.UserClicked();
  f->seRepeat.SetValue(1);
  f->btnStart.UserClicked();
  EXPECT_EQ(f->Label1.Caption(), "Completed macro repeat count. Runs done: 1");
  EXPECT_EQ(p.mouse.sent.size(), 1u);

  // Once the cause is gone, Rename writes it, under its own name too.
  Unblock();
  p.dialogs.inputAnswers.push_back({true, name});
  f->bRename.UserClicked();
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(Files(), (Strings{"0.qelmac", name + ".qelmac"}));
  EXPECT_EQ(TRecordedMacro::LoadFromFile(PathOf(name + ".qelmac"))->Events(), (Events{Ev(0, mekMove, 500, 400, -1)}));
  EXPECT_EQ(f->GetSelectedMacro()->FileName(), PathOf(name + ".qelmac"));
  EXPECT_EQ(f->Label1.Caption(), "Macro renamed.");
}

TEST_F(FailedSave, YesTriesAgainUntilTheFileIsWritten) {
  Open();
  Block();
  RecordNow();
  int asked = 0;
  p.dialogs.whileOpen = [&] {
    if (++asked == 2) Unblock();  // the user frees the folder while the second box is open
  };
  Hotkey(hotkeys::kStopHotkeyId);
  EXPECT_EQ(asked, 2);
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(Files(), Strings{"2025-03-07_14.05.09.qelmac"});
  EXPECT_EQ(Lines(), Strings{name});
  EXPECT_EQ(f->GetSelectedMacro()->FileName(), blocked);
  EXPECT_EQ(f->Label1.Caption(), "Macro saved: " + name + ". Recording stopped by hotkey.");
}

TEST_F(FailedSave, AtCloseTheQuestionSaysThatNoMeansLosingIt) {
  Open();
  Block();
  RecordNow();
  p.dialogs.answers.push_back(ui::MsgResult::No);
  f->FormCloseQuery();
  ASSERT_EQ(p.dialogs.shown.size(), 1u);
  EXPECT_NE(p.dialogs.shown[0].text.find("If the program ends now, the recording is lost."), std::string::npos)
      << p.dialogs.shown[0].text;
  EXPECT_TRUE(errors.empty());
}

TEST_F(MacroRecorderTest, TheHookFindsNoWindowOnceItIsGone) {
  Open();
  RecordNow();
  f->FormDestroy();  // the recording flag stays; only the window reference stops events
  EXPECT_EQ(TFrmMain::Instance(), nullptr);
  ASSERT_TRUE(f->FRecording);
  LowLevelMouseProc(0, platform::kWmMouseMove, 9, 9);
  EXPECT_TRUE(f->FRecordedEvents.empty());
}

}  // namespace
