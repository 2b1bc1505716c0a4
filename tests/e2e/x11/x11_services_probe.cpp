// Drives the X11 machine services against a real X server and checks what arrives there.
//   x11_services_probe x11       all X11 checks (needs DISPLAY, no window manager)
//   x11_services_probe workarea  prints the work area and the desktop (run under a WM)
//   x11_services_probe system    clock, environment, registry and shell (no display)
//   x11_services_probe clicks N  N moves and clicks, nothing else (counted from outside)
// Exit code 0 when every check passed; each failure is printed with what was expected.

#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QEventLoop>
#include <QtCore/QTimer>

#include "linux/SystemServices.h"
#include "settings/ProfileFile.h"
#include "linux/X11Platform.h"

#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xrandr.h>

#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "clicker/AbsoluteCoord.h"
#include "hotkeys/HotkeyData.h"
#include "hotkeys/VkKeysyms.h"
#include "platform/Files.h"

namespace {

int g_failures = 0;
#define CHECK(cond, ...)                                                 \
  do {                                                                   \
    if (!(cond)) {                                                       \
      ++g_failures;                                                      \
      std::printf("FAIL %s:%d: %s — ", __FILE__, __LINE__, #cond);       \
      std::printf(__VA_ARGS__);                                          \
      std::printf("\n");                                                 \
    }                                                                    \
  } while (0)

void Spin(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

bool SpinUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > timeoutMs) return false;
    Spin(5);
  }
  return true;
}

void Run(const std::string& command) {
  if (std::system(command.c_str()) != 0) std::printf("note: \"%s\" failed\n", command.c_str());
}

platform::MouseInputRecord MoveTo(int x, int y, const ui::Rect& desk) {
  return {clicker::ToAbsoluteCoord(x, desk.left, desk.width),
          clicker::ToAbsoluteCoord(y, desk.top, desk.height),
          platform::kMouseMove | platform::kMouseVirtualDesk | platform::kMouseAbsolute};
}

// A second client of the same server: the test's own eyes and hands.
struct Helper {
  Display* dpy = XOpenDisplay(nullptr);
  ~Helper() {
    if (dpy) XCloseDisplay(dpy);
  }
};

int g_helperErrors = 0;
int CountErrors(Display*, XErrorEvent*) {
  ++g_helperErrors;
  return 0;
}

// --- screen --------------------------------------------------------------------------------

void CheckScreen(linuxdesktop::X11Platform& x, Helper& h) {
  Window root = DefaultRootWindow(h.dpy);
  XWindowAttributes a;
  XGetWindowAttributes(h.dpy, root, &a);
  const ui::Rect desk = x.Screen().VirtualDesktop();
  CHECK(desk.left == 0 && desk.top == 0 && desk.width == a.width && desk.height == a.height,
        "desktop %d,%d %dx%d, root %dx%d", desk.left, desk.top, desk.width, desk.height, a.width,
        a.height);
  ui::Rect wa = x.Screen().WorkArea();
  CHECK(wa.left == 0 && wa.top == 0 && wa.width == a.width && wa.height == a.height,
        "no window manager: work area %d,%d %dx%d should be the root", wa.left, wa.top, wa.width,
        wa.height);

  // A manager's work area of the current desktop (the second of two here).
  const Atom workArea = XInternAtom(h.dpy, "_NET_WORKAREA", False);
  const Atom current = XInternAtom(h.dpy, "_NET_CURRENT_DESKTOP", False);
  long areas[8] = {0, 0, a.width, a.height - 40, 10, 20, a.width - 110, a.height - 60};
  long desktop = 1;
  XChangeProperty(h.dpy, root, workArea, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(areas), 8);
  XChangeProperty(h.dpy, root, current, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&desktop), 1);
  XSync(h.dpy, False);
  wa = x.Screen().WorkArea();
  CHECK(wa.left == 10 && wa.top == 20 && wa.width == a.width - 110 && wa.height == a.height - 60,
        "work area of desktop 1: %d,%d %dx%d", wa.left, wa.top, wa.width, wa.height);
  XDeleteProperty(h.dpy, root, workArea);
  XDeleteProperty(h.dpy, root, current);
  XSync(h.dpy, False);
  wa = x.Screen().WorkArea();
  CHECK(wa.width == a.width && wa.height == a.height, "work area after removal %dx%d", wa.width,
        wa.height);
  std::printf("screen: desktop %dx%d, work area checked\n", desk.width, desk.height);
}

