#pragma once
// Xlib-side pieces of X11Platform. Include only from X11*.cpp files, after any Qt header.

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <X11/extensions/record.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "hotkeys/HotkeyData.h"
#include "hotkeys/VkKeysyms.h"
#include "platform/Hotkeys.h"
#include "platform/MouseHook.h"
#include "clicker/MonitorLayout.h"
#include "platform/MouseInput.h"
#include "platform/PointPicker.h"
#include "platform/Screen.h"
#include "ui/Geometry.h"

class QObject;
class QSocketNotifier;
class QTimer;

namespace linuxdesktop {

// Collects the X errors of one display while it lives, so that an asynchronous error (the
// BadAccess of a grab another client holds) can be seen after an XSync.
class ErrorTrap {
 public:
  explicit ErrorTrap(Display* dpy);
  ~ErrorTrap();
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;
  // Waits for the server to answer everything sent so far; true when any request failed.
  bool SyncFailed();
  int errorCode() const { return errorCode_; }

 private:
  friend int HandleError(Display*, XErrorEvent*);
  Display* dpy_;
  int errorCode_ = 0;
  ErrorTrap* outer_;
  int (*previousHandler_)(Display*, XErrorEvent*);
};

// Keeps our connections' stray errors from ending the process (Xlib's default handler
// exits); errors of other connections go to whichever handler was there before. A lost
// connection to the server ends the process at once with one line on stderr.
void InstallForgivingErrorHandler(Display* ours);
void ForgetDisplay(Display* ours);

// Closes the display when it goes.
struct DisplayCloser {
  void operator()(Display* d) const;
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

// Reads the live modifier map: which ModN carries Alt, Super and Num Lock.
hotkeys::XModifierMasks ReadModifierMasks(Display* dpy);

// The events the server sends to the control connection (the one that clicks): pointer
// mapping, root size and RandR changes, which invalidate the caches below. They are read
// when the Qt event loop sees the socket readable, never in the click path: a read there
// (Xlib's XCheck*Event tries the socket every time) put a dozen system calls between a tick
// and its click, and at 1 ms the thread that makes them now and then lost whole ticks.
class ControlEvents {
 public:
  ControlEvents(Display* dpy, QObject& context);
  ~ControlEvents();
  ControlEvents(const ControlEvents&) = delete;
  ControlEvents& operator=(const ControlEvents&) = delete;
  void Listen(std::function<void(XEvent&)> listener) { listeners_.push_back(std::move(listener)); }
  // Hands out what Xlib has already read into its queue during some other call (a round
  // trip): no system call, so the caches can be asked before every click.
  void HandleQueued() {
    if (XQLength(dpy_) > 0) Handle();
  }

 private:
  void Handle();
  Display* dpy_;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::vector<std::function<void(XEvent&)>> listeners_;
};

class X11Screen : public platform::Screen {
 public:
  X11Screen(Display* dpy, bool haveMonitors, ControlEvents& events);
  ~X11Screen() override;
  bool CursorPos(ui::Point& p) override;
  // A helper thread with a connection of its own asks the server for the pointer every
  // few milliseconds while a watch is on; the UI thread only reads its last answer.
  void WatchPointer(bool on) override;
  bool RecentCursorPos(ui::Point& p) override;
  ui::Rect VirtualDesktop() override;
  ui::Rect WorkArea() override;
  // The root window's size, read from the server (never the cached DisplayWidth).
  ui::Rect RootGeometry();
  // The monitors, for turning root coordinates into the program's and back.
  const clicker::MonitorLayout& Layout();

 private:
  // The geometry is asked for before every absolute move, and each answer costs server round
  // trips; a macro sends hundreds of moves a second. It is kept until the server announces
  // a change of the root window or of the RandR configuration (monitors too), and at most for
  // a minute in case a change comes in a way that is not announced to us: a refill costs a
  // millisecond or two, too much to pay in the middle of a macro every second.
  bool GeometryFresh();
  Display* dpy_;
  ControlEvents& events_;
  Window root_;
  bool haveMonitors_;
  int rrEventBase_ = -1;
  bool cached_ = false;
  bool changed_ = false;  // the server announced a change since the last fill
  std::uint64_t cachedAtMs_ = 0;
  ui::Rect rootCache_{};
  clicker::MonitorLayout layoutCache_;
  Atom workArea_;
  Atom currentDesktop_;

