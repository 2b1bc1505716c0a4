#include <QtCore/QMetaObject>
#include <QtCore/QObject>
#include <QtCore/QSocketNotifier>

#include "linux/X11Internal.h"

#include <X11/XKBlib.h>

#include <algorithm>

namespace linuxdesktop {

X11Hotkeys::X11Hotkeys(Display* dpy, QObject& context)
    : dpy_(dpy), root_(DefaultRootWindow(dpy)), context_(context) {
  // With detectable auto-repeat a held key sends presses without releases in between, so
  // a second press before the release is a repeat, and MOD_NOREPEAT can drop it.
  Bool supported = False;
  XkbSetDetectableAutoRepeat(dpy_, True, &supported);
  detectableRepeat_ = supported;
  masks_ = ReadModifierMasks(dpy_);
  notifier_ = std::make_unique<QSocketNotifier>(ConnectionNumber(dpy_), QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, &context_, [this] { Drain(); });
  DrainLater();
}

X11Hotkeys::~X11Hotkeys() {
  notifier_.reset();
  for (const Grab& g : grabs_) Ungrab(g);
  XFlush(dpy_);
}

void X11Hotkeys::SetHandler(std::function<void(int id)> handler) { handler_ = std::move(handler); }

void X11Hotkeys::SetReleaseHandler(std::function<void(int id)> handler) {
  releaseHandler_ = std::move(handler);
}

namespace {
// The X button of a mouse-button hotkey: middle is 2, the side buttons 8 and 9.
unsigned XButtonOfVk(std::uint32_t vk) {
  switch (vk) {
    case hotkeys::kVkMButton: return 2;
    case hotkeys::kVkXButton1: return 8;
    case hotkeys::kVkXButton2: return 9;
    default: return 0;
  }
}
}  // namespace

bool X11Hotkeys::Register(int id, std::uint32_t modifiers, std::uint32_t vk) {
  const unsigned button = XButtonOfVk(vk);
  unsigned keycode = button;
  if (button == 0) {
    const std::uint32_t keysym = hotkeys::VkToKeysym(vk);
    if (keysym == 0) return false;
    keycode = XKeysymToKeycode(dpy_, keysym);
    if (keycode == 0) return false;  // not on this keyboard (F13..F24 on a plain keymap)
  }
  masks_ = ReadModifierMasks(dpy_);  // the map may have changed since the last registration
  unsigned state = 0;
  if (!hotkeys::ModifiersToXState(modifiers, masks_, state)) return false;
  // Our own earlier grab of the same combination would be silently replaced by the server:
  // refuse it, as Windows refuses a combination already taken.
  if (std::any_of(grabs_.begin(), grabs_.end(), [&](const Grab& g) {
        return g.keycode == keycode && g.state == state && g.button == (button != 0);
      })) {
    return false;
  }
  Grab g{id, keycode, state, (modifiers & hotkeys::kModNoRepeat) != 0,
         hotkeys::LockVariants(state, masks_)};
  g.button = button != 0;
  bool refused = false;
  {
    ErrorTrap trap(dpy_);
    for (unsigned variant : g.variants) {
      // A grabbed button's press and release come to us alone: the window under the
      // pointer never sees the hotkey's own click.
      if (g.button)
        XGrabButton(dpy_, button, variant, root_, False, ButtonPressMask | ButtonReleaseMask,
                    GrabModeAsync, GrabModeAsync, None, None);
      else
        XGrabKey(dpy_, keycode, variant, root_, False, GrabModeAsync, GrabModeAsync);
    }
    refused = trap.SyncFailed();  // BadAccess: another client holds the combination
    if (refused) Ungrab(g);       // ungrabbing what another client holds changes nothing
  }
  DrainLater();  // the sync may have queued events that no socket signal will announce
  if (refused) return false;
  grabs_.push_back(std::move(g));
  return true;
}

// As with RegisterHotKey, a second registration under an id keeps the first one; both
// answer to that id until it is unregistered.
void X11Hotkeys::Unregister(int id) {
  for (auto it = grabs_.begin(); it != grabs_.end();) {
    if (it->id == id) {
      Ungrab(*it);
      it = grabs_.erase(it);
    } else {
      ++it;
    }
  }
  XFlush(dpy_);
}

void X11Hotkeys::Ungrab(const Grab& g) {
  for (unsigned variant : g.variants) {
    if (g.button)
      XUngrabButton(dpy_, g.keycode, variant, root_);
    else
      XUngrabKey(dpy_, g.keycode, variant, root_);
  }
}

std::string X11Hotkeys::KeyName(std::uint32_t vk) {
  const std::uint32_t keysym = hotkeys::VkToKeysym(vk);
  if (keysym == 0) return {};
  const char* name = XKeysymToString(keysym);
  return name ? std::string(name) : std::string();
}

void X11Hotkeys::DrainLater() {
  if (XEventsQueued(dpy_, QueuedAlready) > 0) {
    QMetaObject::invokeMethod(&context_, [this] { Drain(); }, Qt::QueuedConnection);
  }
}

void X11Hotkeys::Drain() {
  while (XPending(dpy_)) {
    XEvent ev;
    XNextEvent(dpy_, &ev);
    Handle(ev);
  }
}

void X11Hotkeys::Handle(XEvent& ev) {
  if (ev.type == MappingNotify) {
    XRefreshKeyboardMapping(&ev.xmapping);
    return;
  }
  if (ev.type == ButtonPress || ev.type == ButtonRelease) {
    const unsigned state = hotkeys::SignificantState(ev.xbutton.state, masks_);
    const bool press = ev.type == ButtonPress;
    for (Grab& g : grabs_) {
      if (!g.button || g.keycode != ev.xbutton.button) continue;
      // A release carries the modifiers of its moment; the press decided which grab it is.
      if (press ? g.state != state : !g.down) continue;
      g.down = press;
      const int id = g.id;
      DrainLater();
      if (press && handler_) handler_(id);
      if (!press && releaseHandler_) releaseHandler_(id);
      return;
    }
    return;
  }
  if (ev.type == KeyRelease) {
    // Without detectable auto-repeat a held key sends release/press pairs with one time
    // stamp: such a release is no release, the key is still down.
    if (!detectableRepeat_ && XEventsQueued(dpy_, QueuedAfterReading) > 0) {
      XEvent next;
      XPeekEvent(dpy_, &next);
      if (next.type == KeyPress && next.xkey.keycode == ev.xkey.keycode &&
          next.xkey.time == ev.xkey.time) {
        return;
      }
    }
    // While a grabbed combination is down the keyboard is ours, so any key let go is one
    // of the combination: the first of them ends the hold, whichever it is.
    std::vector<int> released;
    for (Grab& g : grabs_) {
      if (g.button) continue;
      if (g.down && !g.releaseReported) {
        g.releaseReported = true;
        released.push_back(g.id);
      }
      if (g.keycode == ev.xkey.keycode) g.down = false;
    }
    if (!released.empty()) DrainLater();
    for (int id : released) {
      if (releaseHandler_) releaseHandler_(id);
    }
    return;
  }
  if (ev.type != KeyPress) return;
  const unsigned state = hotkeys::SignificantState(ev.xkey.state, masks_);
  for (Grab& g : grabs_) {
    if (g.button || g.keycode != ev.xkey.keycode || g.state != state) continue;
    const bool repeat = g.down;
    g.down = true;
    if (!repeat) g.releaseReported = false;
    if (repeat && g.noRepeat) return;
    const int id = g.id;
    // The handler may serve the event loop (macro playback does); events Xlib has already
    // read must not wait for the socket to signal again.
    DrainLater();
    if (handler_) handler_(id);
    return;
  }
}

}  // namespace linuxdesktop
