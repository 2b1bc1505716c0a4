// A small X client for the fault scripts (tests/e2e/linux_faults.sh):
//   fault_helper grab LOGFILE   holds Ctrl+Shift+S before the program starts: grabs it on
//                               the root window, prints "ready" (or "refused"), and logs
//                               one line per press it receives until killed.
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

bool g_refused = false;
int OnError(Display*, XErrorEvent* e) {
  if (e->error_code == BadAccess) g_refused = true;
  return 0;
}

int Grab(Display* d, const char* logPath) {
  XSetErrorHandler(OnError);
  const Window root = DefaultRootWindow(d);
  XGrabKey(d, XKeysymToKeycode(d, XK_s), ControlMask | ShiftMask, root, False, GrabModeAsync,
           GrabModeAsync);
  XSync(d, False);
  std::puts(g_refused ? "refused" : "ready");
  std::fflush(stdout);
  if (g_refused) return 1;
  for (;;) {
    XEvent ev;
    XNextEvent(d, &ev);
    if (ev.type != KeyPress) continue;
    if (FILE* log = std::fopen(logPath, "a")) {
      std::fprintf(log, "press %lu\n", ev.xkey.time);
      std::fclose(log);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  Display* d = XOpenDisplay(nullptr);
  if (!d) {
    std::fprintf(stderr, "fault_helper: cannot open display\n");
    return 2;
  }
  if (argc == 3 && std::strcmp(argv[1], "grab") == 0) return Grab(d, argv[2]);
  std::fprintf(stderr, "usage: fault_helper grab LOGFILE\n");
  return 2;
}
