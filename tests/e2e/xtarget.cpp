// A plain X window that records every button press it receives, one line per press:
// "button x y time" (window coordinates, server time in ms), flushed at once, so a test
// can count the clicks a program sends to it.
// With XTARGET_KEYS=FILE in the environment it also takes the keyboard and writes the
// name of every key typed into it to FILE, one a line, so a test can see where keys went.
// With XTARGET_OVERRIDE=1 the window bypasses the window manager: no frame, exactly the
// place asked for, so that it can cover the screen's edges and corners.
//   xtarget TITLE OUTFILE [X Y W H]
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s TITLE OUTFILE [X Y W H]\n", argv[0]);
    return 2;
  }
  const int x = argc > 4 ? std::atoi(argv[3]) : 20;
  const int y = argc > 4 ? std::atoi(argv[4]) : 20;
  const unsigned w = argc > 6 ? static_cast<unsigned>(std::atoi(argv[5])) : 300;
  const unsigned h = argc > 6 ? static_cast<unsigned>(std::atoi(argv[6])) : 300;
  FILE* out = std::fopen(argv[2], "w");
  if (!out) {
    std::perror(argv[2]);
    return 1;
  }
  Display* d = XOpenDisplay(nullptr);
  if (!d) {
    std::fprintf(stderr, "xtarget: cannot open display\n");
    return 1;
  }
  const int screen = DefaultScreen(d);
  Window win = XCreateSimpleWindow(d, RootWindow(d, screen), x, y, w, h, 0, BlackPixel(d, screen),
                                   0x3060A0);
  const char* override = std::getenv("XTARGET_OVERRIDE");
  if (override && std::strcmp(override, "1") == 0) {
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    XChangeWindowAttributes(d, win, CWOverrideRedirect, &attributes);
  }
  XStoreName(d, win, argv[1]);
  // Keep the place asked for, whatever the window manager prefers.
  XSizeHints hints{};
  hints.flags = USPosition | PPosition | USSize;
  hints.x = x;
  hints.y = y;
  hints.width = static_cast<int>(w);
  hints.height = static_cast<int>(h);
  XSetWMNormalHints(d, win, &hints);
  const char* keysPath = std::getenv("XTARGET_KEYS");
  FILE* keys = keysPath ? std::fopen(keysPath, "w") : nullptr;
  if (keysPath && !keys) {
    std::perror(keysPath);
    return 1;
  }
  XSelectInput(d, win, ButtonPressMask | StructureNotifyMask | (keys ? KeyPressMask : 0));
  Atom wmDelete = XInternAtom(d, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(d, win, &wmDelete, 1);
  XMapWindow(d, win);
  XFlush(d);
  for (;;) {
    XEvent e;
    XNextEvent(d, &e);
    if (e.type == ButtonPress) {
      std::fprintf(out, "%u %d %d %lu\n", e.xbutton.button, e.xbutton.x, e.xbutton.y,
                   static_cast<unsigned long>(e.xbutton.time));
      std::fflush(out);
    } else if (e.type == KeyPress && keys) {
      const KeySym sym = XLookupKeysym(&e.xkey, 0);
      const char* name = XKeysymToString(sym);
      std::fprintf(keys, "%s\n", name ? name : "?");
      std::fflush(keys);
    } else if (e.type == ClientMessage && static_cast<Atom>(e.xclient.data.l[0]) == wmDelete) {
      break;
    }
  }
  XDestroyWindow(d, win);
  XCloseDisplay(d);
  std::fclose(out);
  if (keys) std::fclose(keys);
  return 0;
}
