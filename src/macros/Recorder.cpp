#include <utility>

#include "app/FrmMain.h"
#include "i18n/Format.h"
#include "i18n/Translation.h"
#include "macros/FileNames.h"
#include "macros/MouseHookProc.h"
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
    case platform::kWmLButtonDown: kind = mekDown, button = 0; break;
    case platform::kWmLButtonUp: kind = mekUp, button = 0; break;
    case platform::kWmRButtonDown: kind = mekDown, button = 1; break;
    case platform::kWmRButtonUp: kind = mekUp, button = 1; break;
    case platform::kWmMButtonDown: kind = mekDown, button = 2; break;
    case platform::kWmMButtonUp: kind = mekUp, button = 2; break;
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
    macro->SetName(stamp + " (" + macros::SecondsOneDecimal(duration, svc_.env.DecimalSeparator()) + "s)");
    macro->SetDurationMs(duration);
    macro->Events() = FRecordedEvents;
    const char delimiter = svc_.env.PathDelimiter();
    const std::string folder = settings::GetMacrosFolder(svc_.env);
    // Never overwrite: a second recording within the same second gets a numbered file
    // instead of replacing the first one's.
    macro->SaveToFile(macros::JoinPath(folder, macros::FreeRecordingFileName(folder, stamp, delimiter), delimiter));
    FMacros.push_back(macro);
    RefreshMacroListBox();
    lbMacroses.SetItemIndex(lbMacroses.IndexOfIgnoreCase(macro->Name()));
    SetStatus(i18n::FormatText(TranslateText("Macro saved: %s. %s"), {macro->Name(), AReason}));
  }
  FRecordedEvents.clear();
  FHasLastRecordedPoint = false;
}
