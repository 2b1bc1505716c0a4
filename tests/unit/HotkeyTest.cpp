#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>

#include "fakes/TempFolder.h"
#include "app/FrmMain.h"
#include "fakes/FakeServices.h"
#include "hotkeys/HotkeyData.h"
#include "hotkeys/HotkeyText.h"
#include "i18n/Translation.h"
#include "ui/Guard.h"

namespace fs = std::filesystem;

namespace {

TEST(HotkeyText, TextFormOfKeysAndModifiers) {
  std::vector<std::uint32_t> asked;
  auto platformName = [&](std::uint32_t vk) -> std::string {
    asked.push_back(vk);
    return vk == 0xBA ? ";" : "";
  };
  struct Case {
    std::uint32_t vk, mods;
    const char* text;
  } cases[] = {
      {0x53, 6, "Shift+Ctrl+S"},  {0x58, 6, "Shift+Ctrl+X"},   {0x52, 6, "Shift+Ctrl+R"},
      {0x70, 9, "Win+Alt+F1"},    {0x41, 7, "Shift+Ctrl+Alt+A"}, {0x2E, 0, "Del"},
      {0x41, 8, "Win+A"},         {0x41, 15, "Win+Shift+Ctrl+Alt+A"},
      {300, 0, ""},               {300, 8, "Win+"},             {300, 15, "Win+"},
      {0x41, 0x4000 | 0x10 | 2, "Ctrl+A"},  // other bits are ignored
      {0x10041, 4, "Shift+A"},    // only the low 16 bits name the key
      {0x08, 0, "BkSp"},  {0x09, 0, "Tab"},  {0x0D, 0, "Enter"}, {0x1B, 0, "Esc"},
      {0x20, 0, "Space"}, {0x21, 0, "PgUp"}, {0x22, 0, "PgDn"},  {0x23, 0, "End"},
      {0x24, 0, "Home"},  {0x25, 0, "Left"}, {0x26, 0, "Up"},    {0x27, 0, "Right"},
      {0x28, 0, "Down"},  {0x2D, 0, "Ins"},  {0x30, 0, "0"},     {0x39, 2, "Ctrl+9"},
      {0x5A, 1, "Alt+Z"}, {0x87, 0, "F24"},  {0x7B, 4, "Shift+F12"},
      {0xBA, 2, "Ctrl+;"},                   // outside the table: the platform's name
      {0x88, 6, ""},      {0x88, 14, "Win+"},  // the platform has no name for it
      {0xFF, 0, ""},
      // The mouse buttons a hotkey can be, never asked of the platform.
      {0x04, 0, "Middle button"}, {0x05, 2, "Ctrl+Side button 1"}, {0x06, 15, "Win+Shift+Ctrl+Alt+Side button 2"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(hotkeys::HotkeyToText(c.vk, c.mods, platformName), c.text) << c.vk << " " << c.mods;
  // Only keys outside the fixed table and not above 255 are looked up.
  EXPECT_EQ(asked, (std::vector<std::uint32_t>{0xBA, 0x88, 0x88, 0xFF}));

  i18n::LanguageTable() = {{"English", "en", "Side button 2"}, {"Deutsch", "de", "Seitentaste 2"}};
  i18n::CurrentLanguageIndex() = 1;
  i18n::CurrentLanguageCode() = "de";
  EXPECT_EQ(hotkeys::HotkeyToText(0x06, 4, platformName), "Shift+Seitentaste 2");
  i18n::ResetTranslations();
}

// The window in each state of the program, driven by its own operations.
struct HotkeyDispatchTest : ::testing::Test {
  fakes::FakePlatform p;
  fakes::TempFolder temp{"qel-hotkeys"};
  fs::path appData = temp.path;
  std::unique_ptr<TFrmMain> f;

  HotkeyDispatchTest() {
    i18n::ResetTranslations();
    p.env.vars["APPDATA"] = appData.string();
  }
  ~HotkeyDispatchTest() override { f.reset(); }
  void Open() { f = std::make_unique<TFrmMain>(p.services); }
  void AddSelectedMacro() {
    auto m = std::make_shared<TRecordedMacro>();
    m->SetName("m");
    m->SetDurationMs(20);
    m->Events() = {{0, mekMove, 10, 10, -1}, {10, mekDown, 10, 10, 0}, {20, mekUp, 10, 10, 0}};
    f->FMacros.push_back(m);
    f->RefreshMacroListBox();
    f->lbMacroses.SetItemIndex(0);
  }
};

enum class State { Idle, Countdown, Recording, ClickRun, PlaybackDelay };

TEST_F(HotkeyDispatchTest, EachHotkeyInEachState) {
  struct Expect {
    bool running, recording, waiting;
    const char* status;  // nullptr: the status line keeps its text
  };
  struct Case {
    State state;
    int id;
    Expect expect;
  } cases[] = {
      {State::Idle, 1001, {true, false, false, "Started"}},
      {State::Idle, 1002, {false, false, false, nullptr}},
      {State::Idle, 1003, {false, false, false, nullptr}},
      {State::Countdown, 1001, {false, false, true, nullptr}},
      {State::Countdown, 1002, {false, false, true, nullptr}},
      {State::Countdown, 1003, {false, true, false, "Recording macro..."}},
      {State::Recording, 1001, {false, true, false, nullptr}},
      {State::Recording, 1002, {false, false, false, "Macro saved: "}},
      {State::Recording, 1003, {false, true, false, nullptr}},
      {State::ClickRun, 1001, {true, false, false, nullptr}},
      {State::ClickRun, 1002, {false, false, false, "Stopped by hotkey. Clicks done: 42"}},
      {State::ClickRun, 1003, {true, false, false, nullptr}},
      {State::PlaybackDelay, 1001, {true, false, false, nullptr}},
      {State::PlaybackDelay, 1002, {false, false, false, "Stopped by hotkey. Runs done: 0"}},
      {State::PlaybackDelay, 1003, {true, false, false, nullptr}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(static_cast<int>(c.state)) + " / " + std::to_string(c.id));
    Open();
    switch (c.state) {
      case State::Idle: break;
      case State::Countdown:
        f->BeginRecordingCountdown();
        p.clock.Advance(3000);
        break;
      case State::Recording:
        f->BeginRecordingCountdown();
        f->StartRecording();
        break;
      case State::ClickRun:
        f->StartRun();
        p.clock.Advance(4200);
        ASSERT_EQ(f->FClicksDone, 42u);
        break;
      case State::PlaybackDelay:
        f->rbMacros.UserClicked();
        AddSelectedMacro();
        f->seStartDelaySS.SetValue(5);
        f->StartRun();
        p.clock.Advance(1000);
        break;
    }
    const std::string statusBefore = f->Label1.Caption();
    const std::uint64_t clicksBefore = f->FClicksDone;
    const std::size_t inputBefore = p.mouse.sent.size();
    p.hotkeys.Press(c.id);
    EXPECT_EQ(f->FRunning, c.expect.running);
    EXPECT_EQ(f->FRecording, c.expect.recording);
    EXPECT_EQ(f->FWaitingForRecordStart, c.expect.waiting);
    if (!c.expect.status) {
      EXPECT_EQ(f->Label1.Caption(), statusBefore);
      if (c.state != State::Idle) {
        EXPECT_EQ(f->FClicksDone, clicksBefore);  // no second run
      }
    } else {
      EXPECT_EQ(f->Label1.Caption().rfind(c.expect.status, 0), 0u) << f->Label1.Caption();
    }
    if (c.state == State::Recording && c.id == 1002) {
      EXPECT_TRUE(f->Label1.Caption().ends_with(". Recording stopped by hotkey."));
    }
    if ((c.state == State::ClickRun || c.state == State::PlaybackDelay) && !c.expect.running) {
      p.clock.Advance(10000);  // a stopped run sends nothing more
      EXPECT_EQ(p.mouse.sent.size(), inputBefore);
    }
    f.reset();
  }
}

TEST_F(HotkeyDispatchTest, StopDuringPlaybackEndsTheLoopAndCountsPasses) {
  Open();
  f->rbMacros.UserClicked();
  AddSelectedMacro();
  int served = 0;
  p.clock.onProcessMessages = [&] {
    ++served;
    if (served == 5) p.hotkeys.Press(1001);  // Start while playing: refused
    if (served == 8) p.hotkeys.Press(1002);
  };
  f->StartRun();  // playback runs inside this call and serves the queue between events
  p.clock.onProcessMessages = nullptr;
  EXPECT_FALSE(f->FRunning);
  EXPECT_GE(f->FClicksDone, 1u);
  EXPECT_EQ(f->Label1.Caption(), "Stopped by hotkey. Runs done: " + std::to_string(f->FClicksDone));
}

TEST_F(HotkeyDispatchTest, StopTextFollowsTheTargetAtThePress) {
  Open();
  f->StartRun();
  p.clock.Advance(300);
  f->rbMacros.UserClicked();  // the target changes while the click run goes on
  p.hotkeys.Press(1002);
  EXPECT_EQ(f->Label1.Caption(), "Stopped by hotkey. Runs done: 3");
}

TEST_F(HotkeyDispatchTest, StopDuringTheStartDelayEndsTheRunBeforeItsFirstClick) {
  Open();
  f->seStartDelaySS.SetValue(3);
  f->StartRun();
  p.clock.Advance(2000);
  p.hotkeys.Press(1002);
  p.clock.Advance(10000);
  EXPECT_TRUE(p.mouse.sent.empty());
  EXPECT_EQ(f->Label1.Caption(), "Stopped by hotkey. Clicks done: 0");
}

TEST_F(HotkeyDispatchTest, UnknownIdentifierIsDroppedAndStopTextIsTranslated) {
  i18n::LanguageTable() = {{"English", "en", "Stopped by hotkey. Clicks done: "},
                           {"Deutsch", "de", "Per Hotkey gestoppt. Klicks: "}};
  i18n::CurrentLanguageIndex() = 1;
  i18n::CurrentLanguageCode() = "de";
  Open();
  f->StartRun();
  p.clock.Advance(500);
  p.hotkeys.handler(999);
  EXPECT_TRUE(f->FRunning);
  p.hotkeys.Press(1002);
  i18n::ResetTranslations();
  EXPECT_EQ(f->Label1.Caption(), "Per Hotkey gestoppt. Klicks: 5");
}

// The start hotkey's modes, wired into the window: same stop text as the stop hotkey.
TEST_F(HotkeyDispatchTest, ToggleStopsAClickRunAndAPlaybackWithTheStopText) {
  Open();
  f->FHotkeyModes.toggle = true;
  p.hotkeys.Press(1001);
  p.clock.Advance(300);
  p.hotkeys.Press(1001);
  EXPECT_FALSE(f->FRunning);
  EXPECT_EQ(f->Label1.Caption(), "Stopped by hotkey. Clicks done: 3");
  p.hotkeys.Press(1001);  // and starts the next one
  EXPECT_TRUE(f->FRunning);
}

TEST_F(HotkeyDispatchTest, HoldRunsWhileHeldStartDelayIncluded) {
  Open();
  f->FHotkeyModes.hold = true;
  p.hotkeys.Press(1001);
  p.clock.Advance(1000);
  const std::size_t sent = p.mouse.sent.size();
  EXPECT_EQ(f->FClicksDone, 10u);
  p.hotkeys.Release(1001);
  EXPECT_FALSE(f->FRunning);
  EXPECT_EQ(f->Label1.Caption(), "Stopped by hotkey. Clicks done: 10");
  p.clock.Advance(1000);
  EXPECT_EQ(p.mouse.sent.size(), sent);  // nothing after the release

  // Released during the start delay: the run ends before its first click.
  f->seStartDelaySS.SetValue(2);
  p.hotkeys.Press(1001);
  p.clock.Advance(500);
  p.hotkeys.Release(1001);
  p.clock.Advance(5000);
  EXPECT_FALSE(f->FRunning);
  EXPECT_EQ(p.mouse.sent.size(), sent);

  // A run the button started is not ended by a release.
  f->seStartDelaySS.SetValue(0);
  f->btnStartClick();
  p.hotkeys.Release(1001);
  EXPECT_TRUE(f->FRunning);
}

TEST_F(HotkeyDispatchTest, PickCopiesThePointerIntoTheCoordinatesWhenIdleOnly) {
  i18n::LanguageTable() = {{"English", "en", "Point picked: %s, %s"},
                           {"Deutsch", "de", "Punkt gew\u00e4hlt: %s, %s"}};
  i18n::CurrentLanguageIndex() = 1;
  i18n::CurrentLanguageCode() = "de";
  Open();
  EXPECT_EQ(p.hotkeys.registered.count(1004), 0u);  // unset by default: nothing grabbed
  f->FPickHK = {0x75, 0};
  f->RegisterHotkeys();
  p.screen.cursor = {321, 654};
  p.hotkeys.Press(1004);
  EXPECT_EQ(f->edtCoordX.Value(), 321);
  EXPECT_EQ(f->edtCoordY.Value(), 654);
  EXPECT_TRUE(f->rbCoordinates.Checked());
  EXPECT_TRUE(f->edtCoordX.Enabled());
  EXPECT_EQ(f->Label1.Caption(), "Punkt gew\u00e4hlt: 321, 654");
  f->StartRun();
  p.screen.cursor = {1, 2};
  p.hotkeys.Press(1004);  // during a run: nothing
  EXPECT_EQ(f->edtCoordX.Value(), 321);
  i18n::ResetTranslations();
}

TEST_F(HotkeyDispatchTest, NothingActsWhileTheEditorListens) {
  Open();
  f->FHotkeyModes.toggle = true;
  f->FHotkeyEditorListening = true;
  p.hotkeys.Press(1001);
  EXPECT_FALSE(f->FRunning);
}

}  // namespace
