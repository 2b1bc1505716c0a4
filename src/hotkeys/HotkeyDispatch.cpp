#include "app/FrmMain.h"
#include "hotkeys/HotkeyText.h"
#include "i18n/Format.h"
#include "i18n/Translation.h"

void TFrmMain::RegisterHotkeys() {
  UnregisterHotkeys();
  FStartHotkeyID = hotkeys::kStartHotkeyId;
  FStpHotkeyID = hotkeys::kStopHotkeyId;
  FStartMacrosHotkeyID = hotkeys::kStartMacrosHotkeyId;
  // A refused registration is ignored: that hotkey simply never fires.
  svc_.hotkeys.Register(FStartHotkeyID, FStartHK.Modifiers | hotkeys::kModNoRepeat, FStartHK.Vk);
  svc_.hotkeys.Register(FStpHotkeyID, FStpHK.Modifiers | hotkeys::kModNoRepeat, FStpHK.Vk);
  svc_.hotkeys.Register(FStartMacrosHotkeyID, FStartMacrosHK.Modifiers | hotkeys::kModNoRepeat,
                        FStartMacrosHK.Vk);
}

void TFrmMain::UnregisterHotkeys() {
  if (FStartHotkeyID != 0) svc_.hotkeys.Unregister(FStartHotkeyID);
  if (FStpHotkeyID != 0) svc_.hotkeys.Unregister(FStpHotkeyID);
  if (FStartMacrosHotkeyID != 0) svc_.hotkeys.Unregister(FStartMacrosHotkeyID);
}

std::string TFrmMain::HotkeyText(const THotkeyData& hk) {
  return hotkeys::HotkeyToText(hk.Vk, hk.Modifiers,
                               [this](std::uint32_t vk) { return svc_.hotkeys.KeyName(vk); });
}


std::string TFrmMain::HotkeyCaption() {
  return i18n::FormatText(TranslateText("Hotkeys \u2014 Start: %s  |  Stop: %s"),
                          {HotkeyText(FStartHK), HotkeyText(FStpHK)});
}

void TFrmMain::WndProcHotkey(int id) {
  if (id == FStartHotkeyID) {
    if (FRecording) return;
    StartRun();
  } else if (id == FStpHotkeyID) {
    if (FRecording) {
      StopRecording(TranslateText("Recording stopped by hotkey."));
    } else if (rbMacros.Checked()) {
      StopRun(TranslateText("Stopped by hotkey. Runs done: ") + std::to_string(FClicksDone));
    } else {
      StopRun(TranslateText("Stopped by hotkey. Clicks done: ") + std::to_string(FClicksDone));
    }
  } else if (id == FStartMacrosHotkeyID) {
    if (FWaitingForRecordStart) StartRecording();
  }
}
