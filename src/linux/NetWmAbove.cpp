#include "linux/NetWmAbove.h"

#include <X11/Xlib.h>

namespace linuxdesktop {

void RequestNetWmAbove(void* display, unsigned long window, bool on) {
  auto* d = static_cast<Display*>(display);
  if (!d || !window) return;
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = window;
  e.xclient.message_type = XInternAtom(d, "_NET_WM_STATE", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = on ? 1 : 0;  // _NET_WM_STATE_ADD / _REMOVE
  e.xclient.data.l[1] = static_cast<long>(XInternAtom(d, "_NET_WM_STATE_ABOVE", False));
  e.xclient.data.l[2] = 0;
  e.xclient.data.l[3] = 1;  // a normal application asks
  XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
  XFlush(d);
}

}  // namespace linuxdesktop
