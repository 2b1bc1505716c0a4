#include "linux/SessionCheck.h"

#include <X11/Xlib.h>

#include <cstdlib>

namespace linuxdesktop {

bool CanReachX11Display(std::string& why) {
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    why = (wayland && *wayland)
              ? "This is a Wayland session without an X server (XWayland): QEL Auto Clicker needs "
                "an X11 session to send mouse input and to listen for hotkeys. Log in to an X11 "
                "session, or enable XWayland."
              : "No X11 display: the DISPLAY environment variable is not set. QEL Auto Clicker "
                "needs an X11 session.";
    return false;
  }
  Display* d = XOpenDisplay(name);
  if (!d) {
    why = std::string("Cannot connect to the X11 display \"") + name +
          "\". QEL Auto Clicker needs a running X11 session.";
    return false;
  }
  XCloseDisplay(d);
  return true;
}

}  // namespace linuxdesktop