// Two monitors that leave the root's edges uncovered: the virtual desktop is their bounding
// box, not the root, and moves land on exact pixels relative to its origin.
void CheckMonitors(linuxdesktop::X11Platform& x, Helper& h) {
  const Window root = DefaultRootWindow(h.dpy);
  XRRScreenResources* res = XRRGetScreenResources(h.dpy, root);
  if (!res || res->noutput < 1) {
    std::printf("monitors: no RandR output, skipped\n");
    if (res) XRRFreeScreenResources(res);
    return;
  }
  RROutput output = res->outputs[0];
  XRRMonitorInfo* left = XRRAllocateMonitor(h.dpy, 1);
  left->name = XInternAtom(h.dpy, "QEL-LEFT", False);
  left->x = 100, left->y = 50, left->width = 800, left->height = 600;
  left->mwidth = 200, left->mheight = 150;
  left->outputs[0] = output;
  XRRMonitorInfo* right = XRRAllocateMonitor(h.dpy, 0);
  right->name = XInternAtom(h.dpy, "QEL-RIGHT", False);
  right->x = 900, right->y = 80, right->width = 800, right->height = 600;
  right->mwidth = 200, right->mheight = 150;
  XRRSetMonitor(h.dpy, root, left);
  XRRSetMonitor(h.dpy, root, right);
  XSync(h.dpy, False);
  Spin(50);  // the change is announced to the event loop, as in the program

  const ui::Rect desk = x.Screen().VirtualDesktop();
  CHECK(desk.left == 100 && desk.top == 50 && desk.width == 1600 && desk.height == 630,
        "two monitors: desktop %d,%d %dx%d", desk.left, desk.top, desk.width, desk.height);
  int wrong = 0;
  for (int px = desk.left; px < desk.left + desk.width; px += 3) {
    const int py = desk.top + (px * 7) % desk.height;
    x.Mouse().Send(MoveTo(px, py, desk));
    ui::Point p;
    if (!x.Screen().CursorPos(p) || p.x != px || p.y != py) ++wrong;
  }
  x.Mouse().Send(MoveTo(desk.left + desk.width - 1, desk.top + desk.height - 1, desk));
  ui::Point p;
  x.Screen().CursorPos(p);
  CHECK(wrong == 0 && p.x == 1699 && p.y == 679, "%d moves missed; last corner %d,%d", wrong, p.x, p.y);

  XRRDeleteMonitor(h.dpy, root, left->name);
  XRRDeleteMonitor(h.dpy, root, right->name);
  XSync(h.dpy, False);
  Spin(50);
  XRRFreeMonitors(left);
  XRRFreeMonitors(right);
  XRRFreeScreenResources(res);
  const ui::Rect back = x.Screen().VirtualDesktop();
  CHECK(back.left == 0 && back.width == 1920, "after deleting the monitors: %d,%d %dx%d", back.left,
        back.top, back.width, back.height);
  std::printf("monitors: bounding box and offset moves checked\n");
}

// Two monitors of different sizes with the primary on the right, as Windows users keep a
// laptop beside a larger screen: the program measures from the primary's top-left, so the
// left monitor has negative X, and moves, the cursor, the hook and the work area agree.
void CheckPrimaryOnTheRight(linuxdesktop::X11Platform& x, Helper& h) {
  const Window root = DefaultRootWindow(h.dpy);
  XRRScreenResources* res = XRRGetScreenResources(h.dpy, root);
  if (!res || res->noutput < 1) {
    std::printf("primary monitor: no RandR output, skipped\n");
    if (res) XRRFreeScreenResources(res);
    return;
  }
  XRRMonitorInfo* left = XRRAllocateMonitor(h.dpy, 1);
  left->name = XInternAtom(h.dpy, "QEL-BIG", False);
  left->x = 0, left->y = 0, left->width = 1200, left->height = 1080;
  left->mwidth = 300, left->mheight = 270;
  left->outputs[0] = res->outputs[0];
  XRRMonitorInfo* primary = XRRAllocateMonitor(h.dpy, 0);
  primary->name = XInternAtom(h.dpy, "QEL-PRIMARY", False);
  primary->primary = True;
  primary->x = 1200, primary->y = 0, primary->width = 720, primary->height = 600;
  primary->mwidth = 180, primary->mheight = 150;
  XRRSetMonitor(h.dpy, root, left);
  XRRSetMonitor(h.dpy, root, primary);
  XSync(h.dpy, False);
  Spin(50);

  const ui::Rect desk = x.Screen().VirtualDesktop();
  CHECK(desk.left == -1200 && desk.top == 0 && desk.width == 1920 && desk.height == 1080,
        "primary on the right: desktop %d,%d %dx%d", desk.left, desk.top, desk.width, desk.height);
  int wrong = 0, wrongRoot = 0;
  for (int px = desk.left; px < desk.Right(); px += 7) {
    const int py = (px + 1200) * 5 % desk.height;
    x.Mouse().Send(MoveTo(px, py, desk));
    ui::Point p;
    if (!x.Screen().CursorPos(p) || p.x != px || p.y != py) ++wrong;
    Window r = 0, c = 0;
    int rx = 0, ry = 0, wx = 0, wy = 0;
    unsigned mask = 0;
    XQueryPointer(h.dpy, root, &r, &c, &rx, &ry, &wx, &wy, &mask);
    if (rx != px + 1200 || ry != py) ++wrongRoot;
  }
  CHECK(wrong == 0 && wrongRoot == 0, "%d moves read back wrong, %d landed on the wrong root pixel",
        wrong, wrongRoot);
  const ui::Rect wa = x.Screen().WorkArea();
  CHECK(wa.left == 1200 && wa.top == 0 && wa.width == 720 && wa.height == 600,
        "no window manager: the work area %d,%d %dx%d should be the primary monitor", wa.left,
        wa.top, wa.width, wa.height);

  std::vector<std::pair<int, int>> hooked;
  CHECK(x.Hook().Install([&](int, std::uint32_t m, int px, int py) {
    if (m == platform::kWmLButtonDown) hooked.push_back({px, py});
  }), "%s", "the hook could not be installed");
  Spin(50);
  for (const auto& [rx, ry] : {std::pair{100, 200}, std::pair{1200, 0}, std::pair{1919, 599}}) {
    XTestFakeMotionEvent(h.dpy, -1, rx, ry, CurrentTime);
    XTestFakeButtonEvent(h.dpy, 1, True, CurrentTime);
    XTestFakeButtonEvent(h.dpy, 1, False, CurrentTime);
  }
  XFlush(h.dpy);
  SpinUntil([&] { return hooked.size() >= 3; }, 3000);
  x.Hook().Remove();
  const std::vector<std::pair<int, int>> expected = {{-1100, 200}, {0, 0}, {719, 599}};
  CHECK(hooked == expected, "%zu presses hooked, the first at %d,%d (expected -1100,200)",
        hooked.size(), hooked.empty() ? 0 : hooked[0].first, hooked.empty() ? 0 : hooked[0].second);

  XRRDeleteMonitor(h.dpy, root, left->name);
  XRRDeleteMonitor(h.dpy, root, primary->name);
  XSync(h.dpy, False);
  Spin(50);
  XRRFreeMonitors(left);
  XRRFreeMonitors(primary);
  XRRFreeScreenResources(res);
  const ui::Rect back = x.Screen().VirtualDesktop();
  ui::Point p;
  XTestFakeMotionEvent(h.dpy, -1, 30, 40, CurrentTime);
  XSync(h.dpy, False);
  x.Screen().CursorPos(p);
  CHECK(back.left == 0 && back.top == 0 && back.width == 1920 && p.x == 30 && p.y == 40,
        "after deleting the monitors: desktop %d,%d %dx%d, cursor %d,%d", back.left, back.top,
        back.width, back.height, p.x, p.y);
  std::printf("primary monitor on the right: offsets of moves, cursor, hook and work area checked\n");
}

