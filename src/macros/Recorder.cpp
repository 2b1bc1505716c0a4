#include <algorithm>
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <utility>

#include "app/FrmMain.h"
#include "base/ClickChoices.h"
#include "i18n/Format.h"
#include "i18n/Translation.h"
#include "macros/FileNames.h"
#include "macros/MouseHookProc.h"
#include "macros/TextRules.h"
#include "platform/MouseHook.h"
#include "settings/DataFolder.h"
#include "ui/Guard.h"

void LowLevelMouseProc(int nCode, std::uint32_t AMessage, int x, int y) {
  TFrmMain* form = TFrmMain::Instance();
  if (nCode < 0 || form == nullptr) return;
  form->HookEvent(nCode, AMessage, x, y);
}

// The user is told before the recording begins that what they type will be in it.
std::string TFrmMain::KeysNote() const {
  return FRecordKeys ? " " + TranslateText("Keys are recorded too.") : std::string();
}

void TFrmMain::btnCreateMacrosClick() { BeginRecordingCountdown(); }

void TFrmMain::BeginRecordingCountdown() {
  if (FRecording || FRunning || FWaitingForRecordStart) return;
  FWaitingForRecordStart = true;
  FCountdownValue = 10;
  EnterRecUi(i18n::FormatText(TranslateText("Recording starts in %d..."), {std::to_string(FCountdownValue)}) +
             KeysNote());
  FCountdownTimer->SetEnabled(true);
  UpdateCornerWatch();
}

void TFrmMain::CountdownTimerTimer() {
  if (!FWaitingForRecordStart) return;
  if (FCountdownValue == 0) {
    StartRecording();
    return;
  }
  // The blank caption for a tenth of a second makes each new number blink.
  SetRecUiText("");
  svc_.clock.Sleep(100);
  SetRecUiText(i18n::FormatText(TranslateText("Recording starts in %d ..."), {std::to_string(FCountdownValue)}) +
               KeysNote());
  --FCountdownValue;
}

void TFrmMain::StartRecording() {
  if (FRecording) return;
  FWaitingForRecordStart = false;
  FCountdownTimer->SetEnabled(false);
  FRecordedEvents.clear();
  FHasLastRecordedPoint = false;
  const std::uint32_t t = svc_.clock.GetTickCount();
  FRecordingStartTick = t;
  FLastRecordTick = t;
  FRecKeysDown.assign(256, false);
  FRecKeysLeftOut.assign(256, false);
  FRecWheelRest = 0;
  if (FRecordKeys || FRecordWheel)
    svc_.mouseHook.AlsoReport(
        [](std::uint32_t message, int x, int y, std::int32_t data) {
          ui::Guarded([&] {
            if (TFrmMain* form = TFrmMain::Instance()) form->HookInput(message, x, y, data);
          });
        },
        FRecordKeys);
  InstallMouseHook();
  if (!FMouseHook) {
    // Without the hook a recording would hold the start position and nothing else, and
    // would still be saved as if it had worked.
    LeaveRecUi();
    const std::string why = TranslateText(
        "Recording cannot start: the program cannot watch the mouse on this system (on Linux the X "
        "server needs its RECORD extension). Clicking and playing macros still work.");
    SetStatus(why);
    svc_.dialogs.MessageBox(ui::MsgKind::Error, why, ui::MsgButtons::Ok);
    return;
  }
  FRecording = true;
  UpdateCornerWatch();
  ui::Point p;
  if (svc_.screen.CursorPos(p)) RecordMouseEvent(mekMove, p.x, p.y, -1);
  EnterRecUi(i18n::FormatText(TranslateText("Recording... Press %s to stop"), {HotkeyText(FStpHK)}));
  SetStatus(TranslateText("Recording macro..."));
}

void TFrmMain::InstallMouseHook() {
  RemoveMouseHook();
  // Hook events enter the program from the platform: an error in one is reported and the
  // recording goes on.
  FMouseHook = svc_.mouseHook.Install([](int nCode, std::uint32_t message, int x, int y) {
    ui::Guarded([&] { LowLevelMouseProc(nCode, message, x, y); });
  });
}

void TFrmMain::RemoveMouseHook() {
  if (!FMouseHook) return;
  svc_.mouseHook.Remove();
  FMouseHook = false;
}

