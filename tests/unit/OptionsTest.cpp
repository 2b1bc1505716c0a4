// The options dialog, the tray icon's menu and picking the target with the mouse, driven
// through the main window as a user drives them.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "app/FrmMain.h"
#include "app/OptionsDialog.h"
#include "clicker/PointPick.h"
#include "fakes/FakeServices.h"
#include "fakes/TempFolder.h"
#include "hotkeys/HotkeyData.h"
#include "i18n/Translation.h"

namespace {

using platform::PickInputKind;

// ---- the pick's rule, with plain numbers ----

TEST(PointPickTest, ThePrimaryButtonPicksTheOthersGiveUp) {
  const geometry::Rect desk{-1280, 0, 3200, 1080};  // a monitor left of the primary one
  struct Case {
    PickInputKind kind;
    int x, y;
    clicker::PointPick::Step step;
    geometry::Point picked;
  } cases[] = {
      {PickInputKind::PrimaryDown, 640, 480, clicker::PointPick::Step::Picked, {640, 480}},
      {PickInputKind::PrimaryDown, -1280, 1079, clicker::PointPick::Step::Picked, {-1280, 1079}},
      // A point reported past the edge (a pointer the system has not yet held in) is held in.
      {PickInputKind::PrimaryDown, 5000, -3, clicker::PointPick::Step::Picked, {1919, 0}},
      {PickInputKind::SecondaryDown, 10, 10, clicker::PointPick::Step::Cancelled, {}},
      {PickInputKind::Escape, 0, 0, clicker::PointPick::Step::Cancelled, {}},
  };
  for (const Case& c : cases) {
    clicker::PointPick pick(desk);
    EXPECT_TRUE(pick.Going());
    EXPECT_EQ(pick.Take({c.kind, c.x, c.y}), c.step) << static_cast<int>(c.kind) << " " << c.x;
    EXPECT_FALSE(pick.Going());
    if (c.step == clicker::PointPick::Step::Picked) {
      EXPECT_EQ(pick.Picked(), c.picked);
    }
    // Whatever comes after the end changes nothing.
    EXPECT_EQ(pick.Take({PickInputKind::PrimaryDown, 1, 1}), clicker::PointPick::Step::Nothing);
    if (c.step == clicker::PointPick::Step::Picked) {
      EXPECT_EQ(pick.Picked(), c.picked);
    }
  }
  // No desk known: the point is taken as the system reported it.
  clicker::PointPick blind(geometry::Rect{});
  EXPECT_EQ(blind.Take({PickInputKind::PrimaryDown, 70, 80}), clicker::PointPick::Step::Picked);
  EXPECT_EQ(blind.Picked(), (geometry::Point{70, 80}));
  // A pick never begun takes nothing.
  clicker::PointPick none;
  EXPECT_EQ(none.Take({PickInputKind::PrimaryDown, 1, 1}), clicker::PointPick::Step::Nothing);
}

// ---- the main window ----

struct OptionsTest : ::testing::Test {
  fakes::FakePlatform p;
  fakes::TempFolder temp{"qel-options"};
  std::unique_ptr<TFrmMain> f;

  OptionsTest() {
    i18n::ResetTranslations();
    p.env.vars["APPDATA"] = temp.path.string();
    f = std::make_unique<TFrmMain>(p.services);
  }
  ~OptionsTest() override { f.reset(); }

