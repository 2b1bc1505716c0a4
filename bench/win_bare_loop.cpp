// The Windows machine's limit for a clicker that keeps the program's timer rule, with
// nothing else in between: absolute deadlines on a high-resolution waitable timer, the
// deadlines that passed while late merged into one click, press and release by SendInput
// at the cursor, all on one thread.
//   win_bare_loop.exe <interval ms> <clicks> [start delay ms]
#include <windows.h>

#include <cstdlib>

namespace {
void Send(DWORD flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  SendInput(1, &in, sizeof in);
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc < 3) return 2;
  const long long intervalMs = _wtoi(argv[1]);
  const int clicks = _wtoi(argv[2]);
  const DWORD delayMs = argc > 3 ? static_cast<DWORD>(_wtoi(argv[3])) : 0;
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  const long long interval = intervalMs * f.QuadPart / 1000;
  HANDLE timer = CreateWaitableTimerExW(nullptr, nullptr, 0x00000002, TIMER_ALL_ACCESS);
  if (!timer) return 3;
  Sleep(delayMs);
  QueryPerformanceCounter(&c);
  long long next = c.QuadPart + interval;
  for (int i = 0; i < clicks; ++i) {
    QueryPerformanceCounter(&c);
    if (next > c.QuadPart) {
      LARGE_INTEGER due;
      due.QuadPart = -((next - c.QuadPart) * 10000000 / f.QuadPart);
      if (due.QuadPart == 0) due.QuadPart = -1;
      SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE);
      WaitForSingleObject(timer, INFINITE);
    }
    Send(MOUSEEVENTF_LEFTDOWN);
    Send(MOUSEEVENTF_LEFTUP);
    QueryPerformanceCounter(&c);
    next += interval * ((c.QuadPart - next) / interval + 1);
  }
  return 0;
}