void TFrmMain::HookEvent(int nCode, std::uint32_t message, int x, int y) {
  if (nCode < 0 || !FRecording) return;
  int button = -1;
  TMacroEventKind kind = mekMove;
  switch (message) {
    case platform::kWmMouseMove: RecordMouseEvent(mekMove, x, y, -1); return;
    case platform::kWmLButtonDown: kind = mekDown, button = mbLeft; break;
    case platform::kWmLButtonUp: kind = mekUp, button = mbLeft; break;
    case platform::kWmRButtonDown: kind = mekDown, button = mbRight; break;
    case platform::kWmRButtonUp: kind = mekUp, button = mbRight; break;
    case platform::kWmMButtonDown: kind = mekDown, button = mbMiddle; break;
    case platform::kWmMButtonUp: kind = mekUp, button = mbMiddle; break;
    default: return;  // wheels, extra buttons: not part of a macro
  }
  // A press or release at a new place is stored after the move there, so playback puts
  // the pointer in place first; at the last move's place the move is dropped as repeated.
  RecordMouseEvent(mekMove, x, y, -1);
  RecordMouseEvent(kind, x, y, button);
}

void TFrmMain::HookInput(std::uint32_t message, int x, int y, std::int32_t data) {
  if (!FRecording) return;
  if (message == platform::kWmMouseWheel) {
    if (!FRecordWheel) return;
    // Fine-grained wheels and touchpads turn by parts of a notch: they add up to whole ones.
    const std::int64_t turned = std::int64_t{FRecWheelRest} + data;
    const std::int64_t notches = turned / platform::kWheelNotch;
    FRecWheelRest = static_cast<std::int32_t>(turned % platform::kWheelNotch);
    if (notches == 0) return;
    RecordMouseEvent(mekMove, x, y, -1);
    RecordMouseEvent(mekWheel, x, y, static_cast<int>(std::clamp<std::int64_t>(notches, -1000000, 1000000)));
    return;
  }
  const bool down = message == platform::kWmKeyDown || message == platform::kWmSysKeyDown;
  const bool up = message == platform::kWmKeyUp || message == platform::kWmSysKeyUp;
  if (!FRecordKeys || (!down && !up) || data < 1 || data > 255) return;
  const auto vk = static_cast<std::uint32_t>(data);
  using hotkeys::kModAlt, hotkeys::kModControl, hotkeys::kModShift, hotkeys::kModWin;
  if (down) {
    if (!FRecKeysDown[vk]) {
      // The modifiers held as this key goes down, without the key itself.
      auto held = [this](std::initializer_list<std::uint32_t> keys) {
        for (std::uint32_t k : keys)
          if (FRecKeysDown[k]) return true;
        return false;
      };
      std::uint32_t mods = 0;
      if (held({0x12, 0xA4, 0xA5}) && vk != 0x12 && vk != 0xA4 && vk != 0xA5) mods |= kModAlt;
      if (held({0x11, 0xA2, 0xA3}) && vk != 0x11 && vk != 0xA2 && vk != 0xA3) mods |= kModControl;
      if (held({0x10, 0xA0, 0xA1}) && vk != 0x10 && vk != 0xA0 && vk != 0xA1) mods |= kModShift;
      if (held({0x5B, 0x5C}) && vk != 0x5B && vk != 0x5C) mods |= kModWin;
      for (const THotkeyData* hk : {&FStartHK, &FStpHK, &FStartMacrosHK})
        if (hk->Vk == vk && (hk->Modifiers & (kModAlt | kModControl | kModShift | kModWin)) == mods)
          FRecKeysLeftOut[vk] = true;
    }
    FRecKeysDown[vk] = true;
  } else {
    // A key pressed before the recording began (the start hotkey's) is let go of outside it.
    if (!FRecKeysDown[vk]) return;
    FRecKeysDown[vk] = false;
  }
  if (FRecKeysLeftOut[vk]) {
    if (up) FRecKeysLeftOut[vk] = false;
    return;
  }
  RecordMouseEvent(down ? mekKeyDown : mekKeyUp, 0, 0, data);
}

void TFrmMain::RecordMouseEvent(TMacroEventKind AKind, int AX, int AY, int AButton) {
  if (!FRecording) return;
  if (AKind == mekMove) {
    if (FHasLastRecordedPoint && FLastRecordedPoint.x == AX && FLastRecordedPoint.y == AY) return;
    FLastRecordedPoint = {AX, AY};
    FHasLastRecordedPoint = true;
  }
  const std::uint32_t now = svc_.clock.GetTickCount();
  TMacroMouseEvent e;
  e.DeltaMs = now - FRecordingStartTick;  // unsigned: a wrap of the counter does no harm
  e.Kind = AKind;
  e.X = AX;
  e.Y = AY;
  e.Button = AButton;
  FRecordedEvents.push_back(e);
  FLastRecordTick = now;
}