// --- moves and clicks ----------------------------------------------------------------------

void CheckMoves(linuxdesktop::X11Platform& x) {
  const ui::Rect desk = x.Screen().VirtualDesktop();
  int wrong = 0, total = 0;
  auto probe = [&](int px, int py) {
    x.Mouse().Send(MoveTo(px, py, desk));
    ui::Point p;
    const bool ok = x.Screen().CursorPos(p);
    ++total;
    if (!ok || p.x != px || p.y != py) {
      if (++wrong <= 5) std::printf("  move to %d,%d landed on %d,%d\n", px, py, p.x, p.y);
    }
  };
  for (int px = 0; px < desk.width; ++px) probe(px, (px * 7) % desk.height);
  for (int py = 0; py < desk.height; ++py) probe((py * 13) % desk.width, py);
  probe(desk.width - 1, desk.height - 1);
  CHECK(wrong == 0, "%d of %d moves missed their pixel", wrong, total);

  // Out-of-range records are clamped to the last pixel, not wrapped by the 16-bit protocol.
  x.Mouse().Send({99999, 70000, platform::kMouseMove | platform::kMouseAbsolute});
  ui::Point p;
  x.Screen().CursorPos(p);
  CHECK(p.x == desk.width - 1 && p.y == desk.height - 1, "clamped move at %d,%d", p.x, p.y);
  std::printf("moves: %d exact\n", total - wrong);
}

std::vector<XButtonEvent> ReadButtons(Display* dpy, std::size_t want) {
  std::vector<XButtonEvent> got;
  QElapsedTimer t;
  t.start();
  while (got.size() < want && t.elapsed() < 2000) {
    XSync(dpy, False);
    while (XPending(dpy)) {
      XEvent ev;
      XNextEvent(dpy, &ev);
      if (ev.type == ButtonPress || ev.type == ButtonRelease) got.push_back(ev.xbutton);
    }
    usleep(2000);
  }
  return got;
}

