// Counts every button press the X server delivers, as seen by one XInput 2.2 client that
// listens to raw presses on the root window, and stamps each with CLOCK_MONOTONIC.
// Usage: press_counter [--releases] OUTFILE [SECONDS]
// Writes one line per press: "<microseconds> <button>", flushed when it exits (SIGTERM/SIGINT
// or after SECONDS). With --releases, releases are logged too, as "<microseconds> <button> up",
// so hold times can be read off. Prints "ready" on stdout once it listens.
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <poll.h>
#include <signal.h>
#include <time.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
volatile sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

std::int64_t NowUs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}
}  // namespace

int main(int argc, char** argv) {
  bool releases = false;
  if (argc > 1 && std::strcmp(argv[1], "--releases") == 0) {
    releases = true;
    --argc;
    ++argv;
  }
  if (argc < 2) {
    std::fprintf(stderr, "usage: press_counter [--releases] OUTFILE [SECONDS]\n");
    return 2;
  }
  const double seconds = argc > 2 ? std::atof(argv[2]) : 0;
  Display* d = XOpenDisplay(nullptr);
  if (!d) {
    std::fprintf(stderr, "press_counter: cannot open display\n");
    return 1;
  }
  int opcode = 0, ev = 0, err = 0;
  int major = 2, minor = 2;
  if (!XQueryExtension(d, "XInputExtension", &opcode, &ev, &err) ||
      XIQueryVersion(d, &major, &minor) != Success) {
    std::fprintf(stderr, "press_counter: XInput 2.2 missing\n");
    return 1;
  }
  unsigned char mask[XIMaskLen(XI_LASTEVENT)] = {};
  XISetMask(mask, XI_RawButtonPress);
  if (releases) XISetMask(mask, XI_RawButtonRelease);
  XIEventMask em{XIAllMasterDevices, sizeof(mask), mask};
  XISelectEvents(d, DefaultRootWindow(d), &em, 1);
  XSync(d, False);

  signal(SIGTERM, OnSignal);
  signal(SIGINT, OnSignal);
  // A negative button marks a release.
  std::vector<std::pair<std::int64_t, int>> presses;
  presses.reserve(1 << 20);
  std::printf("ready\n");
  std::fflush(stdout);

  const std::int64_t start = NowUs();
  pollfd pfd{ConnectionNumber(d), POLLIN, 0};
  while (!g_stop) {
    if (seconds > 0 && NowUs() - start > static_cast<std::int64_t>(seconds * 1e6)) break;
    if (!XPending(d)) {
      poll(&pfd, 1, 50);
      continue;
    }
    while (XPending(d)) {
      XEvent e;
      XNextEvent(d, &e);
      const std::int64_t t = NowUs();
      if (e.xcookie.type == GenericEvent && e.xcookie.extension == opcode &&
          XGetEventData(d, &e.xcookie)) {
        if (e.xcookie.evtype == XI_RawButtonPress) {
          auto* raw = static_cast<XIRawEvent*>(e.xcookie.data);
          presses.emplace_back(t, raw->detail);
        } else if (e.xcookie.evtype == XI_RawButtonRelease) {
          auto* raw = static_cast<XIRawEvent*>(e.xcookie.data);
          presses.emplace_back(t, -raw->detail);
        }
        XFreeEventData(d, &e.xcookie);
      }
    }
  }
  FILE* out = std::fopen(argv[1], "w");
  if (!out) return 1;
  for (auto& [t, b] : presses) {
    if (b < 0)
      std::fprintf(out, "%lld %d up\n", static_cast<long long>(t), -b);
    else
      std::fprintf(out, "%lld %d\n", static_cast<long long>(t), b);
  }
  std::fclose(out);
  XCloseDisplay(d);
  return 0;
}
