#pragma once

#include <functional>

#include "app/Services.h"
#include "ui/WidgetFactory.h"

namespace app {

// The settings that have no control in the main window.
struct OptionValues {
  int radius = 0;      // the spread of a coordinates click, pixels
  int jitterMode = 0;  // how the jitter is drawn (clicker/IntervalDraw.h)
  bool cornerStop = false;
  int speed = 100;  // macro playback, percent
  bool recordKeys = false;   // a recording adds the keyboard's keys
  bool recordWheel = false;  // ... and the wheel's notches
  bool operator==(const OptionValues&) const = default;
};

// The options dialog: what it shows is read back only when OK is pressed, so Cancel, Esc
// and the close box change nothing.
class TOptionsDialog {
 public:
  TOptionsDialog(Services& services, const OptionValues& initial, std::function<void()> openHotkeys);

  // Runs the dialog; true when OK was pressed, and Values() then holds what it showed.
  bool Execute();
  const OptionValues& Values() const { return values_; }

  ui::Window Form;
  ui::Label lblRadius;
  ui::SpinEdit seRadius;
  ui::Label lblJitterMode;
  ui::ComboBox cbJitterMode;
  ui::CheckBox chkCornerStop;
  ui::CheckBox chkRecordKeys;
  ui::CheckBox chkRecordWheel;
  ui::Label lblSpeed;
  ui::SpinEdit seSpeed;
  ui::Button btnHotkeys;
  ui::Button btnOk;
  ui::Button btnCancel;

  void OkClick();
  void CancelClick();

 private:
  void Finish(bool accepted);

  OptionValues values_;
  std::function<void()> openHotkeys_;
  bool accepted_ = false;
};

}  // namespace app