void CheckClicks(linuxdesktop::X11Platform& x, Helper& h) {
  XSetWindowAttributes attrs{};
  attrs.override_redirect = True;
  attrs.event_mask = ButtonPressMask | ButtonReleaseMask;
  attrs.background_pixel = WhitePixel(h.dpy, DefaultScreen(h.dpy));
  const Window w = XCreateWindow(h.dpy, DefaultRootWindow(h.dpy), 300, 200, 40, 30, 0,
                                 CopyFromParent, InputOutput, CopyFromParent,
                                 CWOverrideRedirect | CWEventMask | CWBackPixel, &attrs);
  XMapRaised(h.dpy, w);
  XSync(h.dpy, False);
  Spin(100);

  const ui::Rect desk = x.Screen().VirtualDesktop();
  x.Mouse().Send(MoveTo(317, 211, desk));
  const std::uint32_t flags[] = {platform::kMouseLeftDown,   platform::kMouseLeftUp,
                                 platform::kMouseRightDown,  platform::kMouseRightUp,
                                 platform::kMouseMiddleDown, platform::kMouseMiddleUp};
  for (std::uint32_t f : flags) x.Mouse().Send({0, 0, f});
  x.Mouse().Send({0, 0, 0});  // a record without a button flag presses nothing
  auto got = ReadButtons(h.dpy, 6);
  const unsigned wantButtons[] = {1, 1, 3, 3, 2, 2};
  CHECK(got.size() == 6, "%zu button events arrived, 6 expected", got.size());
  for (std::size_t i = 0; i < got.size() && i < 6; ++i) {
    CHECK(got[i].button == wantButtons[i] && (got[i].type == ButtonPress) == (i % 2 == 0) &&
              got[i].x == 17 && got[i].y == 11,
          "event %zu: button %u type %d at %d,%d", i, got[i].button, got[i].type, got[i].x, got[i].y);
  }
  got = ReadButtons(h.dpy, 1);
  CHECK(got.empty(), "%zu stray button events", got.size());

  // Left-handed: the record's left is the primary (logical 1) button.
  unsigned char normal[32];
  const int n = XGetPointerMapping(h.dpy, normal, sizeof normal);
  std::vector<unsigned char> swapped(normal, normal + n);
  std::swap(swapped[0], swapped[2]);
  while (XSetPointerMapping(h.dpy, swapped.data(), n) == MappingBusy) usleep(10000);
  XSync(h.dpy, False);
  Spin(50);
  x.Mouse().Send({0, 0, platform::kMouseLeftDown});
  x.Mouse().Send({0, 0, platform::kMouseLeftUp});
  x.Mouse().Send({0, 0, platform::kMouseRightDown});
  x.Mouse().Send({0, 0, platform::kMouseRightUp});
  got = ReadButtons(h.dpy, 4);
  CHECK(got.size() == 4 && got[0].button == 1 && got[2].button == 3,
        "left-handed mapping: %zu events, first button %u, third %u", got.size(),
        got.empty() ? 0u : got[0].button, got.size() > 2 ? got[2].button : 0u);
  while (XSetPointerMapping(h.dpy, normal, n) == MappingBusy) usleep(10000);
  XSync(h.dpy, False);
  Spin(50);

  XDestroyWindow(h.dpy, w);
  XSync(h.dpy, False);
  std::printf("clicks: left, right, middle and a left-handed left checked\n");

  // Figures, not checks: the cost of one click and of one coordinate click.
  QElapsedTimer t;
  t.start();
  const int kClicks = 5000;
  for (int i = 0; i < kClicks; ++i) {
    x.Mouse().Send({0, 0, platform::kMouseLeftDown});
    x.Mouse().Send({0, 0, platform::kMouseLeftUp});
  }
  XSync(h.dpy, False);
  const double clickUs = t.nsecsElapsed() / 1000.0 / kClicks;
  t.restart();
  for (int i = 0; i < kClicks / 5; ++i) {
    const ui::Rect d = x.Screen().VirtualDesktop();  // as the click run asks before each move
    x.Mouse().Send(MoveTo(1500 + i % 100, 900, d));
    x.Mouse().Send({0, 0, platform::kMouseLeftDown});
    x.Mouse().Send({0, 0, platform::kMouseLeftUp});
  }
  XSync(h.dpy, False);
  std::printf("cost: %.1f us per click, %.1f us per move and click\n", clickUs,
              t.nsecsElapsed() / 1000.0 / (kClicks / 5));
}

// --- hook ----------------------------------------------------------------------------------

struct Hooked {
  std::uint32_t message;
  int x, y;
};

