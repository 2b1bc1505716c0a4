// The options dialog, the tray icon's menu and picking the target with the mouse.

#include "app/FrmMain.h"
#include "app/OptionsDialog.h"
#include "i18n/Format.h"
#include "i18n/Translation.h"
#include "ui/Guard.h"

namespace {
// The tray menu's entries, in their order.
enum TrayEntry { kTrayStart, kTrayStop, kTrayShow, kTrayOptions, kTrayExit };
}  // namespace

void TFrmMain::btnOptionsClick() {
  if (FRunning || FRecording || FWaitingForRecordStart || Busy()) return;
  app::TOptionsDialog dialog(svc_, {FRadius, FJitterMode, FCornerStop, FSpeed, FRecordKeys, FRecordWheel},
                             [this] { OpenHotkeyEditor(); });
  FOptionsOpen = true;
  const bool accepted = dialog.Execute();
  FOptionsOpen = false;
  if (!accepted) return;
  const app::OptionValues& v = dialog.Values();
  FRadius = v.radius;
  FJitterMode = v.jitterMode;
  FCornerStop = v.cornerStop;
  FSpeed = v.speed;
  FRecordKeys = v.recordKeys;
  FRecordWheel = v.recordWheel;
}

void TFrmMain::TrayIcon1ContextMenu(ui::Point screen) {
  const bool recorder = FRecording || FWaitingForRecordStart;
  const bool idle = !FRunning && !recorder && !Busy();
  const auto entry = [](const std::string& caption, bool enabled) {
    ui::MenuItem item;
    item.caption = caption;
    item.enabled = enabled;
    item.checkable = false;
    return item;
  };
  PopupMenuTray.SetItems({entry(TranslateText("Start"), idle),
                          entry(TranslateText("Stop"), (FRunning || recorder) && !Busy()),
                          entry(TranslateText("Show window"), true),
                          entry(TranslateText("Options..."), idle),
                          entry(TranslateText("Exit"), !Busy())});
  // The run's clicks land outside the menu and would close it at once: they wait while
  // it is open (a playback waits anyway, its loop is the one that opened the menu).
  const bool clicking = TimerClick.Enabled();
  TimerClick.SetEnabled(false);
  PopupMenuTray.Popup(screen);
  if (clicking && FRunning && !TimerClick.Enabled()) ScheduleNextClick();
}

void TFrmMain::PopupMenuTrayClick(int index) {
  // The state may have moved on while the menu was open.
  switch (index) {
    case kTrayStart:
      StartRun();
      break;
    case kTrayStop:
      if (FRecording || FWaitingForRecordStart)
        StopRecording(TranslateText("Recording stopped."));
      else if (FRunning)
        btnStopClick();
      break;
    case kTrayShow:
      ShowFromTray();
      break;
    case kTrayOptions:
      ShowFromTray();
      btnOptionsClick();
      break;
    case kTrayExit:
      if (!Busy()) Form.Close();
      break;
    default:
      break;
  }
}

void TFrmMain::StartPointPick() {
  if (FRunning || FRecording || FWaitingForRecordStart || Busy()) return;
  const bool taken = svc_.picker.Begin(
      [this](const platform::PickInput& input) { ui::Guarded([this, input] { PointPickInput(input); }); });
  if (!taken) {
    SetStatus(TranslateText("Another program holds the mouse: no point can be picked now."));
    return;
  }
  FPicking = true;
  FPointPick = clicker::PointPick(svc_.screen.VirtualDesktop());
  // Out of the way of the point, and still saying what it waits for (the compact window
  // has no status line).
  EnterRecUi(TranslateText("Click the point (Esc cancels)"));
}

void TFrmMain::PointPickInput(const platform::PickInput& input) {
  switch (FPointPick.Take(input)) {
    case clicker::PointPick::Step::Nothing:
      break;
    case clicker::PointPick::Step::Picked:
      EndPointPick();
      UsePickedPoint(FPointPick.Picked());
      break;
    case clicker::PointPick::Step::Cancelled:
      EndPointPick();
      SetStatus(TranslateText("Picking cancelled."));
      break;
  }
}

void TFrmMain::EndPointPick() {
  if (!FPicking) return;
  FPicking = false;
  svc_.picker.End();
  LeaveRecUi();
}

void TFrmMain::UsePickedPoint(ui::Point p) {
  edtCoordX.SetValue(p.x);
  edtCoordY.SetValue(p.y);
  rbCoordinates.SetChecked(true);
  SetStatus(i18n::FormatText(TranslateText("Point picked: %s, %s"), {std::to_string(p.x), std::to_string(p.y)}));
}
