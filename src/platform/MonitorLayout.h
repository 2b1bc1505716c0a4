#pragma once

#include <vector>

#include "ui/Geometry.h"

namespace platform {

// One monitor as the window system reports it, in its own coordinates (on X11 the root
// window's, whose origin is the top-left of the whole screen).
struct Monitor {
  ui::Rect rect;
  bool primary = false;
};

// The program's screen coordinates are those of Windows: the primary monitor's top-left is
// 0, 0, and monitors left of or above it have negative coordinates. A window system whose
// origin lies elsewhere reports its monitors; this turns its points into the program's and
// back. With one monitor at the system's origin both systems are the same, and so they are
// when no monitor is flagged primary: then nothing tells where Windows would put 0, 0.
class MonitorLayout {
 public:
  // `whole` is the system's screen, used when no monitor is known.
  MonitorLayout(const std::vector<Monitor>& monitors, ui::Rect whole);
  MonitorLayout() : MonitorLayout({}, {}) {}

  // The bounding rectangle of all monitors, in program coordinates.
  ui::Rect VirtualDesktop() const;

  ui::Point FromSystem(ui::Point p) const { return {p.x - origin_.x, p.y - origin_.y}; }
  ui::Point ToSystem(ui::Point p) const { return {p.x + origin_.x, p.y + origin_.y}; }

  // The system pixel an absolute 0..65535 move over the virtual desktop lands on.
  ui::Point AbsoluteToSystem(int dx, int dy) const;

  // The primary monitor's part of the work area the window manager publishes for the whole
  // screen (system coordinates in and out: windows are placed in them). A published area
  // that misses the primary monitor says nothing about it: the monitor itself is returned.
  // Without a primary monitor the published area is the answer.
  ui::Rect PrimaryWorkArea(ui::Rect published) const;

 private:
  ui::Rect bounds_;   // system coordinates
  ui::Point origin_;  // the program's 0, 0 in system coordinates
  bool havePrimary_ = false;
  ui::Rect primary_;  // system coordinates
};

}  // namespace platform