void CheckHook(linuxdesktop::X11Platform& x, Helper& h) {
  std::vector<Hooked> seen;
  CHECK(x.Hook().Install([&](int nCode, std::uint32_t m, int px, int py) {
    CHECK(nCode == 0, "nCode %d", nCode);
    seen.push_back({m, px, py});
  }), "%s", "the hook could not be installed");
  Spin(50);
  seen.clear();

  // One batch: 50 moves, each followed by a left click; then right, middle and a wheel notch.
  const int kBurst = 50;
  for (int i = 0; i < kBurst; ++i) {
    XTestFakeMotionEvent(h.dpy, -1, 100 + i * 17, 50 + i * 11, CurrentTime);
    XTestFakeButtonEvent(h.dpy, 1, True, CurrentTime);
    XTestFakeButtonEvent(h.dpy, 1, False, CurrentTime);
  }
  XTestFakeMotionEvent(h.dpy, -1, 999, 555, CurrentTime);
  for (unsigned b : {3u, 2u, 4u}) {
    XTestFakeButtonEvent(h.dpy, b, True, CurrentTime);
    XTestFakeButtonEvent(h.dpy, b, False, CurrentTime);
  }
  XFlush(h.dpy);
  const std::size_t want = kBurst * 3 + 1 + 5;
  SpinUntil([&] { return seen.size() >= want; }, 3000);
  CHECK(seen.size() == want, "%zu hook events, %zu expected", seen.size(), want);
  if (seen.size() != want || std::getenv("PROBE_VERBOSE")) {
    for (const Hooked& e : seen) std::printf("  %x@%d,%d", e.message, e.x, e.y);
    std::printf("\n");
  }
  int exact = 0;
  for (int i = 0; i < kBurst && static_cast<std::size_t>(i * 3 + 2) < seen.size(); ++i) {
    const int ex = 100 + i * 17, ey = 50 + i * 11;
    const Hooked& m = seen[i * 3];
    const Hooked& d = seen[i * 3 + 1];
    const Hooked& u = seen[i * 3 + 2];
    if (m.message == platform::kWmMouseMove && m.x == ex && m.y == ey &&
        d.message == platform::kWmLButtonDown && d.x == ex && d.y == ey &&
        u.message == platform::kWmLButtonUp && u.x == ex && u.y == ey) {
      ++exact;
    } else if (kBurst - exact <= 3) {
      std::printf("  click %d: %x@%d,%d %x@%d,%d %x@%d,%d, expected %d,%d\n", i, m.message, m.x,
                  m.y, d.message, d.x, d.y, u.message, u.x, u.y, ex, ey);
    }
  }
  CHECK(exact == kBurst, "%d of %d burst clicks reported exactly", exact, kBurst);
  if (seen.size() == want) {
    const std::uint32_t tail[] = {platform::kWmMouseMove,   platform::kWmRButtonDown,
                                  platform::kWmRButtonUp,   platform::kWmMButtonDown,
                                  platform::kWmMButtonUp,   platform::kWmMouseWheel};
    for (int i = 0; i < 6; ++i) {
      const Hooked& e = seen[kBurst * 3 + i];
      CHECK(e.message == tail[i] && e.x == 999 && e.y == 555, "tail %d: %x at %d,%d", i,
            e.message, e.x, e.y);
    }
  }

  // Another client's active pointer grab (a menu, a drag) hides nothing from the hook.
  XGrabPointer(h.dpy, DefaultRootWindow(h.dpy), False, ButtonPressMask | ButtonReleaseMask |
               PointerMotionMask, GrabModeAsync, GrabModeAsync, 0, 0, CurrentTime);
  XSync(h.dpy, False);
  seen.clear();
  for (int i = 0; i < 10; ++i) {
    XTestFakeMotionEvent(h.dpy, -1, 700 + i, 400 - i, CurrentTime);
    XTestFakeButtonEvent(h.dpy, 1, True, CurrentTime);
    XTestFakeButtonEvent(h.dpy, 1, False, CurrentTime);
  }
  XFlush(h.dpy);
  SpinUntil([&] { return seen.size() >= 30; }, 2000);
  int grabbedExact = 0;
  for (int i = 0; i < 10 && static_cast<std::size_t>(i * 3 + 2) < seen.size(); ++i) {
    if (seen[i * 3].x == 700 + i && seen[i * 3 + 1].message == platform::kWmLButtonDown &&
        seen[i * 3 + 2].x == 700 + i && seen[i * 3 + 2].y == 400 - i) {
      ++grabbedExact;
    }
  }
  CHECK(seen.size() == 30 && grabbedExact == 10, "under a pointer grab: %zu events, %d exact",
        seen.size(), grabbedExact);
  XUngrabPointer(h.dpy, CurrentTime);
  XSync(h.dpy, False);

  // Left-handed: the user's primary button (physical 3 here) is reported as the left one,
  // so that a recording plays back with the same meaning through the mouse service.
  unsigned char normal[32];
  const int n = XGetPointerMapping(h.dpy, normal, sizeof normal);
  std::vector<unsigned char> swapped(normal, normal + n);
  std::swap(swapped[0], swapped[2]);
  while (XSetPointerMapping(h.dpy, swapped.data(), n) == MappingBusy) usleep(10000);
  XSync(h.dpy, False);
  Spin(50);
  seen.clear();
  XTestFakeButtonEvent(h.dpy, 3, True, CurrentTime);
  XTestFakeButtonEvent(h.dpy, 3, False, CurrentTime);
  XTestFakeButtonEvent(h.dpy, 1, True, CurrentTime);
  XTestFakeButtonEvent(h.dpy, 1, False, CurrentTime);
  XFlush(h.dpy);
  SpinUntil([&] { return seen.size() >= 4; }, 2000);
  CHECK(seen.size() == 4 && seen[0].message == platform::kWmLButtonDown &&
            seen[1].message == platform::kWmLButtonUp && seen[2].message == platform::kWmRButtonDown &&
            seen[3].message == platform::kWmRButtonUp,
        "left-handed: %zu events, first %x, third %x", seen.size(),
        seen.empty() ? 0u : seen[0].message, seen.size() > 2 ? seen[2].message : 0u);
  while (XSetPointerMapping(h.dpy, normal, n) == MappingBusy) usleep(10000);
  XSync(h.dpy, False);
  Spin(50);

  // A removed hook reports nothing more; a new one works again.
  x.Hook().Remove();
  seen.clear();
  XTestFakeMotionEvent(h.dpy, -1, 10, 10, CurrentTime);
  XFlush(h.dpy);
  Spin(200);
  CHECK(seen.empty(), "%zu events after removal", seen.size());
  bool removedInside = false;
  x.Hook().Install([&](int, std::uint32_t, int, int) {
    x.Hook().Remove();  // the recorder ends a recording from inside a hook callback
    removedInside = true;
    seen.push_back({});
  });
  XTestFakeMotionEvent(h.dpy, -1, 20, 20, CurrentTime);
  XTestFakeMotionEvent(h.dpy, -1, 30, 30, CurrentTime);
  XFlush(h.dpy);
  SpinUntil([&] { return removedInside; }, 2000);
  Spin(100);
  CHECK(removedInside && seen.size() == 1, "removal inside the callback: %zu events", seen.size());
  x.Hook().Remove();
  std::printf("hook: %d of %d burst clicks exact\n", exact, kBurst);
}