  void Press(const std::string& caption) {
    fakes::FakeButtonPeer* b = p.widgets.ButtonCaptioned(caption);
    ASSERT_NE(b, nullptr) << caption;
    b->owner->UserClicked();
  }
  // The options dialog's two number fields, newest last: radius, then speed.
  ui::SpinEdit& DialogSpin(int fromEnd) { return *p.widgets.spins.at(p.widgets.spins.size() - 1 - fromEnd)->owner; }
  // Opens the options dialog from its button; `user` acts while it is shown.
  void Options(const std::function<void()>& user) {
    int depth = 0;
    p.widgets.whileModal = [this, user, &depth](fakes::FakeWindowPeer&) {
      if (depth++ == 0) user();
    };
    f->btnOptions.UserClicked();
    p.widgets.whileModal = nullptr;
  }
  fakes::FakeMenuPeer& TrayMenu() { return *p.widgets.menus.at(1); }
  // Opens the tray menu and chooses the entry with this caption (-1 when it is not there).
  void ChooseInTray(const std::string& caption) {
    f->TrayIcon1.UserAskedForMenu({1800, 1050});
    for (std::size_t i = 0; i < f->PopupMenuTray.Items().size(); ++i)
      if (f->PopupMenuTray.Items()[i].caption == caption) f->PopupMenuTray.UserChose(static_cast<int>(i));
  }
  bool Enabled(const std::string& caption) {
    for (const auto& item : TrayMenu().items)
      if (item.caption == caption) return item.enabled;
    ADD_FAILURE() << "no entry " << caption;
    return false;
  }
};

TEST_F(OptionsTest, TheButtonSitsLeftOfTheLanguageButtonAndOkAppliesWhatTheDialogShows) {
  EXPECT_EQ(p.widgets.PeerOf(f->btnOptions).place, (ui::Rect{10, 531, 119, 25}));
  EXPECT_EQ(f->btnOptions.Caption(), "Options...");
  Options([this] {
    EXPECT_EQ(DialogSpin(1).Value(), 0);
    EXPECT_EQ(DialogSpin(0).Value(), 100);
    DialogSpin(1).UserTyped("25");
    DialogSpin(0).UserTyped("999");  // beyond the range: the highest speed
    Press("OK");
  });
  EXPECT_EQ(f->FRadius, 25);
  EXPECT_EQ(f->FSpeed, 400);
  EXPECT_FALSE(f->FCornerStop);
  EXPECT_EQ(f->FJitterMode, 0);
  EXPECT_FALSE(f->Busy());
}

TEST_F(OptionsTest, CancelAndTheCloseBoxChangeNothing) {
  f->FRadius = 7;
  f->FSpeed = 150;
  Options([this] {
    DialogSpin(1).UserTyped("300");
    Press("Cancel");
  });
  Options([this] {
    DialogSpin(0).UserTyped("25");
    ASSERT_NE(p.widgets.lastWindow, nullptr);
    p.widgets.lastWindow->owner->UserClosing();
  });
  EXPECT_EQ(f->FRadius, 7);
  EXPECT_EQ(f->FSpeed, 150);
}

TEST_F(OptionsTest, TheDialogShowsAndReturnsEveryOption) {
  const app::OptionValues start{12, 2, true, 50, false, true};
  // The fake window takes what the user does when it is made: the dialog is made after.
  std::unique_ptr<app::TOptionsDialog> shown;
  p.widgets.whileModal = [&shown](fakes::FakeWindowPeer&) {
    app::TOptionsDialog& dialog = *shown;
    EXPECT_EQ(dialog.seRadius.Value(), 12);
    EXPECT_EQ(dialog.cbJitterMode.ItemIndex(), 2);
    EXPECT_EQ(dialog.cbJitterMode.Items().size(), 3u);
    EXPECT_TRUE(dialog.chkCornerStop.Checked());
    EXPECT_EQ(dialog.seSpeed.Value(), 50);
    dialog.cbJitterMode.UserSelected(1);
    EXPECT_FALSE(dialog.chkRecordKeys.Checked());
    EXPECT_TRUE(dialog.chkRecordWheel.Checked());
    dialog.chkCornerStop.UserToggled(false);
    dialog.chkRecordKeys.UserToggled(true);
    dialog.seSpeed.UserTyped("abc");  // not a number: the lowest speed
    dialog.btnOk.UserClicked();
  };
  shown = std::make_unique<app::TOptionsDialog>(p.services, start, nullptr);
  ASSERT_TRUE(shown->Execute());
  p.widgets.whileModal = nullptr;
  EXPECT_EQ(shown->Values(), (app::OptionValues{12, 1, false, 25, true, true}));
  EXPECT_EQ(p.widgets.lastWindow->owner->Caption(), "Options");
}

TEST_F(OptionsTest, TheHotkeysButtonOpensTheEditorAndNoHotkeyActsWhileTheDialogIsOpen) {
  int modal = 0;
  p.widgets.whileModal = [this, &modal](fakes::FakeWindowPeer&) {
    if (++modal == 1) {
      // The start hotkey, pressed while the options are open, starts nothing.
      p.hotkeys.Press(hotkeys::kStartHotkeyId);
      EXPECT_FALSE(f->FRunning);
      Press("Hotkeys...");
      EXPECT_EQ(modal, 2);
      Press("OK");
    } else {
      // The hotkey editor, over the options dialog.
      EXPECT_EQ(p.widgets.hotkeyFields.size(), 4u);
      Press("Cancel");
    }
  };
  f->btnOptions.UserClicked();
  p.widgets.whileModal = nullptr;
  EXPECT_EQ(modal, 2);
  // Back to normal: the hotkey starts a run again.
  p.hotkeys.Press(hotkeys::kStartHotkeyId);
  EXPECT_TRUE(f->FRunning);
  // And during the run the options stay shut.
  bool opened = false;
  p.widgets.whileModal = [&opened](fakes::FakeWindowPeer&) { opened = true; };
  f->btnOptions.UserClicked();
  EXPECT_FALSE(opened);
}

TEST_F(OptionsTest, TheTrayMenuOffersWhatTheRunStateAllows) {
  f->TrayIcon1.UserAskedForMenu({1800, 1050});
  ASSERT_EQ(TrayMenu().popups.size(), 1u);
  EXPECT_EQ(TrayMenu().popups[0], (ui::Point{1800, 1050}));
  ASSERT_EQ(TrayMenu().items.size(), 5u);
  const char* order[] = {"Start", "Stop", "Show window", "Options...", "Exit"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(TrayMenu().items[static_cast<std::size_t>(i)].caption, order[i]);
    EXPECT_FALSE(TrayMenu().items[static_cast<std::size_t>(i)].checkable);
  }
  EXPECT_TRUE(Enabled("Start"));
  EXPECT_FALSE(Enabled("Stop"));
  EXPECT_TRUE(Enabled("Options..."));

  ChooseInTray("Start");
  EXPECT_TRUE(f->FRunning);
  f->TrayIcon1.UserAskedForMenu({0, 0});
  EXPECT_TRUE(f->TimerClick.Enabled());  // the clicks that waited for the menu go on
  EXPECT_FALSE(Enabled("Start"));
  EXPECT_TRUE(Enabled("Stop"));
  EXPECT_FALSE(Enabled("Options..."));
  EXPECT_TRUE(Enabled("Show window"));
  EXPECT_TRUE(Enabled("Exit"));
  // A disabled entry that still arrives (the state moved on) does nothing.
  f->PopupMenuTray.UserChose(0);
  EXPECT_TRUE(f->FRunning);

  ChooseInTray("Stop");
  EXPECT_FALSE(f->FRunning);
  EXPECT_EQ(f->Label1.Caption().rfind("Stopped by button. Clicks done: ", 0), 0u) << f->Label1.Caption();

  auto& window = p.widgets.PeerOf<fakes::FakeWindowPeer>(f->Form);
  const int closes = window.closes;
  ChooseInTray("Exit");
  EXPECT_EQ(window.closes, closes + 1);
}

TEST_F(OptionsTest, TheTrayMenusOptionsShowTheWindowFirst) {
  f->HideToTray();
  bool shownFirst = false;
  p.widgets.whileModal = [this, &shownFirst](fakes::FakeWindowPeer&) {
    shownFirst = f->Form.Visible();
    Press("Cancel");
  };
  ChooseInTray("Options...");
  p.widgets.whileModal = nullptr;
  EXPECT_TRUE(shownFirst);
}

TEST_F(OptionsTest, ADoubleClickOnACoordinateFieldPicksTheNextClickedPoint) {
  f->rbCoordinates.SetChecked(true);
  f->edtCoordX.UserDoubleClicked();
  ASSERT_EQ(p.picker.begins, 1);
  EXPECT_TRUE(f->FPicking);
  EXPECT_TRUE(f->FRecUiActive);  // the window stepped aside
  EXPECT_FALSE(p.widgets.PeerOf<fakes::FakeSpinPeer>(f->edtCoordX).hint.empty());
  // Nothing else starts meanwhile: a second pick, a hotkey, the options.
  f->edtCoordY.UserDoubleClicked();
  EXPECT_EQ(p.picker.begins, 1);
  p.hotkeys.Press(hotkeys::kStartHotkeyId);
  EXPECT_FALSE(f->FRunning);

  p.picker.Input(PickInputKind::PrimaryDown, 640, 480);
  EXPECT_FALSE(f->FPicking);
  EXPECT_EQ(p.picker.ends, 1);
  EXPECT_FALSE(f->FRecUiActive);
  EXPECT_EQ(f->edtCoordX.Value(), 640);
  EXPECT_EQ(f->edtCoordY.Value(), 480);
  EXPECT_TRUE(f->rbCoordinates.Checked());
  EXPECT_EQ(f->Label1.Caption(), "Point picked: 640, 480");
  // Kept for the next start: the settings file gets it at exit.
  f->FormDestroy();
  f.reset();
  const auto& w = p.profile.writes;
  for (const char* line : {"Coords/x=640", "Coords/y=480", "Target/mode=1"})
    EXPECT_NE(std::find(w.begin(), w.end(), line), w.end()) << line;
}

TEST_F(OptionsTest, EscOrARightClickLeaveTheFieldsAsTheyWere) {
  f->rbCoordinates.SetChecked(true);
  f->edtCoordX.SetValue(11);
  f->edtCoordY.SetValue(22);
  for (PickInputKind kind : {PickInputKind::Escape, PickInputKind::SecondaryDown}) {
    f->edtCoordY.UserDoubleClicked();
    ASSERT_TRUE(f->FPicking);
    p.picker.Input(kind, 700, 700);
    EXPECT_FALSE(f->FPicking);
    EXPECT_FALSE(f->FRecUiActive);
    EXPECT_EQ(f->Label1.Caption(), "Picking cancelled.");
  }
  EXPECT_EQ(p.picker.ends, 2);
  EXPECT_EQ(f->edtCoordX.Value(), 11);
  EXPECT_EQ(f->edtCoordY.Value(), 22);
}

TEST_F(OptionsTest, NoPickWhereTheFieldsAreOffOrThePointerIsTaken) {
  // Cursor mode: the fields are off and a double click on them does nothing.
  f->edtCoordX.UserDoubleClicked();
  EXPECT_EQ(p.picker.begins, 0);
  // Another program holds the pointer: said, and the window stays as it is.
  f->rbCoordinates.SetChecked(true);
  p.picker.refuse = true;
  f->edtCoordX.UserDoubleClicked();
  EXPECT_FALSE(f->FPicking);
  EXPECT_FALSE(f->FRecUiActive);
  EXPECT_EQ(f->Label1.Caption(), "Another program holds the mouse: no point can be picked now.");
  // During a run neither.
  p.picker.refuse = false;
  f->StartRun();
  f->edtCoordX.UserDoubleClicked();
  EXPECT_EQ(p.picker.begins, 0);
}

TEST_F(OptionsTest, ClosingTheWindowDuringAPickGivesThePointerBack) {
  f->rbCoordinates.SetChecked(true);
  f->edtCoordX.UserDoubleClicked();
  ASSERT_TRUE(p.picker.active);
  f->FormDestroy();
  EXPECT_FALSE(p.picker.active);
  EXPECT_FALSE(f->FRecUiActive);
}

}  // namespace
