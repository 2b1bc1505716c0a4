// The hotkey editor as the user meets it: the dialog on the main window, driven through its
// fields and buttons while it is shown modally, and what the window registers afterwards.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "app/FrmMain.h"
#include "fakes/FakeServices.h"
#include "fakes/TempFolder.h"
#include "hotkeys/HotkeyData.h"
#include "i18n/Translation.h"

namespace {

using hotkeys::kModControl;
using hotkeys::kModShift;
constexpr std::uint32_t kF6 = 0x75, kF7 = 0x76, kEsc = 0x1B, kEnter = 0x0D;

struct HotkeyEditorDialogTest : ::testing::Test {
  fakes::FakePlatform p;
  fakes::TempFolder temp{"qel-hotkey-editor"};
  std::unique_ptr<TFrmMain> f;
  // What the registrar held while the dialog was open, at the user's first action.
  std::size_t registeredWhileOpen = 99;

  HotkeyEditorDialogTest() {
    i18n::ResetTranslations();
    p.env.vars["APPDATA"] = temp.path.string();
    f = std::make_unique<TFrmMain>(p.services);
  }
  ~HotkeyEditorDialogTest() override { f.reset(); }

  fakes::FakeHotkeyFieldPeer& Field(int i) { return *p.widgets.hotkeyFields.at(static_cast<std::size_t>(i)); }
  void Press(const std::string& caption) {
    fakes::FakeButtonPeer* b = p.widgets.ButtonCaptioned(caption);
    ASSERT_NE(b, nullptr) << caption;
    b->owner->UserClicked();
  }
  // The "Clear" of field i.
  fakes::FakeButtonPeer& ClearButton(int i) {
    int seen = 0;
    for (auto* b : p.widgets.buttons)
      if (b->caption == "Clear" && seen++ == i) return *b;
    throw std::runtime_error("no Clear button");
  }
  // Opens the editor from the hotkey line; `user` acts while it is shown.
  void Edit(const std::function<void()>& user) {
    p.widgets.whileModal = [this, user](fakes::FakeWindowPeer&) {
      registeredWhileOpen = p.hotkeys.registered.size();
      user();
    };
    f->lblHotkeys.UserClicked();
    p.widgets.whileModal = nullptr;
  }
  std::uint32_t RegisteredVk(int id) {
    auto it = p.hotkeys.registered.find(id);
    return it == p.hotkeys.registered.end() ? 0 : it->second.vk;
  }
};

TEST_F(HotkeyEditorDialogTest, KeysCapturedInTurnApplyAtOnceOnOk) {
  EXPECT_FALSE(f->lblHotkeys.Hint().empty());
  Edit([this] {
    ASSERT_EQ(p.widgets.hotkeyFields.size(), 4u);
    EXPECT_TRUE(Field(0).listening);  // the start field listens from the start
    EXPECT_EQ(Field(0).caption, "Shift+Ctrl+S");
    EXPECT_EQ(Field(3).caption, "(none)");
    Field(0).owner->UserKey(0x11, kModControl);  // Ctrl alone waits for the key
    EXPECT_TRUE(Field(0).listening);
    Field(0).owner->UserKey(kF6, 0);
    EXPECT_EQ(Field(0).caption, "F6");
    EXPECT_TRUE(Field(1).listening);  // the focus moved on
    EXPECT_GE(Field(1).focusCount, 1);
    Field(1).owner->UserKey(kF7, kModShift);
    Press("OK");
  });
  EXPECT_EQ(registeredWhileOpen, 0u) << "the old hotkeys stayed registered in the dialog";
  EXPECT_EQ(f->FStartHK.Vk, kF6);
  EXPECT_EQ(f->FStartHK.Modifiers, 0u);
  EXPECT_EQ(f->FStpHK.Vk, kF7);
  EXPECT_EQ(RegisteredVk(hotkeys::kStartHotkeyId), kF6);
  EXPECT_EQ(RegisteredVk(hotkeys::kStopHotkeyId), kF7);
  EXPECT_EQ(f->lblHotkeys.Caption(), "Hotkeys \u2014 Start: F6  |  Stop: Shift+F7");
  // The new start hotkey starts a run at once.
  p.hotkeys.Press(hotkeys::kStartHotkeyId);
  EXPECT_TRUE(f->FRunning);
}

TEST_F(HotkeyEditorDialogTest, EscEndsListeningThenCancelsAndCancelChangesNothing) {
  Edit([this] {
    Field(0).owner->UserKey(kEsc, 0);
    EXPECT_FALSE(Field(0).listening);
    EXPECT_EQ(Field(0).caption, "Shift+Ctrl+S");
    EXPECT_TRUE(p.widgets.lastWindow->modalOpen);
    Field(0).owner->UserKey(kEsc, 0);  // nothing listens: Esc is the dialog's Cancel
  });
  EXPECT_EQ(f->FStartHK.Vk, 0x53u);
  Edit([this] {
    Field(0).owner->UserKey(kF6, 0);
    Press("Cancel");
  });
  EXPECT_EQ(f->FStartHK.Vk, 0x53u);
  EXPECT_EQ(RegisteredVk(hotkeys::kStartHotkeyId), 0x53u);
  EXPECT_EQ(p.hotkeys.registered.size(), 3u);
}

TEST_F(HotkeyEditorDialogTest, EnterIsNeverCapturedAndActsAsOk) {
  Edit([this] {
    Field(0).owner->UserKey(kF6, 0);
    Field(1).owner->UserKey(kEnter, 0);
  });
  EXPECT_EQ(f->FStartHK.Vk, kF6);
  EXPECT_EQ(f->FStpHK.Vk, 0x58u);
}

TEST_F(HotkeyEditorDialogTest, MouseButtonsInAFieldAndClearedHotkeys) {
  Edit([this] {
    Field(0).owner->UserButton(1, 0);  // the left button only focuses
    EXPECT_EQ(Field(0).caption, "Shift+Ctrl+S");
    Field(0).owner->UserButton(hotkeys::kVkXButton1, kModControl);
    EXPECT_EQ(Field(0).caption, "Ctrl+Side button 1");
    ClearButton(1).owner->UserClicked();
    Press("OK");
  });
  EXPECT_EQ(f->FStartHK.Vk, hotkeys::kVkXButton1);
  EXPECT_EQ(f->FStpHK.Vk, 0u);
  EXPECT_EQ(RegisteredVk(hotkeys::kStopHotkeyId), 0u) << "an unset hotkey must grab nothing";
  EXPECT_EQ(f->lblHotkeys.Caption(), "Hotkeys \u2014 Start: Ctrl+Side button 1  |  Stop: (none)");
}

TEST_F(HotkeyEditorDialogTest, TwiceUsedOrRefusedCombinationsKeepTheDialogOpen) {
  // Another program holds F7.
  ASSERT_TRUE(p.hotkeys.Register(4242, hotkeys::kModNoRepeat, kF7));
  int oks = 0;
  Edit([&] {
    Field(0).owner->UserKey(kF6, 0);
    Field(1).owner->UserKey(kF6, 0);
    Press("OK");
    ++oks;
    ASSERT_EQ(p.dialogs.shown.size(), 1u);
    EXPECT_NE(p.dialogs.shown[0].text.find("Start and Stop"), std::string::npos) << p.dialogs.shown[0].text;
    EXPECT_TRUE(p.widgets.lastWindow->modalOpen);
    Field(1).setFocus();  // the user clicks the stop field again
    Field(1).owner->UserKey(kF7, 0);
    Press("OK");
    ASSERT_EQ(p.dialogs.shown.size(), 2u);
    EXPECT_NE(p.dialogs.shown[1].text.find("F7 (Stop)"), std::string::npos) << p.dialogs.shown[1].text;
    EXPECT_EQ(p.hotkeys.registered.size(), 1u) << "a refused set left hotkeys registered";
    Press("Defaults");
    Press("OK");
  });
  EXPECT_EQ(oks, 1);
  EXPECT_EQ(f->FStartHK.Vk, 0x53u);
  EXPECT_EQ(f->FStpHK.Vk, 0x58u);
  EXPECT_EQ(p.hotkeys.registered.size(), 4u);  // the three of the program and the other's
}

TEST_F(HotkeyEditorDialogTest, ModesKeptByOkAndResetByDefaults) {
  f->FHotkeyModes = {true, true};
  Edit([this] { Press("OK"); });
  EXPECT_TRUE(f->FHotkeyModes.toggle);
  EXPECT_TRUE(f->FHotkeyModes.hold);
  Edit([this] {
    Field(0).owner->UserKey(kF6, 0);
    Press("Defaults");
    EXPECT_EQ(Field(0).caption, "Shift+Ctrl+S");
    Press("OK");
  });
  EXPECT_FALSE(f->FHotkeyModes.toggle);
  EXPECT_FALSE(f->FHotkeyModes.hold);
  EXPECT_EQ(f->FStartHK.Vk, 0x53u);
}

TEST_F(HotkeyEditorDialogTest, RunningCaptionNamesTheKeyThatEndsTheRun) {
  struct Case {
    THotkeyData stop;
    bool toggle;
    const char* want;
  } cases[] = {
      {{0x58, kModControl | kModShift}, false, "Shift+Ctrl+X"},
      {{0x58, kModControl | kModShift}, true, "Shift+Ctrl+X"},
      {{0, 0}, true, "Shift+Ctrl+S"},  // the start hotkey is the way out
      {{0, 0}, false, "(none)"},
  };
  for (const Case& c : cases) {
    f->FStpHK = c.stop;
    f->FHotkeyModes.toggle = c.toggle;
    EXPECT_EQ(f->RunStopHotkeyText(), c.want);
  }
}

TEST_F(HotkeyEditorDialogTest, NotOpenedDuringARun) {
  f->StartRun();
  ASSERT_TRUE(f->FRunning);
  bool opened = false;
  Edit([&] { opened = true; });
  EXPECT_FALSE(opened);
  EXPECT_EQ(p.hotkeys.registered.size(), 3u);
}

}  // namespace
