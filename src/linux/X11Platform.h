#pragma once

#include <memory>
#include <string>

#include "platform/Hotkeys.h"
#include "platform/MouseHook.h"
#include "platform/MouseInput.h"
#include "platform/PointPicker.h"
#include "platform/Screen.h"
#include "ui/Geometry.h"

namespace linuxdesktop {

// The machine services of the X11 session: synthetic mouse input (XTest), cursor and
// desktop geometry, global hotkeys and the global mouse hook. Everything it reports arrives
// on the UI thread through the Qt event loop; it needs a QCoreApplication to exist.
// Xlib stays out of this header: its macros (None, Bool, Status...) clash with Qt.
class X11Platform {
 public:
  // nullptr and a clear, user-readable `error` when there is no X11 display or XTEST is
  // missing. Without RECORD it opens: only the mouse hook (recording) is unavailable.
  static std::unique_ptr<X11Platform> Open(std::string& error);
  ~X11Platform();
  X11Platform(const X11Platform&) = delete;
  X11Platform& operator=(const X11Platform&) = delete;

  platform::MouseInputSink& Mouse();
  platform::Screen& Screen();
  platform::HotkeyRegistrar& Hotkeys();
  platform::MouseHook& Hook();
  platform::PointPicker& Picker();

  struct Parts;

 private:
  explicit X11Platform(std::unique_ptr<Parts> parts);
  std::unique_ptr<Parts> parts_;
};

}  // namespace linuxdesktop