// --- hotkeys -------------------------------------------------------------------------------

void CheckHotkeys(linuxdesktop::X11Platform& x, Helper& h) {
  std::vector<int> fired;
  x.Hotkeys().SetHandler([&](int id) { fired.push_back(id); });
  auto count = [&](int id) { return static_cast<int>(std::count(fired.begin(), fired.end(), id)); };
  const std::uint32_t ctrlShift = hotkeys::kModControl | hotkeys::kModShift;

  CHECK(x.Hotkeys().Register(1001, ctrlShift | hotkeys::kModNoRepeat, 'S'), "%s",
        "Shift+Ctrl+S refused");
  CHECK(x.Hotkeys().Register(1002, ctrlShift, 'X'), "%s", "Shift+Ctrl+X refused");
  CHECK(!x.Hotkeys().Register(1003, ctrlShift, 'S'), "%s", "our own combination taken twice");
  CHECK(x.Hotkeys().Register(1001, hotkeys::kModAlt, 'Q'), "%s", "a second combination under one id");
  CHECK(!x.Hotkeys().Register(1004, 0, 0x7C), "%s", "F13 has no key here and must be refused");
  CHECK(!x.Hotkeys().Register(1004, ctrlShift, 300), "%s", "vk 300 must be refused");

  // A short press fires once; a press held past the auto-repeat delay also fires once.
  Run("xdotool key ctrl+shift+s");
  SpinUntil([&] { return count(1001) >= 1; }, 1000);
  Spin(100);
  CHECK(count(1001) == 1, "short press fired %d times", count(1001));
  fired.clear();
  Run("xdotool keydown ctrl+shift+s");
  Spin(1200);
  Run("xdotool keyup ctrl+shift+s");
  Spin(200);
  CHECK(count(1001) == 1, "held press with MOD_NOREPEAT fired %d times", count(1001));
  // Without MOD_NOREPEAT the same hold repeats: proof that auto-repeat really happened.
  fired.clear();
  Run("xdotool keydown ctrl+shift+x");
  Spin(1200);
  Run("xdotool keyup ctrl+shift+x");
  Spin(200);
  CHECK(count(1002) > 3, "held press without MOD_NOREPEAT fired %d times", count(1002));

  // Caps Lock and Num Lock do not hide the hotkey.
  for (const char* lock : {"Num_Lock", "Caps_Lock"}) {
    fired.clear();
    Run(std::string("xdotool key ") + lock);
    Run("xdotool key ctrl+shift+s");
    SpinUntil([&] { return count(1001) >= 1; }, 1000);
    Run(std::string("xdotool key ") + lock);
    CHECK(count(1001) == 1, "with %s on: fired %d times", lock, count(1001));
  }

  // A combination another client holds is refused.
  const KeyCode g = XKeysymToKeycode(h.dpy, XK_g);
  XGrabKey(h.dpy, g, ControlMask | Mod1Mask, DefaultRootWindow(h.dpy), False, GrabModeAsync,
           GrabModeAsync);
  XSync(h.dpy, False);
  CHECK(!x.Hotkeys().Register(1003, hotkeys::kModControl | hotkeys::kModAlt, 'G'), "%s",
        "Ctrl+Alt+G is held by another client and must be refused");
  XUngrabKey(h.dpy, g, ControlMask | Mod1Mask, DefaultRootWindow(h.dpy));
  XSync(h.dpy, False);
  CHECK(x.Hotkeys().Register(1003, hotkeys::kModControl | hotkeys::kModAlt, 'G'), "%s",
        "Ctrl+Alt+G refused after the other client let go");

  // Unregistering lets go of every lock variant: another client can now take them all.
  x.Hotkeys().Unregister(1001);
  fired.clear();
  Run("xdotool key ctrl+shift+s");
  Spin(300);
  Run("xdotool key alt+q");
  Spin(300);
  CHECK(count(1001) == 0, "%s", "an unregistered hotkey fired");
  const KeyCode s = XKeysymToKeycode(h.dpy, XK_s);
  g_helperErrors = 0;
  auto* previous = XSetErrorHandler(CountErrors);
  for (unsigned lockMask : {0u, unsigned(LockMask), unsigned(Mod2Mask), unsigned(LockMask | Mod2Mask)}) {
    XGrabKey(h.dpy, s, ControlMask | ShiftMask | lockMask, DefaultRootWindow(h.dpy), False,
             GrabModeAsync, GrabModeAsync);
  }
  XSync(h.dpy, False);
  XSetErrorHandler(previous);
  CHECK(g_helperErrors == 0, "%d lock variants of Shift+Ctrl+S still held", g_helperErrors);
  XUngrabKey(h.dpy, s, AnyModifier, DefaultRootWindow(h.dpy));
  XSync(h.dpy, False);

  CHECK(x.Hotkeys().KeyName(0xBA) == "semicolon", "VK_OEM_1 named \"%s\"", x.Hotkeys().KeyName(0xBA).c_str());
  CHECK(x.Hotkeys().KeyName(0x60) == "KP_0", "VK_NUMPAD0 named \"%s\"", x.Hotkeys().KeyName(0x60).c_str());
  CHECK(x.Hotkeys().KeyName(0x07).empty(), "%s", "an unassigned code has a name");
  // Every keysym of the table is one Xlib knows by name.
  for (std::uint32_t vk = 0; vk < 0x100; ++vk) {
    const std::uint32_t ks = hotkeys::VkToKeysym(vk);
    CHECK(ks == 0 || XKeysymToString(ks) != nullptr, "vk %02x: keysym %x unknown to Xlib", vk, ks);
  }
  x.Hotkeys().Unregister(1002);
  x.Hotkeys().Unregister(1003);
  std::printf("hotkeys: once per press, lock variants, refusals and release checked\n");
}

