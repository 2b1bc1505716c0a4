#include "win32/Win32Timers.h"

#include <mmsystem.h>

#include <limits>

namespace win32ui {

namespace {

constexpr UINT kTickMessage = WM_APP + 0x51;
constexpr DWORD kHighResolutionFlag = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
// After this long without a running timer the raised system timer resolution is given back.
constexpr DWORD kResolutionHoldMs = 1000;

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

}  // namespace

TimerService::TimerService() {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  frequency_ = f.QuadPart > 0 ? f.QuadPart : 1;

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
  waitable_ = CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionFlag, TIMER_ALL_ACCESS);
  highResolution_ = waitable_ != nullptr;
  if (!waitable_) waitable_ = CreateWaitableTimerW(nullptr, FALSE, nullptr);
  OptOutOfTimerThrottling();
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
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = entries_.find(id);
    if (it == entries_.end()) return;
    Entry& e = *it->second;
    e.running = true;
    e.interval = std::max<std::int64_t>(1, static_cast<std::int64_t>(intervalMs) * frequency_ / 1000);
    e.next = Now() + e.interval;
    ++e.generation;  // a tick of the old period still in the queue is dropped
    e.pending = false;
  }
  SetEvent(wake_);
}

void TimerService::Stop(int id) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = entries_.find(id);
  if (it == entries_.end()) return;
  Entry& e = *it->second;
  if (!e.running && !e.pending) return;
  e.running = false;
  ++e.generation;
  e.pending = false;
}

void TimerService::Deliver(int id, std::uint32_t generation) {
  ui::Timer* owner = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = entries_.find(id);
    if (it == entries_.end()) return;
    Entry& e = *it->second;
    if (e.generation != generation || !e.running) return;
    // Cleared before the tick runs: a deadline passing during a long tick posts one more.
    e.pending = false;
    owner = e.owner;
  }
  owner->Tick();
}

LRESULT CALLBACK TimerService::SinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kTickMessage) {
    auto* self = reinterpret_cast<TimerService*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self) self->Deliver(static_cast<int>(wParam), static_cast<std::uint32_t>(lParam));
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void TimerService::ThreadMain() {
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
  bool periodRaised = false;
  for (;;) {
    std::int64_t earliest = std::numeric_limits<std::int64_t>::max();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (quit_) break;
      const std::int64_t now = Now();
      for (auto& [id, e] : entries_) {
        if (!e->running) continue;
        if (e->next <= now) {
          if (!e->pending.exchange(true))
            PostMessageW(sink_, kTickMessage, static_cast<WPARAM>(id),
                         static_cast<LPARAM>(e->generation));
          // Deadlines stay on the grid; those missed meanwhile merge into this tick.
          e->next += e->interval * ((now - e->next) / e->interval + 1);
        }
        earliest = std::min(earliest, e->next);
      }
    }
    if (earliest == std::numeric_limits<std::int64_t>::max()) {
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
    const std::int64_t wait = earliest - Now();
    if (wait <= 0) continue;
    LARGE_INTEGER due;
    // Relative due time in 100-ns units (negative).
    due.QuadPart = -std::max<std::int64_t>(1, wait * 10000000 / frequency_);
    SetWaitableTimer(waitable_, &due, 0, nullptr, nullptr, FALSE);
    HANDLE handles[2] = {wake_, waitable_};
    WaitForMultipleObjects(2, handles, FALSE, INFINITE);
  }
  if (periodRaised) timeEndPeriod(1);
}

}  // namespace win32ui
