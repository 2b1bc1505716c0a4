// The machine's limit: a bare XTest click loop paced on absolute deadlines.
// Usage: xtest_loop INTERVAL_US COUNT [LATENESS_FILE]
// With LATENESS_FILE, writes how late each click was sent after its deadline (microseconds,
// one a line): the loop catches up on a late wake-up with a burst, where the program merges
// the ticks it missed, so its press log alone hides the wake-ups that would have cost ticks.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const long intervalUs = std::atol(argv[1]);
  const long count = std::atol(argv[2]);
  Display* d = XOpenDisplay(nullptr);
  if (!d) return 1;
  std::vector<long> lateUs;
  if (argc > 3) lateUs.reserve(static_cast<std::size_t>(count));
  timespec next{};
  clock_gettime(CLOCK_MONOTONIC, &next);
  for (long i = 0; i < count; ++i) {
    next.tv_nsec += intervalUs * 1000;
    while (next.tv_nsec >= 1000000000L) {
      next.tv_nsec -= 1000000000L;
      ++next.tv_sec;
    }
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
    if (argc > 3) {
      timespec now{};
      clock_gettime(CLOCK_MONOTONIC, &now);
      lateUs.push_back((now.tv_sec - next.tv_sec) * 1000000L + (now.tv_nsec - next.tv_nsec) / 1000);
    }
    XTestFakeButtonEvent(d, 1, True, CurrentTime);
    XTestFakeButtonEvent(d, 1, False, CurrentTime);
    XFlush(d);
  }
  XSync(d, False);
  XCloseDisplay(d);
  if (argc > 3) {
    FILE* f = std::fopen(argv[3], "w");
    if (!f) return 1;
    for (long l : lateUs) std::fprintf(f, "%ld\n", l);
    std::fclose(f);
  }
  return 0;
}
