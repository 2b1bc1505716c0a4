#include <algorithm>
#include <cmath>

#include "app/FrmMain.h"
#include "base/ClickChoices.h"
#include "clicker/AbsoluteCoord.h"

namespace clicker {

int ToAbsoluteCoord(int value, int origin, int extent) {
  if (extent <= 1) return 0;
  const double scaled = (static_cast<double>(value) - origin) * 65535.0 / (extent - 1);
  // nearbyint rounds ties to even in the default rounding mode.
  const double rounded = std::nearbyint(scaled);
  return static_cast<int>(std::clamp(rounded, 0.0, 65535.0));
}

}  // namespace clicker

namespace {
std::uint32_t ButtonFlag(int button, bool down) {
  switch (button) {
    case mbLeft: return down ? platform::kMouseLeftDown : platform::kMouseLeftUp;
    case mbRight: return down ? platform::kMouseRightDown : platform::kMouseRightUp;
    case mbMiddle: return down ? platform::kMouseMiddleDown : platform::kMouseMiddleUp;
    default: return 0;  // an input that presses or releases nothing
  }
}
}  // namespace

void TFrmMain::MoveMouseTo(int AX, int AY) {
  const ui::Rect desk = svc_.screen.VirtualDesktop();
  platform::MouseInputRecord r;
  r.dx = clicker::ToAbsoluteCoord(AX, desk.left, desk.width);
  r.dy = clicker::ToAbsoluteCoord(AY, desk.top, desk.height);
  r.flags = platform::kMouseMove | platform::kMouseVirtualDesk | platform::kMouseAbsolute;
  svc_.mouse.Send(r);
}

void TFrmMain::SendMouseDown(int AButton) { svc_.mouse.Send({0, 0, ButtonFlag(AButton, true)}); }
void TFrmMain::SendMouseUp(int AButton) { svc_.mouse.Send({0, 0, ButtonFlag(AButton, false)}); }

void TFrmMain::SendClick(int AButton) {
  SendMouseDown(AButton);
  SendMouseUp(AButton);
}

void TFrmMain::SendDoubleClick(int AButton) {
  SendClick(AButton);
  SendClick(AButton);
}

ui::Point TFrmMain::GetTargetPoint() {
  if (rbCoordinates.Checked()) {
    // A text that is not a whole number counts as 0, the fields' minimum.
    return {edtCoordX.Value(), edtCoordY.Value()};
  }
  if (rbCurrentCursorPosition.Checked()) {
    ui::Point p;
    if (svc_.screen.CursorPos(p)) return p;
  }
  return {0, 0};
}

void TFrmMain::PerformClick(const ui::Point& APoint) {
  const int button = std::max(cbButton.ItemIndex(), int{mbLeft});
  const int type = std::max(cbClickType.ItemIndex(), int{ctSingle});
  const int hold = seHoldMs.Value();
  if (rbCoordinates.Checked()) MoveMouseTo(APoint.x, APoint.y);
  switch (type) {
    case ctDouble:
      SendDoubleClick(button);
      break;
    case ctHold:
      SendMouseDown(button);
      if (hold > 0) svc_.clock.Sleep(static_cast<std::uint32_t>(hold));
      SendMouseUp(button);
      break;
    default:
      SendClick(button);
      break;
  }
}
