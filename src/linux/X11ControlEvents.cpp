#include <QtCore/QObject>
#include <QtCore/QSocketNotifier>

#include "linux/X11Internal.h"

namespace linuxdesktop {

ControlEvents::ControlEvents(Display* dpy, QObject& context) : dpy_(dpy) {
  notifier_ = std::make_unique<QSocketNotifier>(ConnectionNumber(dpy_), QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, &context, [this] { Handle(); });
}

ControlEvents::~ControlEvents() { notifier_.reset(); }

void ControlEvents::Handle() {
  // XPending reads what the socket holds; a notifier that fired for nothing costs one read.
  while (XPending(dpy_) > 0) {
    XEvent ev;
    XNextEvent(dpy_, &ev);
    for (auto& listener : listeners_) listener(ev);
  }
}

}  // namespace linuxdesktop
