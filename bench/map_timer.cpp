// Start-up time to the window: starts a program and waits for the X server to map a top-level
// window whose name contains a given text, without polling.
// Usage: map_timer NAME_PART TIMEOUT_S PROGRAM [ARGS...]
// Prints "<milliseconds from exec to the MapNotify> <pid>" and exits, leaving the program
// running for the caller to end; prints "timeout <pid>" and exits 1 if no such window appears.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
std::int64_t NowUs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

// _NET_WM_NAME first (Qt and Wine set it as UTF-8), WM_NAME otherwise.
std::string WindowName(Display* d, Window w) {
  std::string name;
  XTextProperty prop{};
  const Atom net = XInternAtom(d, "_NET_WM_NAME", False);
  if (XGetTextProperty(d, w, &prop, net) && prop.value) {
    name.assign(reinterpret_cast<char*>(prop.value), prop.nitems);
    XFree(prop.value);
    return name;
  }
  char* wm = nullptr;
  if (XFetchName(d, w, &wm) && wm) {
    name = wm;
    XFree(wm);
  }
  return name;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: map_timer NAME_PART TIMEOUT_S PROGRAM [ARGS...]\n");
    return 2;
  }
  const char* part = argv[1];
  const std::int64_t timeoutUs = static_cast<std::int64_t>(std::atof(argv[2]) * 1e6);
  Display* d = XOpenDisplay(nullptr);
  if (!d) {
    std::fprintf(stderr, "map_timer: cannot open display\n");
    return 1;
  }
  // Top-level windows are the root's children; a window manager reparents them, so frames
  // are checked too by looking at the mapped window's own name and its children's.
  XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
  XSync(d, False);

  const std::int64_t start = NowUs();
  const pid_t pid = fork();
  if (pid == 0) {
    close(ConnectionNumber(d));
    execvp(argv[3], argv + 3);
    _exit(127);
  }
  pollfd pfd{ConnectionNumber(d), POLLIN, 0};
  while (NowUs() - start < timeoutUs) {
    if (!XPending(d)) {
      poll(&pfd, 1, 20);
      continue;
    }
    XEvent e;
    XNextEvent(d, &e);
    if (e.type != MapNotify) continue;
    const std::int64_t t = NowUs();
    bool found = WindowName(d, e.xmap.window).find(part) != std::string::npos;
    if (!found) {
      Window root = 0, parent = 0, *kids = nullptr;
      unsigned n = 0;
      if (XQueryTree(d, e.xmap.window, &root, &parent, &kids, &n)) {
        for (unsigned i = 0; i < n && !found; ++i)
          found = WindowName(d, kids[i]).find(part) != std::string::npos;
        if (kids) XFree(kids);
      }
    }
    if (found) {
      std::printf("%.1f %d\n", static_cast<double>(t - start) / 1000.0, static_cast<int>(pid));
      XCloseDisplay(d);
      return 0;
    }
  }
  std::printf("timeout %d\n", static_cast<int>(pid));
  XCloseDisplay(d);
  return 1;
}
