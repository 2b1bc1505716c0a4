#include "win32/Win32Timers.h"

#include <mmsystem.h>

#include <algorithm>
#include <limits>

namespace win32 {

namespace {

constexpr UINT kTickMessage = WM_APP + 0x51;
constexpr DWORD kHighResolutionFlag = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
// After this long without a running timer the raised system timer resolution is given back.
constexpr DWORD kResolutionHoldMs = 1000;
// The main loop counts as away (a modal loop, a long handler) after this long outside its
// wait; only then does the helper thread post ticks.
constexpr std::int64_t kTakeoverMs = 10;
// While the main loop serves the timers, the helper looks this often whether it is away:
// the most the first tick in a modal loop can be late, and few wake-ups meanwhile.
constexpr std::int64_t kWatchMs = 50;
constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();

class PreciseTimerPeer : public ui::TimerPeer {
 public:
  PreciseTimerPeer(TimerService& service, ui::Timer& owner)
      : service_(service), id_(service.Add(owner)) {}
  ~PreciseTimerPeer() override { service_.Remove(id_); }
  void start(unsigned intervalMs) override { service_.Start(id_, intervalMs); }
  void stop() override { service_.Stop(id_); }

 private:
  TimerService& service_;
  int id_;
};

// Windows 10 lets the system ignore the timer resolution of a process whose window is
// hidden or minimised; a clicker runs exactly then. Older systems and Wine lack the call.
void OptOutOfTimerThrottling() {
  using Fn = BOOL(WINAPI*)(HANDLE, PROCESS_INFORMATION_CLASS, LPVOID, DWORD);
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetProcessInformation")));
  if (!fn) return;
  PROCESS_POWER_THROTTLING_STATE state{};
  state.Version = PROCESS_POWER_THROTTLING_CURRENT_VERSION;
  state.ControlMask = PROCESS_POWER_THROTTLING_IGNORE_TIMER_RESOLUTION;
  state.StateMask = 0;  // always honour the resolution this process asks for
  fn(GetCurrentProcess(), ProcessPowerThrottling, &state, sizeof state);
}

HANDLE PreciseWaitableTimer(bool& highResolution) {
  HANDLE h = CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionFlag, TIMER_ALL_ACCESS);
  highResolution = h != nullptr;
  return h ? h : CreateWaitableTimerW(nullptr, FALSE, nullptr);
}

// Arms `timer` for the performance-counter moment `at`.
void ArmAt(HANDLE timer, std::int64_t at, std::int64_t now, std::int64_t frequency) {
  LARGE_INTEGER due;
  // Relative due time in 100-ns units (negative).
  due.QuadPart = -std::max<std::int64_t>(1, (at - now) * 10000000 / frequency);
  SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE);
}

}  // namespace

TimerService::TimerService() {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  frequency_ = f.QuadPart > 0 ? f.QuadPart : 1;
  takeover_ = std::max<std::int64_t>(1, frequency_ * kTakeoverMs / 1000);
  watch_ = std::max<std::int64_t>(1, frequency_ * kWatchMs / 1000);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = SinkProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"QELTimerSink";
  RegisterClassExW(&wc);
  sink_ = CreateWindowExW(0, L"QELTimerSink", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                          wc.hInstance, nullptr);
  SetWindowLongPtrW(sink_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

  wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  waitable_ = PreciseWaitableTimer(highResolution_);
  uiWaitable_ = PreciseWaitableTimer(highResolution_);
  OptOutOfTimerThrottling();
  loopSeen_ = Now();
  thread_ = std::thread([this] { ThreadMain(); });
}

TimerService::~TimerService() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  SetEvent(wake_);
  if (thread_.joinable()) thread_.join();
  if (sink_) DestroyWindow(sink_);
  CloseHandle(uiWaitable_);
  CloseHandle(waitable_);
  CloseHandle(wake_);
}

std::unique_ptr<ui::TimerPeer> TimerService::CreatePeer(ui::Timer& owner) {
  return std::make_unique<PreciseTimerPeer>(*this, owner);
}

std::int64_t TimerService::Now() const {
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return c.QuadPart;
}

int TimerService::Add(ui::Timer& owner) {
  std::lock_guard<std::mutex> lock(mutex_);
  const int id = nextId_++;
  auto e = std::make_unique<Entry>();
  e->owner = &owner;
  entries_[id] = std::move(e);
  return id;
}

void TimerService::Remove(int id) {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_.erase(id);
}

void TimerService::Start(int id, unsigned intervalMs) {
  std::int64_t deadline = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = entries_.find(id);
    if (it == entries_.end()) return;
    ui::TimerGrid& grid = it->second->grid;
    grid.Start(Now(), std::max<std::int64_t>(1, static_cast<std::int64_t>(intervalMs) * frequency_ / 1000));
    deadline = grid.Deadline();
  }
  // The helper is told only when it would look too late: a restart at every tick (jitter)
  // costs no wake-up of it.
  if (helperUntil_ > deadline + watch_) SetEvent(wake_);
}

