#pragma once

#include "base/Geometry.h"

namespace platform {

// Physical pixels of the virtual desktop (origin at the primary monitor's top-left).
class Screen {
 public:
  virtual ~Screen() = default;
  // False when the position cannot be read.
  virtual bool CursorPos(geometry::Point& p) = 0;
  // Bounding rectangle of all monitors.
  virtual geometry::Rect VirtualDesktop() = 0;
  // The primary monitor minus the taskbar / panels, in the coordinates that window bounds
  // use (on Windows the same as above; on X11 the root window's, where windows are placed).
  virtual geometry::Rect WorkArea() = 0;

  // For a watch that looks at the pointer many times a second beside a fast run: a recent
  // position that costs the calling thread no wait on the system (on X11 a query is a
  // round trip to the server, queued behind the run's clicks). Where reading the position
  // is cheap anyway, these are CursorPos and nothing.
  virtual void WatchPointer(bool on) { (void)on; }
  virtual bool RecentCursorPos(geometry::Point& p) { return CursorPos(p); }
};

}  // namespace platform
