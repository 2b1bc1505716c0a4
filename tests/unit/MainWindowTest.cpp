#include <gtest/gtest.h>

#include "app/FrmMain.h"
#include "fakes/FakeServices.h"
#include "i18n/Translation.h"

namespace {

struct MainWindowTest : ::testing::Test {
  MainWindowTest() { i18n::ResetTranslations(); }
  fakes::FakePlatform p;
  TFrmMain f{p.services};
  fakes::FakeWindowPeer& win() { return p.widgets.PeerOf<fakes::FakeWindowPeer>(f.Form); }
};

TEST_F(MainWindowTest, FirstStartShowsTheStartUpValues) {
  EXPECT_EQ(f.Form.Caption(), "  QEL Auto Clicker 2.4");
  EXPECT_EQ(f.GetIntervalMs(), 100);
  EXPECT_EQ(f.seHours.Text(), "0");
  EXPECT_EQ(f.seMillis.Text(), "100");
  EXPECT_TRUE(f.rbUntilStopped.Checked());
  EXPECT_EQ(f.seRepeat.Value(), 100);
  EXPECT_FALSE(f.seRepeat.Enabled());
  EXPECT_EQ(f.cbButton.ItemIndex(), 0);
  EXPECT_EQ(f.cbClickType.ItemIndex(), 0);
  EXPECT_EQ(f.seHoldMs.Value(), 80);
  EXPECT_FALSE(f.seHoldMs.Enabled());
  EXPECT_FALSE(f.chkTopMost.Checked());
  EXPECT_FALSE(f.chkMinimizeToTrayOnStart.Checked());
  EXPECT_TRUE(f.rbCurrentCursorPosition.Checked());
  EXPECT_FALSE(f.edtCoordX.Enabled());
  EXPECT_FALSE(f.lbMacroses.Enabled());
  EXPECT_FALSE(f.btnStop.Enabled());
  EXPECT_EQ(f.Label1.Caption(), "Ready");
  EXPECT_EQ(f.lblHotkeys.Caption(), "Hotkeys \u2014 Start: Shift+Ctrl+S  |  Stop: Shift+Ctrl+X");
  EXPECT_EQ(f.Label2.Caption(), "https://qel-autoclicker.app");
  EXPECT_TRUE(p.widgets.tray->visible);
  EXPECT_EQ(p.widgets.tray->hint, "QEL Auto Clicker");
  EXPECT_EQ(TFrmMain::Instance(), &f);
}

// Enabled state of the mode-dependent controls, per target mode and dependent choices.
TEST_F(MainWindowTest, EnablingRulesOfTheThreeTargets) {
  struct Case {
    ui::RadioButton* target;
    bool jitter;
    int clickType;
    bool interval, jitterField, hold, coords, macros;
  } cases[] = {
      {&f.rbCurrentCursorPosition, false, 0, true, false, false, false, false},
      {&f.rbCoordinates, true, 2, true, true, true, true, false},
      {&f.rbMacros, true, 2, false, false, false, false, true},
      {&f.rbCurrentCursorPosition, true, 2, true, true, true, false, false},
      {&f.rbCoordinates, false, 1, true, false, false, true, false},
  };
  for (const Case& c : cases) {
    f.chkJitter.SetChecked(c.jitter);
    f.cbClickType.UserSelected(c.clickType);
    c.target->UserClicked();
    const std::string what = c.target->Caption();
    EXPECT_EQ(f.grpInterval.Enabled(), c.interval) << what;
    EXPECT_EQ(f.seMillis.Enabled(), c.interval) << what;
    EXPECT_EQ(f.cbClickType.Enabled(), c.interval) << what;
    EXPECT_EQ(f.seJitterMs.Enabled(), c.jitterField) << what;
    EXPECT_EQ(f.seHoldMs.Enabled(), c.hold) << what;
    EXPECT_EQ(f.lblHold.Enabled(), c.hold) << what;
    EXPECT_EQ(f.edtCoordX.Enabled(), c.coords) << what;
    EXPECT_EQ(f.Label3.Enabled(), c.coords) << what;
    EXPECT_EQ(f.lbMacroses.Enabled(), c.macros) << what;
    EXPECT_EQ(f.btnCreateMacros.Enabled(), c.macros) << what;
    EXPECT_TRUE(f.grpDelay.Enabled() && f.grpClicks.Enabled() && f.btnStart.Enabled()) << what;
  }
  f.rbRepeatCount.UserClicked();
  EXPECT_TRUE(f.seRepeat.Enabled());
  f.rbUntilStopped.UserClicked();
  EXPECT_FALSE(f.seRepeat.Enabled());
}

TEST_F(MainWindowTest, CompactWindowSizeAndPlace) {
  struct Case {
    int savedWidth, expectedWidth;
  } cases[] = {{600, 300}, {399, 200}, {1001, 500}};
  for (const Case& c : cases) {
    win().outer = {50, 60, c.savedWidth, 700};
    const int activations = win().bringToFrontCount;
    const int shownQuietly = win().showWithoutFocusCount;
    f.EnterRecUi("Running");
    // The keyboard stays with the window the user works in: the caption is only raised.
    EXPECT_EQ(win().bringToFrontCount, activations);
    EXPECT_EQ(win().showWithoutFocusCount, shownQuietly + 1);
    EXPECT_TRUE(f.Form.Visible());
    const ui::Rect r = win().outer;
    EXPECT_EQ(r.width, c.expectedWidth);
    EXPECT_EQ(r.height, 23 + 2 * 4);  // caption + two sizing frames, whatever the saved height
    EXPECT_EQ(r.left, 1920 - c.expectedWidth - 16);
    EXPECT_EQ(r.top, 1040 - r.height - 16);
    EXPECT_TRUE(win().topMost);
    EXPECT_FALSE(f.Panel1.Visible());
    EXPECT_EQ(f.Form.Caption(), "  Running");
    f.LeaveRecUi();
  }
}

TEST_F(MainWindowTest, CompactWindowEnteredTwiceRestoresTheFirstSavedState) {
  f.chkTopMost.SetChecked(true);
  win().outer = {50, 60, 585, 624};
  f.EnterRecUi("first");
  f.chkTopMost.SetChecked(false);  // what the compact window shows does not matter
  f.EnterRecUi("second");
  EXPECT_EQ(f.Form.Caption(), "  second");
  f.SetRecUiText("");
  EXPECT_EQ(f.Form.Caption(), "  ");
  f.LeaveRecUi();
  EXPECT_EQ(win().outer, (ui::Rect{50, 60, 585, 624}));
  EXPECT_EQ(f.Form.Caption(), "  QEL Auto Clicker 2.4");
  EXPECT_TRUE(f.chkTopMost.Checked());
  EXPECT_TRUE(win().topMost);
  EXPECT_TRUE(f.Panel1.Visible());
  EXPECT_FALSE(f.FRecUiActive);
  f.LeaveRecUi();  // not active: nothing
  f.SetRecUiText("ignored");
  EXPECT_EQ(f.Form.Caption(), "  QEL Auto Clicker 2.4");
}

TEST_F(MainWindowTest, WindowOptionsExcludeEachOther) {
  f.chkTopMost.UserToggled(true);
  EXPECT_TRUE(win().topMost);
  f.chkMinimizeToTrayOnStart.UserToggled(true);
  EXPECT_FALSE(f.chkTopMost.Checked());
  EXPECT_FALSE(win().topMost);
  f.chkTopMost.UserToggled(true);
  EXPECT_FALSE(f.chkMinimizeToTrayOnStart.Checked());
  EXPECT_TRUE(win().topMost);
}

TEST_F(MainWindowTest, AboutBoxLinkAndTray) {
  p.clock.localTime.year = 2031;
  f.Button1.UserClicked();
  ASSERT_EQ(p.dialogs.shown.size(), 1u);
  const std::string& t = p.dialogs.shown[0].text;
  EXPECT_EQ(t.rfind("QEL Auto Clicker\r\nVersion: 2.4\r\n\r\nWebsite: qel-autoclicker.app\r\n\r\n", 0), 0u);
  EXPECT_NE(t.find("2031"), std::string::npos);
  EXPECT_EQ(p.dialogs.shown[0].kind, ui::MsgKind::Information);

  f.Label2.UserClicked();
  ASSERT_EQ(p.shell.opened.size(), 1u);
  EXPECT_EQ(p.shell.opened[0], (std::pair<std::string, std::string>{"https://qel-autoclicker.app", "open"}));
  f.Label2.UserEntered();
  EXPECT_TRUE(f.Label2.Underline());
  f.Label2.UserLeft();
  EXPECT_FALSE(f.Label2.Underline());

  f.HideToTray();
  EXPECT_FALSE(f.Form.Visible());
  p.widgets.tray->visible = true;
  f.TrayIcon1.UserClicked();
  EXPECT_TRUE(f.Form.Visible());
  EXPECT_GE(win().bringToFrontCount, 1);
}

TEST_F(MainWindowTest, ClosingDuringARunStopsItWithClosing) {
  f.btnStart.UserClicked();
  ASSERT_TRUE(f.FRunning);
  f.Form.UserClosing();
  EXPECT_FALSE(f.FRunning);
  EXPECT_EQ(f.Label1.Caption(), "Closing");
  EXPECT_FALSE(f.FRecUiActive);
}

TEST_F(MainWindowTest, DestructionClearsTheReferenceAndUnregisters) {
  f.FormDestroy();
  EXPECT_EQ(TFrmMain::Instance(), nullptr);
  EXPECT_TRUE(p.hotkeys.registered.empty());
}

}  // namespace
