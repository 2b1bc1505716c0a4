#include <QtCore/QMetaObject>
#include <QtCore/QObject>
#include <QtCore/QTimer>

#include "linux/X11Internal.h"

#include <X11/XKBlib.h>
#include <X11/Xproto.h>

#include <chrono>
#include <utility>

namespace linuxdesktop {

namespace {

constexpr int kFlushIntervalMs = 5;

// The Windows identifier of a recorded pointer event, or 0 for none.
std::uint32_t MessageOf(int type, unsigned button) {
  if (type == MotionNotify) return platform::kWmMouseMove;
  const bool down = type == ButtonPress;
  switch (button) {
    case 1: return down ? platform::kWmLButtonDown : platform::kWmLButtonUp;
    case 2: return down ? platform::kWmMButtonDown : platform::kWmMButtonUp;
    case 3: return down ? platform::kWmRButtonDown : platform::kWmRButtonUp;
    case 4:
    case 5: return down ? platform::kWmMouseWheel : 0;  // a wheel notch has no release
    case 6:
    case 7: return down ? 0x020Eu : 0;                   // WM_MOUSEHWHEEL
    case 8:
    case 9: return down ? platform::kWmXButtonDown : 0x020Cu;  // WM_XBUTTONUP
    default: return 0;
  }
}

}  // namespace

X11MouseHook::X11MouseHook(Display* control, bool haveRecord, QObject& context,
                           PointerButtons& buttons, X11Screen& screen)
    : control_(control), haveRecord_(haveRecord), context_(context), buttons_(buttons), screen_(screen) {}

X11MouseHook::~X11MouseHook() { Remove(); }

// XInput 2 raw events would be the obvious source, but they carry no position, and asking
// the pointer afterwards is wrong whenever moves and clicks come in a burst. The RECORD
// extension hands over each device event as the server processed it, with the root
// position of that very event; it only listens, so input is never swallowed or changed.
// Its data connection blocks in XRecordEnableContext, so a helper thread owns it; the
// thread touches nothing but that connection and the queue.
void X11MouseHook::AlsoReport(InputCallback input, bool keys) {
  pendingInput_ = std::move(input);
  pendingKeys_ = keys;
}

bool X11MouseHook::Install(Callback callback) {
  Remove();
  InputCallback input = std::exchange(pendingInput_, nullptr);
  const bool keys = std::exchange(pendingKeys_, false) && input;
  if (!haveRecord_) return false;
  DisplayPtr data(XOpenDisplay(DisplayString(control_)));
  if (!data) return false;

  XRecordRange* range = XRecordAllocRange();
  if (!range) return false;
  // The device events run KeyPress, KeyRelease, ButtonPress, ButtonRelease, MotionNotify.
  range->device_events.first = keys ? KeyPress : ButtonPress;
  range->device_events.last = MotionNotify;
  XRecordClientSpec clients = XRecordAllClients;
  const XRecordContext ctx = XRecordCreateContext(control_, 0, &clients, 1, &range, 1);
  XFree(range);
  if (ctx == 0) return false;
  XSync(control_, False);  // the context must exist before the data connection names it

  ++generation_;
  {
    std::lock_guard lock(mutex_);
    dataStarted_ = false;
    threadEnded_ = false;
    wakePosted_ = false;
    postGeneration_ = generation_;
    queue_.clear();
  }
  Display* dpy = data.get();
  thread_ = std::thread([this, dpy, ctx] {
    XRecordEnableContext(dpy, ctx, &X11MouseHook::OnRecord, reinterpret_cast<XPointer>(this));
    // Returns when the context is disabled, or at once when it could not be enabled.
    std::lock_guard lock(mutex_);
    threadEnded_ = true;
    started_.notify_all();
  });
  bool ok = false;
  {
    std::unique_lock lock(mutex_);
    started_.wait_for(lock, std::chrono::seconds(2), [this] { return dataStarted_ || threadEnded_; });
    ok = dataStarted_ && !threadEnded_;
  }
  data_ = std::move(data);
  recordContext_ = ctx;
  if (!ok) {
    Remove();
    return false;
  }
  callback_ = std::move(callback);
  input_ = std::move(input);
  // The server collects recorded events in a buffer that it sends only when it is full or
  // when it writes to some client anyway. On a quiet desktop the last moves of a gesture
  // would wait there; a round trip now and then makes the server write, and the buffer
  // goes with it, so events arrive within a few milliseconds.
  flushTimer_ = std::make_unique<QTimer>();
  flushTimer_->setTimerType(Qt::PreciseTimer);
  QObject::connect(flushTimer_.get(), &QTimer::timeout, &context_, [this] { XSync(control_, False); });
  flushTimer_->start(kFlushIntervalMs);
  return true;
}

void X11MouseHook::Remove() {
  if (!data_) return;
  ++generation_;  // events already posted are dropped
  flushTimer_.reset();
  XRecordDisableContext(control_, recordContext_);
  XSync(control_, False);
  if (thread_.joinable()) thread_.join();
  XRecordFreeContext(control_, recordContext_);
  XFlush(control_);
  data_.reset();
  recordContext_ = 0;
  callback_ = nullptr;
  input_ = nullptr;
  std::lock_guard lock(mutex_);
  queue_.clear();
  wakePosted_ = false;
}

// Runs on the helper thread.
void X11MouseHook::OnRecord(XPointer self, XRecordInterceptData* data) {
  auto* hook = reinterpret_cast<X11MouseHook*>(self);
  if (data->category == XRecordStartOfData) {
    std::lock_guard lock(hook->mutex_);
    hook->dataStarted_ = true;
    hook->started_.notify_all();
  } else if (data->category == XRecordFromServer && data->data &&
             data->data_len * 4 >= sizeof(xEvent)) {
    const auto* e = reinterpret_cast<const xEvent*>(data->data);
    const int type = e->u.u.type & 0x7F;
    if (type >= KeyPress && type <= MotionNotify) {
      std::lock_guard lock(hook->mutex_);
      hook->queue_.push_back({type, e->u.u.detail, e->u.keyButtonPointer.rootX,
                              e->u.keyButtonPointer.rootY});
      if (!hook->wakePosted_) {
        hook->wakePosted_ = true;
        const std::uint64_t gen = hook->postGeneration_;
        QMetaObject::invokeMethod(&hook->context_, [hook, gen] { hook->Deliver(gen); },
                                  Qt::QueuedConnection);
      }
    }
  }
  XRecordFreeData(data);
}

void X11MouseHook::Deliver(std::uint64_t generation) {
  if (generation != generation_) return;
  std::vector<Event> batch;
  {
    std::lock_guard lock(mutex_);
    batch.swap(queue_);
    wakePosted_ = false;
  }
  const Callback callback = callback_;  // Remove() inside it must not destroy it mid-call
  const InputCallback input = input_;
  for (const Event& e : batch) {
    if (generation != generation_ || !callback) return;
    if (e.type == KeyPress || e.type == KeyRelease) {
      // The first level's keysym names the key whatever modifiers are held, as a Windows
      // virtual-key code does; the live keymap follows a layout switched meanwhile.
      const std::uint32_t vk =
          hotkeys::KeysymToVk(static_cast<std::uint32_t>(XkbKeycodeToKeysym(control_, static_cast<KeyCode>(e.button), 0, 0)));
      if (vk != 0 && input)
        input(e.type == KeyPress ? platform::kWmKeyDown : platform::kWmKeyUp, 0, 0, static_cast<std::int32_t>(vk));
      continue;
    }
    // Recorded buttons are physical; the program speaks of the user's logical buttons.
    const unsigned button = e.type == MotionNotify ? 0 : buttons_.Logical(e.button);
    if (const std::uint32_t message = MessageOf(e.type, button)) {
      // The server reports root positions; the program's are measured from the primary monitor.
      const ui::Point p = screen_.Layout().FromSystem({e.x, e.y});
      callback(0, message, p.x, p.y);
      // Buttons 4 and 5 are the wheel's notches, away from the user and towards.
      if (message == platform::kWmMouseWheel && input && generation == generation_)
        input(message, p.x, p.y, button == 4 ? platform::kWheelNotch : -platform::kWheelNotch);
    }
  }
}

}  // namespace linuxdesktop
