#include "app/FrmMain.h"
#include "hotkeys/HotkeyText.h"
#include "i18n/Format.h"
#include "i18n/Translation.h"

void TFrmMain::RegisterHotkeys() {
  UnregisterHotkeys();
  FStartHotkeyID = hotkeys::kStartHotkeyId;
  FStpHotkeyID = hotkeys::kStopHotkeyId;
  FStartMacrosHotkeyID = hotkeys::kStartMacrosHotkeyId;
  FPickHotkeyID = hotkeys::kPickHotkeyId;
  // A refused registration is ignored: that hotkey simply never fires.
  svc_.hotkeys.Register(FStartHotkeyID, FStartHK.Modifiers | hotkeys::kModNoRepeat, FStartHK.Vk);
  svc_.hotkeys.Register(FStpHotkeyID, FStpHK.Modifiers | hotkeys::kModNoRepeat, FStpHK.Vk);
  svc_.hotkeys.Register(FStartMacrosHotkeyID, FStartMacrosHK.Modifiers | hotkeys::kModNoRepeat,
                        FStartMacrosHK.Vk);
  // Unset unless the user chose one: nothing is grabbed for it then.
  FPickRegistered =
      FPickHK.Vk != 0 &&
      svc_.hotkeys.Register(FPickHotkeyID, FPickHK.Modifiers | hotkeys::kModNoRepeat, FPickHK.Vk);
}

void TFrmMain::UnregisterHotkeys() {
  if (FStartHotkeyID != 0) svc_.hotkeys.Unregister(FStartHotkeyID);
  if (FStpHotkeyID != 0) svc_.hotkeys.Unregister(FStpHotkeyID);
  if (FStartMacrosHotkeyID != 0) svc_.hotkeys.Unregister(FStartMacrosHotkeyID);
  if (FPickRegistered) svc_.hotkeys.Unregister(FPickHotkeyID);
  FPickRegistered = false;
}

std::string TFrmMain::HotkeyText(const THotkeyData& hk) {
  return hotkeys::HotkeyToText(hk.Vk, hk.Modifiers,
                               [this](std::uint32_t vk) { return svc_.hotkeys.KeyName(vk); });
}


std::string TFrmMain::HotkeyCaption() {
  return i18n::FormatText(TranslateText("Hotkeys \u2014 Start: %s  |  Stop: %s"),
                          {HotkeyText(FStartHK), HotkeyText(FStpHK)});
}

hotkeys::WindowState TFrmMain::HotkeyWindowState() const {
  using hotkeys::WindowState;
  if (FHotkeyEditorListening) return WindowState::EditorListening;
  if (FRecording) return WindowState::Recording;
  if (FWaitingForRecordStart) return WindowState::RecordCountdown;
  if (FRunning) return rbMacros.Checked() ? WindowState::Playing : WindowState::Running;
  return WindowState::Idle;
}

void TFrmMain::DispatchHotkey(hotkeys::HotkeySlot slot, hotkeys::HotkeyEdge edge) {
  using hotkeys::HotkeyAction;
  switch (FHotkeyDecider.Decide(slot, edge, HotkeyWindowState(), FHotkeyModes)) {
    case HotkeyAction::None:
      break;
    case HotkeyAction::StartRun:
      StartRun();
      break;
    case HotkeyAction::StopRun:
      if (rbMacros.Checked())
        StopRun(TranslateText("Stopped by hotkey. Runs done: ") + std::to_string(FClicksDone));
      else
        StopRun(TranslateText("Stopped by hotkey. Clicks done: ") + std::to_string(FClicksDone));
      break;
    case HotkeyAction::StartRecording:
      StartRecording();
      break;
    case HotkeyAction::StopRecording:
      StopRecording(TranslateText("Recording stopped by hotkey."));
      break;
    case HotkeyAction::PickPoint:
      PickPointAtCursor();
      break;
  }
}

namespace {
bool SlotOf(const TFrmMain& f, int id, hotkeys::HotkeySlot& slot) {
  if (id == f.FStartHotkeyID) slot = hotkeys::HotkeySlot::Start;
  else if (id == f.FStpHotkeyID) slot = hotkeys::HotkeySlot::Stop;
  else if (id == f.FStartMacrosHotkeyID) slot = hotkeys::HotkeySlot::Record;
  else if (id == f.FPickHotkeyID) slot = hotkeys::HotkeySlot::Pick;
  else return false;
  return true;
}
}  // namespace

void TFrmMain::WndProcHotkey(int id) {
  hotkeys::HotkeySlot slot;
  if (SlotOf(*this, id, slot)) DispatchHotkey(slot, hotkeys::HotkeyEdge::Press);
}

void TFrmMain::WndProcHotkeyRelease(int id) {
  hotkeys::HotkeySlot slot;
  if (SlotOf(*this, id, slot)) DispatchHotkey(slot, hotkeys::HotkeyEdge::Release);
}

void TFrmMain::PickPointAtCursor() {
  ui::Point p{};
  if (!svc_.screen.CursorPos(p)) return;
  edtCoordX.SetValue(p.x);
  edtCoordY.SetValue(p.y);
  rbCoordinates.SetChecked(true);
  SetStatus(i18n::FormatText(TranslateText("Point picked: %s, %s"),
                             {std::to_string(p.x), std::to_string(p.y)}));
}

void TFrmMain::OpenHotkeyEditor() {
  // Its widgets are not built yet in either edition: nothing opens so far.
}
