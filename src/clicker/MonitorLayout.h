#pragma once

#include <vector>

#include "base/Geometry.h"

namespace clicker {

// One monitor as the window system reports it, in its own coordinates (on X11 the root
// window's, whose origin is the top-left of the whole screen).
struct Monitor {
  geometry::Rect rect;
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
  MonitorLayout(const std::vector<Monitor>& monitors, geometry::Rect whole);
  MonitorLayout() : MonitorLayout({}, {}) {}

  // The bounding rectangle of all monitors, in program coordinates.
  geometry::Rect VirtualDesktop() const;

  geometry::Point FromSystem(geometry::Point p) const { return {p.x - origin_.x, p.y - origin_.y}; }
  geometry::Point ToSystem(geometry::Point p) const { return {p.x + origin_.x, p.y + origin_.y}; }

  // The system pixel an absolute 0..65535 move over the virtual desktop lands on.
  geometry::Point AbsoluteToSystem(int dx, int dy) const;

  // The primary monitor's part of the work area the window manager publishes for the whole
  // screen (system coordinates in and out: windows are placed in them). A published area
  // that misses the primary monitor says nothing about it: the monitor itself is returned.
  // Without a primary monitor the published area is the answer.
  geometry::Rect PrimaryWorkArea(geometry::Rect published) const;

 private:
  geometry::Rect bounds_;   // system coordinates
  geometry::Point origin_;  // the program's 0, 0 in system coordinates
  bool havePrimary_ = false;
  geometry::Rect primary_;  // system coordinates
};

}  // namespace clicker
