#pragma once

#include "ui/Geometry.h"

namespace platform {

// Physical pixels of the virtual desktop (origin at the primary monitor's top-left).
class Screen {
 public:
  virtual ~Screen() = default;
  // False when the position cannot be read.
  virtual bool CursorPos(ui::Point& p) = 0;
  // Bounding rectangle of all monitors.
  virtual ui::Rect VirtualDesktop() = 0;
  // The primary monitor minus the taskbar / panels, in the coordinates that window bounds
  // use (on Windows the same as above; on X11 the root window's, where windows are placed).
  virtual ui::Rect WorkArea() = 0;
};

}  // namespace platform
