#include <QtCore/QObject>
#include <QtCore/QTimer>

#include "linux/X11Internal.h"

#include <X11/cursorfont.h>

#include <utility>

namespace linuxdesktop {

namespace {
constexpr unsigned kPrimaryButton = 1;    // logical: the server has applied the mapping
constexpr unsigned kSecondaryButton = 3;
// A release that never comes (the device went away) must not leave the desktop grabbed.
constexpr int kReleaseWaitMs = 2000;
}  // namespace

X11PointPicker::X11PointPicker(Display* dpy, ControlEvents& events, X11Screen& screen, QObject& context)
    : dpy_(dpy), screen_(screen), context_(context) {
  crosshair_ = XCreateFontCursor(dpy_, XC_crosshair);
  events.Listen([this](XEvent& ev) { OnEvent(ev); });
  letGo_ = std::make_unique<QTimer>();
  letGo_->setSingleShot(true);
  QObject::connect(letGo_.get(), &QTimer::timeout, &context_, [this] {
    if (!picking_) Release();
  });
}

X11PointPicker::~X11PointPicker() {
  onInput_ = nullptr;
  Release();
  if (crosshair_) XFreeCursor(dpy_, crosshair_);
}

bool X11PointPicker::Begin(std::function<void(const platform::PickInput&)> onInput) {
  if (picking_) return false;
  Release();
  const Window root = DefaultRootWindow(dpy_);
  const int pointer = XGrabPointer(dpy_, root, False, ButtonPressMask | ButtonReleaseMask, GrabModeAsync,
                                   GrabModeAsync, 0, crosshair_, CurrentTime);
  if (pointer != GrabSuccess) return false;
  // Without the keyboard (another program holds it) the secondary button still cancels.
  XGrabKeyboard(dpy_, root, False, GrabModeAsync, GrabModeAsync, CurrentTime);
  XFlush(dpy_);
  grabbed_ = true;
  picking_ = true;
  awaitedRelease_ = 0;
  onInput_ = std::move(onInput);
  return true;
}

void X11PointPicker::End() {
  picking_ = false;
  onInput_ = nullptr;
  if (!grabbed_) return;
  // The release of the deciding press would reach the window under the pointer without
  // its press: the pointer stays ours until it has come.
  if (awaitedRelease_ != 0) {
    XUngrabKeyboard(dpy_, CurrentTime);
    XFlush(dpy_);
    letGo_->start(kReleaseWaitMs);
    return;
  }
  Release();
}

void X11PointPicker::Release() {
  letGo_->stop();
  awaitedRelease_ = 0;
  if (!grabbed_) return;
  grabbed_ = false;
  XUngrabPointer(dpy_, CurrentTime);
  XUngrabKeyboard(dpy_, CurrentTime);
  XFlush(dpy_);
}

void X11PointPicker::OnEvent(XEvent& ev) {
  if (!grabbed_) return;
  if (ev.type == ButtonRelease && ev.xbutton.button == awaitedRelease_) {
    awaitedRelease_ = 0;
    if (!picking_) Release();
    return;
  }
  if (!picking_ || !onInput_) return;
  platform::PickInput input;
  if (ev.type == ButtonPress && awaitedRelease_ == 0 &&
      (ev.xbutton.button == kPrimaryButton || ev.xbutton.button == kSecondaryButton)) {
    awaitedRelease_ = ev.xbutton.button;
    input.kind = ev.xbutton.button == kPrimaryButton ? platform::PickInputKind::PrimaryDown
                                                     : platform::PickInputKind::SecondaryDown;
    const ui::Point p = screen_.Layout().FromSystem({ev.xbutton.x_root, ev.xbutton.y_root});
    input.x = p.x;
    input.y = p.y;
  } else if (ev.type == KeyPress && XLookupKeysym(&ev.xkey, 0) == XK_Escape) {
    input.kind = platform::PickInputKind::Escape;
  } else {
    return;
  }
  // A copy: the handler ends the pick, which lets go of the stored one.
  const auto handler = onInput_;
  handler(input);
}

}  // namespace linuxdesktop
