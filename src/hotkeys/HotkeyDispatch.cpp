#include "app/FrmMain.h"
#include "hotkeys/HotkeyText.h"
#include "i18n/Format.h"
#include "i18n/Translation.h"

#include "hotkeys/HotkeyEditorDialog.h"

void TFrmMain::RegisterHotkeys() {
  // A refused registration is ignored here: that hotkey simply never fires.
  RegisterHotkeySet(CurrentHotkeys());
}

hotkeys::HotkeySet TFrmMain::CurrentHotkeys() const {
  hotkeys::HotkeySet set;
  set[hotkeys::EditorField::Start] = FStartHK;
  set[hotkeys::EditorField::Stop] = FStpHK;
  set[hotkeys::EditorField::Record] = FStartMacrosHK;
  set[hotkeys::EditorField::Pick] = FPickHK;
  set.modes = FHotkeyModes;
  return set;
}

std::optional<hotkeys::EditorField> TFrmMain::RegisterHotkeySet(const hotkeys::HotkeySet& set) {
  using hotkeys::EditorField;
  UnregisterHotkeys();
  FStartHotkeyID = hotkeys::kStartHotkeyId;
  FStpHotkeyID = hotkeys::kStopHotkeyId;
  FStartMacrosHotkeyID = hotkeys::kStartMacrosHotkeyId;
  FPickHotkeyID = hotkeys::kPickHotkeyId;
  std::optional<EditorField> refused;
  const auto take = [&](int id, EditorField field) {
    const THotkeyData& hk = set[field];
    // An unset hotkey (cleared in the editor) grabs nothing.
    if (hk.Vk == 0) return false;
    const bool ok = svc_.hotkeys.Register(id, hk.Modifiers | hotkeys::kModNoRepeat, hk.Vk);
    if (!ok && !refused) refused = field;
    return ok;
  };
  take(FStartHotkeyID, EditorField::Start);
  take(FStpHotkeyID, EditorField::Stop);
  take(FStartMacrosHotkeyID, EditorField::Record);
  FPickRegistered = take(FPickHotkeyID, EditorField::Pick);
  return refused;
}

void TFrmMain::UnregisterHotkeys() {
  if (FStartHotkeyID != 0) svc_.hotkeys.Unregister(FStartHotkeyID);
  if (FStpHotkeyID != 0) svc_.hotkeys.Unregister(FStpHotkeyID);
  if (FStartMacrosHotkeyID != 0) svc_.hotkeys.Unregister(FStartMacrosHotkeyID);
  if (FPickRegistered) svc_.hotkeys.Unregister(FPickHotkeyID);
  FPickRegistered = false;
}

std::string TFrmMain::HotkeyText(const THotkeyData& hk) {
  if (hk.Vk == 0) return TranslateText("(none)");
  return hotkeys::HotkeyToText(hk.Vk, hk.Modifiers,
                               [this](std::uint32_t vk) { return svc_.hotkeys.KeyName(vk); });
}


std::string TFrmMain::RunStopHotkeyText() {
  if (FStpHK.Vk == 0 && FStartHK.Vk != 0 && FHotkeyModes.toggle) return HotkeyText(FStartHK);
  return HotkeyText(FStpHK);
}

std::string TFrmMain::HotkeyCaption() {
  return i18n::FormatText(TranslateText("Hotkeys \u2014 Start: %s  |  Stop: %s"),
                          {HotkeyText(FStartHK), HotkeyText(FStpHK)});
}

hotkeys::WindowState TFrmMain::HotkeyWindowState() const {
  using hotkeys::WindowState;
  // A dialog of the program, or a pick, has the user's attention: no hotkey acts behind it.
  if (Busy()) return WindowState::EditorListening;
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
  if (svc_.screen.CursorPos(p)) UsePickedPoint(p);
}

void TFrmMain::OpenHotkeyEditor() {
  // The hotkeys are off while the dialog is open, so a run would have no hotkey to stop it.
  // Reached from the options dialog too, so only the editor itself and a pick keep it shut.
  if (FRunning || FRecording || FWaitingForRecordStart || FHotkeyEditorListening || FPicking) return;
  hotkeys::THotkeyEditorDialog dialog(
      svc_, CurrentHotkeys(), [this](std::uint32_t vk) { return svc_.hotkeys.KeyName(vk); },
      [this](const hotkeys::HotkeySet& set) {
        const auto refused = RegisterHotkeySet(set);
        // Nothing stays registered while the dialog is still open.
        UnregisterHotkeys();
        return refused;
      });
  UnregisterHotkeys();
  FHotkeyEditorListening = true;
  const bool applied = dialog.Execute();
  FHotkeyEditorListening = false;
  if (applied) {
    const hotkeys::HotkeySet& set = dialog.Values();
    FStartHK = set[hotkeys::EditorField::Start];
    FStpHK = set[hotkeys::EditorField::Stop];
    FStartMacrosHK = set[hotkeys::EditorField::Record];
    FPickHK = set[hotkeys::EditorField::Pick];
    FHotkeyModes = set.modes;
  }
  RegisterHotkeys();
  lblHotkeys.SetCaption(HotkeyCaption());
}
