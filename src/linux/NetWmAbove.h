#pragma once

namespace linuxdesktop {

// Asks the window manager to put a mapped top-level window in or out of the "above" band
// (_NET_WM_STATE_ABOVE), without moving it. `display` is the Xlib Display of the window.
void RequestNetWmAbove(void* display, unsigned long window, bool on);

}  // namespace linuxdesktop
