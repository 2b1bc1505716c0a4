// A paced stream of pointer moves through XTest, on absolute deadlines, alternating between
// points so every move, the first one too, really changes the position.
// Usage: xtest_mover INTERVAL_US COUNT X Y
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <time.h>

#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 5) return 2;
  const long intervalUs = std::atol(argv[1]);
  const long count = std::atol(argv[2]);
  const int x = std::atoi(argv[3]), y = std::atoi(argv[4]);
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
    XTestFakeMotionEvent(d, -1, x + static_cast<int>((i + 1) % 50), y + static_cast<int>((i + 1) % 2),
                         CurrentTime);
    XFlush(d);
  }
  XSync(d, False);
  XCloseDisplay(d);
  return 0;
}
