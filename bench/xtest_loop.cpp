// The machine's limit: a bare XTest click loop paced on absolute deadlines.
// Usage: xtest_loop INTERVAL_US COUNT
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const long intervalUs = std::atol(argv[1]);
  const long count = std::atol(argv[2]);
  Display* d = XOpenDisplay(nullptr);
  if (!d) return 1;
  timespec next{};
  clock_gettime(CLOCK_MONOTONIC, &next);
  for (long i = 0; i < count; ++i) {
    next.tv_nsec += intervalUs * 1000;
    while (next.tv_nsec >= 1000000000L) {
      next.tv_nsec -= 1000000000L;
      ++next.tv_sec;
    }
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
    XTestFakeButtonEvent(d, 1, True, CurrentTime);
    XTestFakeButtonEvent(d, 1, False, CurrentTime);
    XFlush(d);
  }
  XSync(d, False);
  XCloseDisplay(d);
  return 0;
}
