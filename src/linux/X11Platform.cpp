#include "linux/X11Platform.h"

#include <QtCore/QObject>

#include "linux/X11Internal.h"

#include <chrono>

#include <X11/Xatom.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xrandr.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <set>

#include "hotkeys/VkKeysyms.h"
#include "linux/Monotonic.h"

namespace linuxdesktop {

// --- errors --------------------------------------------------------------------------------

namespace {
ErrorTrap* g_trap = nullptr;  // innermost active trap; UI thread only
std::set<Display*> g_ours;
int (*g_beforeUs)(Display*, XErrorEvent*) = nullptr;
bool g_forgivingInstalled = false;

int ForgivingHandler(Display* dpy, XErrorEvent* ev) {
  if (g_ours.count(dpy)) return 0;  // a failed request of ours is a lost request, not a crash
  return g_beforeUs ? g_beforeUs(dpy, ev) : 0;
}

// The X server is gone (killed, or the session ended without telling us): nothing can be
// shown or saved any more, so the program ends at once with one line on stderr. Xlib's
// own handler would call exit(), and the connection that notices may be the recorder's,
// on its own thread: static destructors would then run under the UI thread's feet. So
// this never returns and ends the process without them. Changes since the start are lost,
// as when the process is killed; the settings file keeps its last saved state.
[[noreturn]] int ConnectionLost(Display* dpy) {
  std::fprintf(stderr, "QEL Auto Clicker: the connection to the X server %s was lost; ending.\n",
               dpy ? DisplayString(dpy) : "");
  std::fflush(stderr);
  _exit(1);
}
}  // namespace

int HandleError(Display* dpy, XErrorEvent* ev) {
  for (ErrorTrap* t = g_trap; t; t = t->outer_) {
    if (t->dpy_ == dpy) {
      if (t->errorCode_ == 0) t->errorCode_ = ev->error_code;
      return 0;
    }
  }
  // Not ours to trap: whoever handled errors before the innermost trap does.
  if (g_trap && g_trap->previousHandler_ && g_trap->previousHandler_ != HandleError) {
    return g_trap->previousHandler_(dpy, ev);
  }
  return ForgivingHandler(dpy, ev);
}

ErrorTrap::ErrorTrap(Display* dpy) : dpy_(dpy), outer_(g_trap) {
  XSync(dpy_, False);  // earlier requests' errors are not ours to report
  g_trap = this;
  previousHandler_ = XSetErrorHandler(HandleError);
}

ErrorTrap::~ErrorTrap() {
  XSync(dpy_, False);
  g_trap = outer_;
  XSetErrorHandler(previousHandler_);
}

bool ErrorTrap::SyncFailed() {
  XSync(dpy_, False);
  return errorCode_ != 0;
}

void InstallForgivingErrorHandler(Display* ours) {
  g_ours.insert(ours);
  if (!g_forgivingInstalled) {
    g_beforeUs = XSetErrorHandler(ForgivingHandler);
    XSetIOErrorHandler(ConnectionLost);
    g_forgivingInstalled = true;
  }
}

void ForgetDisplay(Display* ours) { g_ours.erase(ours); }

void DisplayCloser::operator()(Display* d) const {
  if (!d) return;
  XCloseDisplay(d);
  ForgetDisplay(d);
}

// --- modifier map --------------------------------------------------------------------------

hotkeys::XModifierMasks ReadModifierMasks(Display* dpy) {
  hotkeys::XModifierMasks masks;
  XModifierKeymap* map = XGetModifierMapping(dpy);
  if (!map) return masks;
  int minKeycode = 0, maxKeycode = 0;
  XDisplayKeycodes(dpy, &minKeycode, &maxKeycode);
  int perKeycode = 0;
  KeySym* syms = XGetKeyboardMapping(dpy, static_cast<KeyCode>(minKeycode),
                                     maxKeycode - minKeycode + 1, &perKeycode);
  // Mod1..Mod5 only: Shift, Lock and Control have fixed meanings.
  for (int mod = Mod1MapIndex; mod <= Mod5MapIndex; ++mod) {
    for (int k = 0; k < map->max_keypermod; ++k) {
      const KeyCode code = map->modifiermap[mod * map->max_keypermod + k];
      if (code == 0 || !syms) continue;
      for (int level = 0; level < perKeycode; ++level) {
        const KeySym s = syms[(code - minKeycode) * perKeycode + level];
        const unsigned bit = 1u << mod;
        if ((s == XK_Alt_L || s == XK_Alt_R) && !masks.alt) masks.alt = bit;
        if ((s == XK_Super_L || s == XK_Super_R) && !masks.super) masks.super = bit;
        if (s == XK_Num_Lock && !masks.numLock) masks.numLock = bit;
      }
    }
  }
  if (syms) XFree(syms);
  XFreeModifiermap(map);
  return masks;
}

// --- screen --------------------------------------------------------------------------------

X11Screen::X11Screen(Display* dpy, bool haveMonitors, ControlEvents& events)
    : dpy_(dpy),
      events_(events),
      root_(DefaultRootWindow(dpy)),
      haveMonitors_(haveMonitors),
      workArea_(XInternAtom(dpy, "_NET_WORKAREA", False)),
      currentDesktop_(XInternAtom(dpy, "_NET_CURRENT_DESKTOP", False)) {
  int errorBase = 0;
  if (XRRQueryExtension(dpy_, &rrEventBase_, &errorBase)) {
    XRRSelectInput(dpy_, root_, RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
  } else {
    rrEventBase_ = -1;
  }
  // The root's own size changes (this connection reads no other events of the root); the
  // server also sends one when monitors are set or removed.
  XSelectInput(dpy_, root_, StructureNotifyMask);
  events_.Listen([this](XEvent& ev) {
    if ((ev.type == ConfigureNotify && ev.xconfigure.window == root_) ||
        (rrEventBase_ >= 0 && (ev.type == rrEventBase_ + RRScreenChangeNotify || ev.type == rrEventBase_ + RRNotify)))
      changed_ = true;
  });
}

bool X11Screen::GeometryFresh() {
  events_.HandleQueued();
  const std::uint64_t nowMs = static_cast<std::uint64_t>(MonotonicNs()) / 1000000u;
  if (changed_ || !cached_ || nowMs - cachedAtMs_ >= 60000) {
    changed_ = false;
    cached_ = false;
    cachedAtMs_ = nowMs;
    return false;
  }
  return true;
}

X11Screen::~X11Screen() { WatchPointer(false); }

void X11Screen::WatchPointer(bool on) {
  if (on == watcher_.joinable()) return;
  if (!on) {
    {
      std::lock_guard<std::mutex> lock(watchMutex_);
      watchStop_ = true;
    }
    watchWake_.notify_all();
    watcher_.join();
    return;
  }
  Display* own = XOpenDisplay(DisplayString(dpy_));
  // Without a second connection the watch falls back on asking from the UI thread.
  if (!own) return;
  {
    std::lock_guard<std::mutex> lock(watchMutex_);
    watchStop_ = false;
    sampled_ = false;
  }
  watcher_ = std::thread([this, own] {
    // Often enough that a sample is never older than the watch's own period allows.
    constexpr auto kSamplePeriod = std::chrono::milliseconds(5);
    const Window root = DefaultRootWindow(own);
    std::unique_lock<std::mutex> lock(watchMutex_);
    while (!watchStop_) {
      lock.unlock();
      Window rootReturn = 0, child = 0;
      int rx = 0, ry = 0, wx = 0, wy = 0;
      unsigned mask = 0;
      const bool ok = XQueryPointer(own, root, &rootReturn, &child, &rx, &ry, &wx, &wy, &mask) != 0;
      lock.lock();
      if (ok) {
        sampled_ = true;
        sampleX_ = rx;
        sampleY_ = ry;
      }
      watchWake_.wait_for(lock, kSamplePeriod, [this] { return watchStop_; });
    }
    lock.unlock();
    XCloseDisplay(own);
  });
}

bool X11Screen::RecentCursorPos(ui::Point& p) {
  if (!watcher_.joinable()) return CursorPos(p);
  int x = 0, y = 0;
  {
    std::lock_guard<std::mutex> lock(watchMutex_);
    if (!sampled_) return false;
    x = sampleX_;
    y = sampleY_;
  }
  p = Layout().FromSystem({x, y});
  return true;
}

bool X11Screen::CursorPos(ui::Point& p) {
  Window rootReturn = 0, child = 0;
  int rx = 0, ry = 0, wx = 0, wy = 0;
  unsigned mask = 0;
  if (!XQueryPointer(dpy_, root_, &rootReturn, &child, &rx, &ry, &wx, &wy, &mask)) return false;
  p = Layout().FromSystem({rx, ry});
  return true;
}

namespace {

ui::Rect ReadRootGeometry(Display* dpy_, Window root_) {
  Window rootReturn = 0;
  int x = 0, y = 0;
  unsigned w = 0, h = 0, border = 0, depth = 0;
  if (!XGetGeometry(dpy_, root_, &rootReturn, &x, &y, &w, &h, &border, &depth)) {
    return {0, 0, DisplayWidth(dpy_, DefaultScreen(dpy_)), DisplayHeight(dpy_, DefaultScreen(dpy_))};
  }
  return {0, 0, static_cast<int>(w), static_cast<int>(h)};
}

// The monitors RandR reports (1.5: the ones `xrandr --setmonitor` sets too), with the
// primary flag; an empty list without RandR 1.5.
std::vector<clicker::Monitor> ReadMonitors(Display* dpy_, Window root_, bool haveMonitors_) {
  std::vector<clicker::Monitor> list;
  if (!haveMonitors_) return list;
  int n = 0;
  XRRMonitorInfo* monitors = XRRGetMonitors(dpy_, root_, True, &n);
  if (!monitors) return list;
  for (int i = 0; i < n; ++i) {
    const XRRMonitorInfo& m = monitors[i];
    list.push_back({{m.x, m.y, m.width, m.height}, m.primary != 0});
  }
  XRRFreeMonitors(monitors);
  return list;
}

}  // namespace

ui::Rect X11Screen::RootGeometry() {
  if (!GeometryFresh()) {
    rootCache_ = ReadRootGeometry(dpy_, root_);
    layoutCache_ = clicker::MonitorLayout(ReadMonitors(dpy_, root_, haveMonitors_), rootCache_);
    cached_ = true;
  }
  return rootCache_;
}

const clicker::MonitorLayout& X11Screen::Layout() {
  RootGeometry();
  return layoutCache_;
}

ui::Rect X11Screen::VirtualDesktop() { return Layout().VirtualDesktop(); }

ui::Rect X11Screen::WorkArea() {
  long desktop = 0;
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(dpy_, root_, currentDesktop_, 0, 1, False, XA_CARDINAL, &type, &format,
                         &count, &after, &data) == Success && data) {
    if (format == 32 && count == 1) desktop = reinterpret_cast<long*>(data)[0];
    XFree(data);
  }
  data = nullptr;
  ui::Rect area = RootGeometry();
  if (XGetWindowProperty(dpy_, root_, workArea_, 0, 4096, False, XA_CARDINAL, &type, &format,
                         &count, &after, &data) == Success && data) {
    // One x, y, width, height per desktop; a manager that publishes only one rectangle
    // means it for every desktop.
    if (format == 32 && count >= 4) {
      const long* v = reinterpret_cast<long*>(data);
      const unsigned long index = (desktop >= 0 && count >= 4 * (static_cast<unsigned long>(desktop) + 1))
                                      ? static_cast<unsigned long>(desktop) * 4 : 0;
      if (v[index + 2] > 0 && v[index + 3] > 0) {
        area = {static_cast<int>(v[index]), static_cast<int>(v[index + 1]),
                static_cast<int>(v[index + 2]), static_cast<int>(v[index + 3])};
      }
    }
    XFree(data);
  }
  return Layout().PrimaryWorkArea(area);
}

// --- mouse ---------------------------------------------------------------------------------

X11Mouse::X11Mouse(Display* dpy, X11Screen& screen, PointerButtons& buttons)
    : dpy_(dpy), screen_(screen), buttons_(buttons) {}

void X11Mouse::Send(const platform::MouseInputRecord& r) {
  if (r.flags & platform::kMouseMove) {
    if (r.flags & platform::kMouseAbsolute) {
      // The record's 0..65535 spans the virtual desktop; the pixel it names must be the very
      // pixel the program asked for, and it must fit the protocol's 16-bit coordinates.
      const ui::Rect root = screen_.RootGeometry();
      const ui::Point p = screen_.Layout().AbsoluteToSystem(r.dx, r.dy);
      const int x = std::clamp(p.x, 0, std::clamp(root.width - 1, 0, 32767));
      const int y = std::clamp(p.y, 0, std::clamp(root.height - 1, 0, 32767));
      XTestFakeMotionEvent(dpy_, -1, x, y, CurrentTime);
    } else {
      XTestFakeRelativeMotionEvent(dpy_, r.dx, r.dy, CurrentTime);
    }
  }
  if (r.flags & platform::kMouseLeftDown) Button(1, true);
  if (r.flags & platform::kMouseLeftUp) Button(1, false);
  if (r.flags & platform::kMouseRightDown) Button(3, true);
  if (r.flags & platform::kMouseRightUp) Button(3, false);
  if (r.flags & platform::kMouseMiddleDown) Button(2, true);
  if (r.flags & platform::kMouseMiddleUp) Button(2, false);
  if (r.flags & platform::kMouseWheel) {
    // X has no wheel axis in the core protocol: each notch is a click of button 4 (away
    // from the user) or 5 (towards), which are not remapped for left-handed users.
    const unsigned button = r.wheel > 0 ? 4u : 5u;
    const std::int64_t distance = r.wheel > 0 ? std::int64_t{r.wheel} : -std::int64_t{r.wheel};
    // A part of a notch still scrolls a little on Windows; here it is a whole one.
    const std::int64_t notches = std::min<std::int64_t>(
        (distance + platform::kWheelNotch - 1) / platform::kWheelNotch, 1000);
    for (std::int64_t i = 0; i < notches; ++i) {
      XTestFakeButtonEvent(dpy_, button, True, CurrentTime);
      XTestFakeButtonEvent(dpy_, button, False, CurrentTime);
    }
  }
  // XFlush, not XSync: the record is on its way and a click costs no round trip.
  XFlush(dpy_);
}

// The key is looked up in the live keymap each time, so a layout switched since the last
// key is honoured; a key the layout lacks is not typed rather than typed as something else.
void X11Mouse::SendKey(const platform::KeyInputRecord& r) {
  const std::uint32_t keysym = hotkeys::VkToKeysym(r.vk);
  if (keysym == 0) return;
  const KeyCode keycode = XKeysymToKeycode(dpy_, keysym);
  if (keycode == 0) return;
  XTestFakeKeyEvent(dpy_, keycode, r.down ? True : False, CurrentTime);
  XFlush(dpy_);
}

// A Windows left button is the user's primary button, whichever hand it sits under. XTest
// presses physical buttons, which the server then maps, so with a left-handed mapping
// (3 2 1) physical button 1 would arrive as a secondary click. We send the physical button
// whose logical meaning is the one asked for, so "left" stays primary for left-handed users
// too; the hook reports logical buttons likewise, so a recording plays back as it was made.
void X11Mouse::Button(unsigned logical, bool down) {
  XTestFakeButtonEvent(dpy_, buttons_.Physical(logical), down ? True : False, CurrentTime);
}

PointerButtons::PointerButtons(Display* dpy, ControlEvents& events) : dpy_(dpy), events_(events) {
  events_.Listen([this](XEvent& ev) {
    if (ev.type != MappingNotify) return;
    if (ev.xmapping.request == MappingPointer) map_.clear();
    if (ev.xmapping.request == MappingKeyboard || ev.xmapping.request == MappingModifier)
      XRefreshKeyboardMapping(&ev.xmapping);
  });
}

void PointerButtons::Refresh() {
  events_.HandleQueued();
  if (map_.empty()) {
    unsigned char buf[256];
    const int n = XGetPointerMapping(dpy_, buf, sizeof buf);
    map_.assign(buf, buf + std::max(n, 0));
    if (map_.empty()) map_.push_back(1);
  }
}

unsigned PointerButtons::Physical(unsigned logical) {
  Refresh();
  for (std::size_t i = 0; i < map_.size(); ++i) {
    if (map_[i] == logical) return static_cast<unsigned>(i + 1);
  }
  return logical;  // no physical button carries it: press the plain one
}

unsigned PointerButtons::Logical(unsigned physical) {
  Refresh();
  if (physical >= 1 && physical <= map_.size()) return map_[physical - 1];
  return physical;
}

// --- the platform --------------------------------------------------------------------------

struct X11Platform::Parts {
  QObject context;  // owner of queued deliveries onto the UI thread
  DisplayPtr control;
  DisplayPtr events;
  std::unique_ptr<ControlEvents> controlEvents;
  std::unique_ptr<X11Screen> screen;
  std::unique_ptr<PointerButtons> buttons;
  std::unique_ptr<X11Mouse> mouse;
  std::unique_ptr<X11Hotkeys> hotkeys;
  std::unique_ptr<X11MouseHook> hook;
  std::unique_ptr<X11PointPicker> picker;
};

std::unique_ptr<X11Platform> X11Platform::Open(std::string& error) {
  const char* name = std::getenv("DISPLAY");
  const std::string shown = (name && *name) ? name : "(DISPLAY is not set)";
  DisplayPtr control(XOpenDisplay(nullptr));
  if (!control) {
    error = "Cannot connect to the X11 display " + shown +
            ". QEL Auto Clicker needs an X11 session (or XWayland).";
    return nullptr;
  }
  InstallForgivingErrorHandler(control.get());
  int ev = 0, err = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(control.get(), &ev, &err, &major, &minor)) {
    error = "The X server of display " + shown +
            " lacks the XTEST extension, which QEL Auto Clicker needs to click.";
    return nullptr;
  }
  DisplayPtr events(XOpenDisplay(DisplayString(control.get())));
  if (!events) {
    error = "Cannot open a second connection to the X11 display " + shown + ".";
    return nullptr;
  }
  InstallForgivingErrorHandler(events.get());