// --- system services (no display) ----------------------------------------------------------

void CheckSystem() {
  linuxdesktop::LinuxClock clock;
  const std::uint32_t t0 = clock.GetTickCount();
  const std::uint64_t h0 = clock.HighResolutionNow();
  clock.Sleep(50);
  const std::uint32_t dt = clock.GetTickCount() - t0;
  const std::uint64_t dh = clock.HighResolutionNow() - h0;
  CHECK(dt >= 49 && dt < 500, "Sleep(50) took %u ms by the tick counter", dt);
  CHECK(dh >= 50000000ull && dh < 500000000ull, "Sleep(50) took %llu ns", (unsigned long long)dh);
  const platform::LocalDateTime now = clock.Now();
  CHECK(now.year >= 2024 && now.month >= 1 && now.month <= 12, "now %d-%d", now.year, now.month);

  linuxdesktop::LinuxEnvironment env;
  setenv("TMPDIR", "/var/tmp//", 1);
  CHECK(env.TempFolder() == "/var/tmp/", "TMPDIR folder \"%s\"", env.TempFolder().c_str());
  unsetenv("TMPDIR");
  CHECK(env.TempFolder() == "/tmp/", "default temp \"%s\"", env.TempFolder().c_str());
  char exe[4096] = {};
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  CHECK(n > 0 && env.ExecutableFolder() == std::filesystem::path(exe).parent_path().string(),
        "executable folder \"%s\"", env.ExecutableFolder().c_str());
  setenv("XDG_CONFIG_HOME", "/xdg/cfg/", 1);
  CHECK(env.UserConfigFolder() == "/xdg/cfg", "config \"%s\"", env.UserConfigFolder().c_str());
  setenv("XDG_CONFIG_HOME", "relative", 1);
  setenv("HOME", "/home/u", 1);
  CHECK(env.UserConfigFolder() == "/home/u/.config", "config \"%s\"", env.UserConfigFolder().c_str());
  unsetenv("HOME");
  CHECK(!env.UserConfigFolder().empty() && env.UserConfigFolder().back() != '/' &&
            env.UserConfigFolder().ends_with("/.config"),
        "without HOME: \"%s\"", env.UserConfigFolder().c_str());
  unsetenv("XDG_CONFIG_HOME");

  setenv("LANG", "pt_BR.UTF-8", 1);
  setenv("LC_MESSAGES", "ja_JP.UTF-8", 1);
  CHECK(env.SystemDefaultUILanguage() == 0x0411, "LC_MESSAGES: %04x", env.SystemDefaultUILanguage());
  setenv("LC_ALL", "de_DE.UTF-8", 1);
  CHECK(env.SystemDefaultUILanguage() == 0x0407, "LC_ALL: %04x", env.SystemDefaultUILanguage());
  unsetenv("LC_ALL");
  unsetenv("LC_MESSAGES");
  CHECK(env.SystemDefaultUILanguage() == 0x0416, "LANG: %04x", env.SystemDefaultUILanguage());
  unsetenv("LANG");
  CHECK(env.SystemDefaultUILanguage() == 0x0409, "unset: %04x", env.SystemDefaultUILanguage());
  setenv("LC_ALL", "C", 1);
  CHECK(env.DecimalSeparator() == ".", "C separator \"%s\"", env.DecimalSeparator().c_str());
  // A locale with a decimal comma, when the machine has one installed.
  for (const char* comma : {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE", "fr_FR"}) {
    if (locale_t l = newlocale(LC_NUMERIC_MASK, comma, static_cast<locale_t>(0))) {
      freelocale(l);
      setenv("LC_ALL", comma, 1);
      CHECK(env.DecimalSeparator() == ",", "%s separator \"%s\"", comma, env.DecimalSeparator().c_str());
      std::printf("decimal comma checked with %s\n", comma);
      break;
    }
  }
  setenv("LC_ALL", "xx_NOWHERE.UTF-8", 1);
  CHECK(env.DecimalSeparator() == ".", "missing locale separator \"%s\"", env.DecimalSeparator().c_str());
  unsetenv("LC_ALL");
  CHECK(env.PathDelimiter() == '/', "%s", "path delimiter");

  // The registry lives in registry.ini of the data folder; reads never create it.
  char tmpl[] = "/tmp/qel-x11-probe-XXXXXX";
  const std::string base = mkdtemp(tmpl);
  setenv("APPDATA", base.c_str(), 1);
  settings::PortableProfileStore store;
  linuxdesktop::LinuxRegistry reg(env, store);
  const std::string file = base + "/QEL Auto Clicker/registry.ini";
  CHECK(reg.FileName() == file, "registry file \"%s\"", reg.FileName().c_str());
  std::string v;
  CHECK(reg.ReadString("Software\\QEL Auto Clicker", "CurrentLanguage", v) ==
            platform::RegReadResult::Missing, "%s", "a value in a fresh folder");
  CHECK(!platform::files::DirectoryExists(base + "/QEL Auto Clicker"), "%s", "a read created the folder");
  CHECK(reg.WriteString("Software\\QEL Auto Clicker", "CurrentLanguage", "de"), "%s", "write failed");
  CHECK(reg.ReadString("Software\\QEL Auto Clicker", "CurrentLanguage", v) ==
            platform::RegReadResult::Ok && v == "de", "read back \"%s\"", v.c_str());
  CHECK(platform::files::FileExists(file), "%s", "registry.ini not written");
  unsetenv("APPDATA");
  setenv("XDG_CONFIG_HOME", (base + "/xdg").c_str(), 1);
  CHECK(reg.FileName() == base + "/xdg/QEL Auto Clicker/registry.ini", "without APPDATA \"%s\"",
        reg.FileName().c_str());
  unsetenv("XDG_CONFIG_HOME");
  std::filesystem::remove_all(base);

  // The shell hands the target over as one argument and does not wait: a fake xdg-open on
  // PATH records what it got.
  char shellDir[] = "/tmp/qel-x11-shell-XXXXXX";
  const std::string dir = mkdtemp(shellDir);
  const std::string script = dir + "/xdg-open";
  std::FILE* f = std::fopen(script.c_str(), "w");
  std::fprintf(f, "#!/bin/sh\nsleep 1\nprintf '%%s|%%s' \"$#\" \"$1\" > \"%s/got\"\n", dir.c_str());
  std::fclose(f);
  chmod(script.c_str(), 0755);
  const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", (dir + ":" + oldPath).c_str(), 1);
  linuxdesktop::LinuxShell shell;
  QElapsedTimer t;
  t.start();
  const std::string target = "http://example.invalid/a b;$(touch " + dir + "/pwned)";
  shell.Open(target, "open");
  CHECK(t.elapsed() < 500, "Open waited %lld ms", static_cast<long long>(t.elapsed()));
  setenv("PATH", oldPath.c_str(), 1);
  std::string got;
  for (int i = 0; i < 50 && !platform::files::ReadAll(dir + "/got", got); ++i) usleep(100000);
  CHECK(got == "1|" + target, "xdg-open got \"%s\"", got.c_str());
  CHECK(!platform::files::FileExists(dir + "/pwned"), "%s", "the target went through a shell");
  std::filesystem::remove_all(dir);
  std::printf("system: clock, environment, registry and shell checked\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const std::string mode = argc > 1 ? argv[1] : "";
  QCoreApplication app(argc, argv);
  if (mode == "system") {
    CheckSystem();
  } else if (mode == "clicks" && argc > 2) {
    std::string error;
    auto x = linuxdesktop::X11Platform::Open(error);
    if (!x) {
      std::printf("FAIL: %s\n", error.c_str());
      return 1;
    }
    Spin(50);
    const ui::Rect desk = x->Screen().VirtualDesktop();
    for (int i = 0, n = std::atoi(argv[2]); i < n; ++i) {
      x->Mouse().Send(MoveTo(i % desk.width, i % desk.height, desk));
      x->Mouse().Send({0, 0, platform::kMouseLeftDown});
      x->Mouse().Send({0, 0, platform::kMouseLeftUp});
    }
    return 0;
  } else if (mode == "x11" || mode == "workarea") {
    std::string error;
    auto x = linuxdesktop::X11Platform::Open(error);
    if (!x) {
      std::printf("FAIL: %s\n", error.c_str());
      return 1;
    }
    if (mode == "workarea") {
      const ui::Rect wa = x->Screen().WorkArea();
      const ui::Rect d = x->Screen().VirtualDesktop();
      std::printf("WORKAREA %d %d %d %d\nDESKTOP %d %d %d %d\n", wa.left, wa.top, wa.width,
                  wa.height, d.left, d.top, d.width, d.height);
      return 0;
    }
    Helper h;
    if (!h.dpy) {
      std::printf("FAIL: no helper connection\n");
      return 1;
    }
    CheckScreen(*x, h);
    CheckMonitors(*x, h);
    CheckPrimaryOnTheRight(*x, h);
    CheckMoves(*x);
    CheckClicks(*x, h);
    CheckHook(*x, h);
    CheckHotkeys(*x, h);
  } else if (mode == "noserver") {
    std::string error;
    auto x = linuxdesktop::X11Platform::Open(error);
    CHECK(!x && !error.empty(), "%s", "Open without a display must fail with a reason");
    std::printf("no display: \"%s\"\n", error.c_str());
  } else {
    std::printf("usage: %s x11|workarea|system|noserver\n", argv[0]);
    return 2;
  }
  if (g_failures) {
    std::printf("%d check(s) FAILED\n", g_failures);
    return 1;
  }
  std::printf("all checks passed\n");
  return 0;
}