void TimerService::Stop(int id) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = entries_.find(id);
  if (it != entries_.end()) it->second->grid.Stop();
}

std::int64_t TimerService::EarliestLocked() const {
  std::int64_t earliest = kNever;
  for (const auto& [id, e] : entries_)
    if (e->grid.Running()) earliest = std::min(earliest, e->grid.Deadline());
  return earliest;
}

void TimerService::WaitForMessageOrTick() {
  std::int64_t earliest;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    earliest = EarliestLocked();
  }
  DWORD handles = 0;
  if (earliest != kNever) {
    if (earliest != uiArmedFor_) {
      ArmAt(uiWaitable_, earliest, Now(), frequency_);
      uiArmedFor_ = earliest;
    }
    handles = 1;
  }
  loopSeen_ = kNever;  // inside the wait: this loop serves the timers itself
  const DWORD r = MsgWaitForMultipleObjectsEx(handles, &uiWaitable_, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  loopSeen_ = Now();
  // The waitable timer's clock and the performance counter may disagree by a hair: a timer
  // that fired just before the deadline is armed again.
  if (handles == 1 && r == WAIT_OBJECT_0) uiArmedFor_ = 0;

  // One tick per timer at most, then back to the queue, so input is never starved.
  for (int after = 0;;) {
    int id = 0;
    ui::Timer* owner = nullptr;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      const std::int64_t now = Now();
      for (auto it = entries_.upper_bound(after); it != entries_.end() && !owner; ++it) {
        id = it->first;
        if (it->second->grid.Expire(now)) owner = TakeLocked(id, *it->second, it->second->grid.Generation());
      }
    }
    if (!owner) return;
    RunHandler(id, owner);
    after = id;
  }
}

ui::Timer* TimerService::TakeLocked(int id, Entry& e, std::uint32_t generation) {
  switch (e.grid.Deliver(generation)) {
    case ui::TimerGrid::Delivery::Drop: return nullptr;
    case ui::TimerGrid::Delivery::Run: return e.owner;
    case ui::TimerGrid::Delivery::RunWhenIdle: break;
  }
  // A window timer's message is made only when the queue holds nothing else: the input
  // that came in during the long handler (a Stop) is handled first.
  e.deferred = generation;
  SetTimer(sink_, static_cast<UINT_PTR>(id), USER_TIMER_MINIMUM, nullptr);
  return nullptr;
}

void TimerService::RunHandler(int id, ui::Timer* owner) {
  owner->Tick();
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = entries_.find(id);
  if (it != entries_.end()) it->second->grid.HandlerDone();
}

void TimerService::Deliver(int id, std::uint32_t generation) {
  ui::Timer* owner = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = entries_.find(id);
    if (it != entries_.end()) owner = TakeLocked(id, *it->second, generation);
  }
  if (owner) RunHandler(id, owner);
}

void TimerService::DeliverDeferred(int id) {
  KillTimer(sink_, static_cast<UINT_PTR>(id));
  ui::Timer* owner = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = entries_.find(id);
    if (it == entries_.end() || !it->second->grid.DeliverDeferred(it->second->deferred)) return;
    owner = it->second->owner;
  }
  RunHandler(id, owner);
}

LRESULT CALLBACK TimerService::SinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TimerService*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == kTickMessage) {
    if (self) self->Deliver(static_cast<int>(wParam), static_cast<std::uint32_t>(lParam));
    return 0;
  }
  if (message == WM_TIMER) {
    if (self) self->DeliverDeferred(static_cast<int>(wParam));
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void TimerService::ThreadMain() {
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
  bool periodRaised = false;
  for (;;) {
    std::int64_t earliest = kNever;
    std::int64_t until = kNever;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (quit_) break;
      const std::int64_t now = Now();
      const std::int64_t seen = loopSeen_;
      const bool away = seen != kNever && now - seen >= takeover_;
      for (auto& [id, e] : entries_) {
        if (away && e->grid.Expire(now))
          PostMessageW(sink_, kTickMessage, static_cast<WPARAM>(id),
                       static_cast<LPARAM>(e->grid.Generation()));
        if (e->grid.Running()) earliest = std::min(earliest, e->grid.Deadline());
      }
      // While the main loop serves the timers, only look again when it could be away.
      until = earliest == kNever || away ? earliest : std::max(earliest, now + watch_);
      helperUntil_ = until;
    }
    if (until == kNever) {
      const DWORD r = WaitForSingleObject(wake_, periodRaised ? kResolutionHoldMs : INFINITE);
      if (r == WAIT_TIMEOUT && periodRaised) {
        timeEndPeriod(1);
        periodRaised = false;
      }
      continue;
    }
    if (!highResolution_ && !periodRaised) {
      timeBeginPeriod(1);
      periodRaised = true;
    }
    const std::int64_t now = Now();
    if (until <= now) continue;
    ArmAt(waitable_, until, now, frequency_);
    HANDLE handles[2] = {wake_, waitable_};
    WaitForMultipleObjects(2, handles, FALSE, INFINITE);
  }
  if (periodRaised) timeEndPeriod(1);
}

}  // namespace win32