  int rrMajor = 0, rrMinor = 0;
  const bool haveMonitors = XRRQueryExtension(control.get(), &ev, &err) &&
                            XRRQueryVersion(control.get(), &rrMajor, &rrMinor) &&
                            rrMajor * 100 + rrMinor >= 105;
  // Only recording watches the mouse, through RECORD: without it the program clicks and
  // plays macros as usual, and Create says why it cannot record.
  const bool haveRecord = XRecordQueryVersion(control.get(), &major, &minor) != 0;
  if (!haveRecord)
    std::fprintf(stderr,
                 "QEL Auto Clicker: the X server of display %s lacks the RECORD extension; macros "
                 "cannot be recorded (clicking and playback work).\n",
                 shown.c_str());

  auto parts = std::make_unique<Parts>();
  parts->control = std::move(control);
  parts->events = std::move(events);
  parts->controlEvents = std::make_unique<ControlEvents>(parts->control.get(), parts->context);
  parts->screen = std::make_unique<X11Screen>(parts->control.get(), haveMonitors, *parts->controlEvents);
  parts->buttons = std::make_unique<PointerButtons>(parts->control.get(), *parts->controlEvents);
  parts->mouse = std::make_unique<X11Mouse>(parts->control.get(), *parts->screen, *parts->buttons);
  parts->hotkeys = std::make_unique<X11Hotkeys>(parts->events.get(), parts->context);
  parts->hook = std::make_unique<X11MouseHook>(parts->control.get(), haveRecord, parts->context,
                                                  *parts->buttons, *parts->screen);
  parts->picker = std::make_unique<X11PointPicker>(parts->control.get(), *parts->controlEvents, *parts->screen,
                                                   parts->context);
  return std::unique_ptr<X11Platform>(new X11Platform(std::move(parts)));
}

X11Platform::X11Platform(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}

X11Platform::~X11Platform() {
  // The hook and the grabs use the connections: they go first.
  parts_->picker.reset();
  parts_->hook.reset();
  parts_->hotkeys.reset();
  parts_->mouse.reset();
  parts_->buttons.reset();
  parts_->screen.reset();
  parts_->controlEvents.reset();
}

platform::MouseInputSink& X11Platform::Mouse() { return *parts_->mouse; }
platform::Screen& X11Platform::Screen() { return *parts_->screen; }
platform::HotkeyRegistrar& X11Platform::Hotkeys() { return *parts_->hotkeys; }
platform::MouseHook& X11Platform::Hook() { return *parts_->hook; }
platform::PointPicker& X11Platform::Picker() { return *parts_->picker; }

}  // namespace linuxdesktop