void TFrmMain::StopRecording(const std::string& AReason) {
  if (!FRecording && !FWaitingForRecordStart) return;
  FWaitingForRecordStart = false;
  FCountdownTimer->SetEnabled(false);
  std::uint32_t duration = 0;
  if (FRecording) {
    RemoveMouseHook();
    FRecording = false;
    duration = FLastRecordTick - FRecordingStartTick;  // the last event's time, not the stop's
  }
  LeaveRecUi();
  // The stop hotkey's modifiers end the list, pressed and perhaps already released again
  // when the hotkey arrives: they are no part of what the user did. And a key still down
  // when the recording stops would be held at the end of every playback: it is left out.
  {
    bool dropped = false;
    auto isModifier = [](std::int32_t vk) {
      return (vk >= 0x10 && vk <= 0x12) || (vk >= 0xA0 && vk <= 0xA5) || vk == 0x5B || vk == 0x5C;
    };
    while (!FRecordedEvents.empty() &&
           (FRecordedEvents.back().Kind == mekKeyDown || FRecordedEvents.back().Kind == mekKeyUp) &&
           isModifier(FRecordedEvents.back().Button)) {
      FRecordedEvents.pop_back();
      dropped = true;
    }
    std::vector<bool> releasedLater(256);
    for (size_t i = FRecordedEvents.size(); i-- > 0;) {
      const TMacroMouseEvent& e = FRecordedEvents[i];
      if (e.Button < 1 || e.Button > 255) continue;
      const auto vk = static_cast<size_t>(e.Button);
      if (e.Kind == mekKeyUp) {
        releasedLater[vk] = true;
      } else if (e.Kind == mekKeyDown && !releasedLater[vk]) {
        FRecordedEvents.erase(FRecordedEvents.begin() + static_cast<std::ptrdiff_t>(i));
        dropped = true;
      }
    }
    if (dropped && !FRecordedEvents.empty()) duration = FRecordedEvents.back().DeltaMs;
  }
  if (FRecordedEvents.empty()) {
    SetStatus(TranslateText("Macro recording cancelled or empty."));
  } else {
    auto macro = std::make_shared<TRecordedMacro>();
    const std::string stamp = macros::RecordingStamp(svc_.clock.Now());
    // The decimal separator comes from the user's regional settings, which may hold anything.
    macro->SetName(macros::ReplaceControlCharacters(
        stamp + " (" + macros::SecondsOneDecimal(duration, svc_.env.DecimalSeparator()) + "s)", ""));
    macro->SetDurationMs(duration);
    macro->Events() = FRecordedEvents;
    // The events now live in the macro: whatever happens to its file, the next recording
    // may start afresh.
    FRecordedEvents.clear();
    FHasLastRecordedPoint = false;
    const bool saved = SaveNewRecording(*macro, stamp);
    FMacros.insert(FMacros.begin() + static_cast<std::ptrdiff_t>(macros::ListPosition(FMacros, macro->FileName())),
                   macro);
    RefreshMacroListBox();
    lbMacroses.SetItemIndex(lbMacroses.IndexOfIgnoreCase(macro->Name()));
    if (saved)
      SetStatus(i18n::FormatText(TranslateText("Macro saved: %s. %s"), {macro->Name(), AReason}));
    else
      SetStatus(i18n::FormatText(TranslateText("Macro not saved: %s. Rename saves it."), {macro->Name()}));
  }
  FRecordedEvents.clear();
  FHasLastRecordedPoint = false;
}

bool TFrmMain::SaveNewRecording(TRecordedMacro& macro, const std::string& stamp) {
  // A full disk or a folder made read-only must not cost the user the recording: it is
  // offered again until it is written or the user gives up, and kept in the list
  // (playable, without a file) when the program goes on.
  for (;;) {
    try {
      const char delimiter = svc_.env.PathDelimiter();
      const std::string folder = settings::GetMacrosFolder(svc_.env);
      // Never overwrite: a second recording within the same second gets a numbered file
      // instead of replacing the first one's.
      macro.SaveToFile(macros::JoinPath(folder, macros::FreeRecordingFileName(folder, stamp, delimiter), delimiter));
      return true;
    } catch (const std::exception& e) {
      // Asked as a question: the buttons' own words come from the toolkit, not from us.
      const std::string what =
          FClosing ? TranslateText("If the program ends now, the recording is lost. Free some disk space or make "
                                   "the macro folder writable first. Try to save it again?")
                   : i18n::FormatText(TranslateText("The recording is not lost: it stays in the macro list as "
                                                    "\"%s\" and can be played; Rename saves it later. Free some "
                                                    "disk space or make the macro folder writable first. Try to "
                                                    "save it again now?"),
                                      {macro.Name()});
      const std::string text = i18n::FormatText(TranslateText("The macro could not be saved: %s"), {e.what()}) + " " + what;
      if (svc_.dialogs.MessageBox(ui::MsgKind::Error, text, ui::MsgButtons::YesNo) != ui::MsgResult::Yes)
        return false;
    }
  }
}
