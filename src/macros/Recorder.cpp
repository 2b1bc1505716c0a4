#include <exception>
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

void TFrmMain::btnCreateMacrosClick() { BeginRecordingCountdown(); }

void TFrmMain::BeginRecordingCountdown() {
  if (FRecording || FRunning || FWaitingForRecordStart) return;
  FWaitingForRecordStart = true;
  FCountdownValue = 10;
  EnterRecUi(i18n::FormatText(TranslateText("Recording starts in %d..."), {std::to_string(FCountdownValue)}));
  FCountdownTimer->SetEnabled(true);
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
  SetRecUiText(i18n::FormatText(TranslateText("Recording starts in %d ..."), {std::to_string(FCountdownValue)}));
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