  std::thread watcher_;
  std::mutex watchMutex_;
  std::condition_variable watchWake_;
  bool watchStop_ = false;
  bool sampled_ = false;  // guarded by watchMutex_, with the sample
  int sampleX_ = 0, sampleY_ = 0;
};

// The pointer's button mapping (left-handed users swap 1 and 3), cached until the server
// announces a change.
class PointerButtons {
 public:
  PointerButtons(Display* dpy, ControlEvents& events);
  unsigned Physical(unsigned logical);
  unsigned Logical(unsigned physical);

 private:
  void Refresh();
  Display* dpy_;
  ControlEvents& events_;
  std::vector<unsigned char> map_;  // logical button of physical button i + 1; empty: stale
};

class X11Mouse : public platform::MouseInputSink {
 public:
  X11Mouse(Display* dpy, X11Screen& screen, PointerButtons& buttons);
  void Send(const platform::MouseInputRecord& record) override;
  void SendKey(const platform::KeyInputRecord& record) override;

 private:
  void Button(unsigned logical, bool down);
  Display* dpy_;
  X11Screen& screen_;
  PointerButtons& buttons_;
};

class X11Hotkeys : public platform::HotkeyRegistrar {
 public:
  X11Hotkeys(Display* dpy, QObject& context);
  ~X11Hotkeys() override;
  void SetHandler(std::function<void(int id)> handler) override;
  void SetReleaseHandler(std::function<void(int id)> handler) override;
  bool Register(int id, std::uint32_t modifiers, std::uint32_t vk) override;
  void Unregister(int id) override;
  std::string KeyName(std::uint32_t vk) override;

 private:
  struct Grab {
    int id;
    unsigned keycode;
    unsigned state;
    bool noRepeat;
    std::vector<unsigned> variants;
    bool down = false;
    bool releaseReported = false;  // the first key let go since the press was reported
    bool button = false;           // a mouse button: `keycode` holds the X button number
  };
  void Drain();
  void DrainLater();
  void Handle(XEvent& ev);
  void Ungrab(const Grab& g);

  Display* dpy_;
  Window root_;
  QObject& context_;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::function<void(int)> handler_;
  std::function<void(int)> releaseHandler_;
  std::vector<Grab> grabs_;
  hotkeys::XModifierMasks masks_;
  bool detectableRepeat_ = false;
};

class X11MouseHook : public platform::MouseHook {
 public:
  // `control` sends the RECORD requests; every installation gets a data connection of its
  // own, served by a helper thread that only collects events and posts them to the UI thread.
  X11MouseHook(Display* control, bool haveRecord, QObject& context, PointerButtons& buttons,
               X11Screen& screen);
  ~X11MouseHook() override;
  bool Install(Callback callback) override;
  void Remove() override;
  void AlsoReport(InputCallback input, bool keys) override;

 private:
  struct Event {
    int type;
    unsigned button;  // physical; the keycode of a key event
    int x, y;
  };
  static void OnRecord(XPointer self, XRecordInterceptData* data);
  void Deliver(std::uint64_t generation);

  Display* control_;
  bool haveRecord_;
  QObject& context_;
  PointerButtons& buttons_;
  X11Screen& screen_;
  DisplayPtr data_;
  XRecordContext recordContext_ = 0;
  std::thread thread_;
  std::unique_ptr<QTimer> flushTimer_;
  Callback callback_;
  InputCallback input_, pendingInput_;
  bool pendingKeys_ = false;
  std::uint64_t generation_ = 0;  // UI thread only

  std::mutex mutex_;  // guards everything below, shared with the helper thread
  std::condition_variable started_;
  bool dataStarted_ = false;
  bool threadEnded_ = false;
  bool wakePosted_ = false;
  std::uint64_t postGeneration_ = 0;
  std::vector<Event> queue_;
};

// The pick of a point: an active grab of the pointer (with a crosshair) and of the
// keyboard on the control connection, so that the deciding click and Esc reach only us.
class X11PointPicker : public platform::PointPicker {
 public:
  X11PointPicker(Display* dpy, ControlEvents& events, X11Screen& screen, QObject& context);
  ~X11PointPicker() override;
  bool Begin(std::function<void(const platform::PickInput&)> onInput) override;
  void End() override;

 private:
  void OnEvent(XEvent& ev);
  void Release();

  Display* dpy_;
  X11Screen& screen_;
  QObject& context_;
  Cursor crosshair_ = 0;
  bool grabbed_ = false;
  bool picking_ = false;
  unsigned awaitedRelease_ = 0;  // the button whose press was taken, until it comes up
  std::function<void(const platform::PickInput&)> onInput_;
  std::unique_ptr<QTimer> letGo_;
};

}  // namespace linuxdesktop
