#include <cstdint>

#include "app/FrmMain.h"
#include "clicker/DiscPoint.h"
#include "clicker/IntervalDraw.h"
#include "i18n/Format.h"
#include "i18n/Translation.h"

int TFrmMain::GetIntervalMs() const {
  // With every field in range the sum fits in 32 bits (at most 86399999).
  const std::int32_t interval = seHours.Value() * 3600000 + seMinutes.Value() * 60000 +
                                seSeconds.Value() * 1000 + seMillis.Value();
  return interval == 0 ? 1 : interval;
}

void TFrmMain::ScheduleNextClick() {
  const int amplitude = chkJitter.Checked() ? seJitterMs.Value() : 0;
  const int interval = clicker::DrawIntervalMs(FJitterMode, GetIntervalMs(), amplitude, jitterRng_);
  TimerClick.SetInterval(static_cast<unsigned>(interval));
  TimerClick.SetEnabled(true);
}

void TFrmMain::StartRun() {
  if (FRunning || FRecording || FWaitingForRecordStart) return;
  if (rbMacros.Checked() && !GetSelectedMacro()) {
    svc_.dialogs.MessageBox(ui::MsgKind::Information,
                            TranslateText("Please select a macro to play back."), ui::MsgButtons::Ok);
    return;
  }
  btnStart.SetEnabled(false);
  btnStop.SetEnabled(true);
  SetStatus(TranslateText("Started"));
  FClicksDone = 0;
  FRunning = true;
  FStopPlaybackRequested = false;
  FRunDesk = svc_.screen.VirtualDesktop();
  UpdateCornerWatch();
  if (chkMinimizeToTrayOnStart.Checked())
    HideToTray();
  else
    EnterRecUi(i18n::FormatText(TranslateText("Running... Press %s to stop"), {RunStopHotkeyText()}));
  if (seStartDelaySS.Value() > 0) {
    TimerDelay.SetInterval(static_cast<unsigned>(seStartDelaySS.Value()) * 1000u);
    TimerDelay.SetEnabled(true);
  } else if (rbMacros.Checked()) {
    StartMacroPlayback();
  } else {
    ScheduleNextClick();
  }
}

void TFrmMain::TimerDelayTimer() {
  TimerDelay.SetEnabled(false);
  if (!chkMinimizeToTrayOnStart.Checked())
    EnterRecUi(i18n::FormatText(TranslateText("Running... Press %s to stop"), {RunStopHotkeyText()}));
  if (rbMacros.Checked())
    StartMacroPlayback();
  else
    ScheduleNextClick();
}

void TFrmMain::TimerClickTimer() {
  if (!FRunning) return;
  if (rbRepeatCount.Checked() && FClicksDone >= static_cast<std::uint64_t>(seRepeat.Value())) {
    StopRun(TranslateText("Completed repeat count. Clicks done: ") + std::to_string(FClicksDone));
    return;
  }
  // Only a coordinates run uses the point. Asking for it in the other modes would put a
  // cursor query, a server round trip on X11, between the tick and the click.
  ui::Point point{0, 0};
  if (rbCoordinates.Checked())
    point = clicker::DrawPointInDisc(GetTargetPoint(), FRadius, FRunDesk, jitterRng_);
  PerformClick(point);
  ++FClicksDone;
  ScheduleNextClick();
}

void TFrmMain::StopRun(const std::string& AMessage) {
  if (!FRunning) return;
  btnStart.SetEnabled(true);
  btnStop.SetEnabled(false);
  FRunning = false;
  FHotkeyDecider.RunEnded();
  FStopPlaybackRequested = true;
  TimerClick.SetEnabled(false);
  TimerDelay.SetEnabled(false);
  UpdateCornerWatch();
  SetStatus(AMessage);
  if (FRecUiActive && !FRecording && !FWaitingForRecordStart) LeaveRecUi();
  FHiddenForMacroPlayback = false;
  if (!Form.Visible() || Form.Minimized()) ShowFromTray();
}

void TFrmMain::btnStartClick() { StartRun(); }

void TFrmMain::btnStopClick() {
  if (rbMacros.Checked())
    StopRun(TranslateText("Stopped by button. Runs done: ") + std::to_string(FClicksDone));
  else
    StopRun(TranslateText("Stopped by button. Clicks done: ") + std::to_string(FClicksDone));
}

void TFrmMain::UpdateCornerWatch() {
  const bool armed = FCornerStop && (FRunning || FRecording || FWaitingForRecordStart);
  if (armed && !TimerCorner.Enabled()) {
    const ui::Rect desk = svc_.screen.VirtualDesktop();
    FCornerRule = clicker::CornerRule(desk);
    // The run's own target may sit in a corner; the pointer it puts there is no signal.
    if (FRunning && rbCoordinates.Checked()) {
      FCornerRule.ExcludeTarget({edtCoordX.Value(), edtCoordY.Value()}, FRadius);
    } else if (FRunning && rbMacros.Checked()) {
      if (const MacroPtr macro = GetSelectedMacro()) {
        for (const TMacroMouseEvent& e : macro->Events()) FCornerRule.ExcludeTarget({e.X, e.Y});
      }
    }
  }
  TimerCorner.SetEnabled(armed);
  svc_.screen.WatchPointer(armed);
}

void TFrmMain::TimerCornerTimer() {
  if (!FCornerStop || !(FRunning || FRecording || FWaitingForRecordStart)) {
    TimerCorner.SetEnabled(false);
    svc_.screen.WatchPointer(false);
    return;
  }
  ui::Point p;
  if (svc_.screen.RecentCursorPos(p) && FCornerRule.Hit(p)) StopForCorner();
}

void TFrmMain::StopForCorner() {
  TimerCorner.SetEnabled(false);
  svc_.screen.WatchPointer(false);
  if (FRecording || FWaitingForRecordStart) {
    StopRecording(TranslateText("Recording stopped: pointer in a screen corner."));
  } else if (rbMacros.Checked()) {
    StopRun(TranslateText("Stopped: pointer in a screen corner. Runs done: ") + std::to_string(FClicksDone));
  } else {
    StopRun(TranslateText("Stopped: pointer in a screen corner. Clicks done: ") + std::to_string(FClicksDone));
  }
}

