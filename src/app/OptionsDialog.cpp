#include "app/OptionsDialog.h"

#include <utility>

#include "clicker/DiscPoint.h"
#include "clicker/IntervalDraw.h"
#include "i18n/Translation.h"
#include "macros/PlaybackSpeed.h"

namespace app {

namespace {

ui::WindowSpec DialogSpec() {
  ui::WindowSpec spec;
  spec.clientWidth = 400;
  spec.clientHeight = 248;
  spec.mainWindow = false;
  return spec;
}

}  // namespace

TOptionsDialog::TOptionsDialog(Services& services, const OptionValues& initial, std::function<void()> openHotkeys)
    : Form(services.widgets, DialogSpec()),
      lblRadius(Form, {12, 19, 280, 17}, ""),
      seRadius(Form, {300, 16, 88, 24}, 0, clicker::kMaxRadius, initial.radius),
      lblJitterMode(Form, {12, 53, 140, 17}, ""),
      cbJitterMode(Form, {156, 50, 232, 23}),
      chkCornerStop(Form, {12, 86, 376, 20}, ""),
      chkRecordKeys(Form, {12, 112, 376, 20}, ""),
      chkRecordWheel(Form, {12, 138, 376, 20}, ""),
      lblSpeed(Form, {12, 171, 280, 17}, ""),
      seSpeed(Form, {300, 168, 88, 24}, macros::kMinSpeed, macros::kMaxSpeed, initial.speed),
      btnHotkeys(Form, {12, 212, 110, 25}, ""),
      btnOk(Form, {210, 212, 85, 25}, ""),
      btnCancel(Form, {303, 212, 85, 25}, ""),
      values_(initial),
      openHotkeys_(std::move(openHotkeys)) {
  chkCornerStop.SetChecked(initial.cornerStop);
  chkRecordKeys.SetChecked(initial.recordKeys);
  chkRecordWheel.SetChecked(initial.recordWheel);
  btnHotkeys.OnClick = [this] {
    if (openHotkeys_) openHotkeys_();
  };
  btnOk.OnClick = [this] { OkClick(); };
  btnCancel.OnClick = [this] { CancelClick(); };
  // The close box, Esc and the window manager's close are a Cancel.
  Form.OnClose = [this] { accepted_ = false; };
}

bool TOptionsDialog::Execute() {
  Form.SetCaption(TranslateText("Options"));
  lblRadius.SetCaption(TranslateText("Random spread around X/Y (px):"));
  lblJitterMode.SetCaption(TranslateText("Jitter:"));
  cbJitterMode.SetItems({TranslateText("-J, 0 or +J"), TranslateText("Any value within +/-J"),
                         TranslateText("Mostly near the interval")});
  static_assert(clicker::kJitterModeCount == 3, "one entry a jitter mode");
  cbJitterMode.SetItemIndex(values_.jitterMode);
  chkCornerStop.SetCaption(TranslateText("Stop when the pointer reaches a screen corner"));
  chkRecordKeys.SetCaption(TranslateText("Record keys in macros (never the hotkeys)"));
  chkRecordWheel.SetCaption(TranslateText("Record wheel turns in macros"));
  lblSpeed.SetCaption(TranslateText("Macro playback speed (%):"));
  btnHotkeys.SetCaption(TranslateText("Hotkeys..."));
  btnOk.SetCaption(TranslateText("OK"));
  btnCancel.SetCaption(TranslateText("Cancel"));
  accepted_ = false;
  Form.ShowModal();
  return accepted_;
}

void TOptionsDialog::OkClick() {
  values_.radius = seRadius.Value();
  // A list with nothing chosen keeps the mode it came with.
  if (cbJitterMode.ItemIndex() >= 0) values_.jitterMode = cbJitterMode.ItemIndex();
  values_.cornerStop = chkCornerStop.Checked();
  values_.speed = seSpeed.Value();
  values_.recordKeys = chkRecordKeys.Checked();
  values_.recordWheel = chkRecordWheel.Checked();
  Finish(true);
}

void TOptionsDialog::CancelClick() { Finish(false); }

void TOptionsDialog::Finish(bool accepted) {
  Form.Close();
  accepted_ = accepted;
}

}  // namespace app
