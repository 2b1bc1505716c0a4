// A target window for the Windows edition's end-to-end tests: every left button press in
// its client area is written to a file as "x y ms" (screen pixels, and milliseconds since
// the target started by the performance counter), one line each, at once.
// With a keys file it also writes every character typed into it there, one a line, so a
// test can see where keys went.
// With WIN_TARGET_FRAMELESS=1 in the environment it has no border: a press on its outermost
// pixels is then one in its client area too, so a target as large as the screen logs
// presses in the screen's corners.
//   win_target.exe <log file> <left> <top> <width> <height> [keys file]
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {
FILE* g_log = nullptr;
FILE* g_keys = nullptr;
LARGE_INTEGER g_start, g_frequency;

double ElapsedMs() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart - g_start.QuadPart) * 1000.0 /
         static_cast<double>(g_frequency.QuadPart);
}

LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  switch (m) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      ClientToScreen(w, &p);
      std::fprintf(g_log, "%ld %ld %.3f\n", p.x, p.y, ElapsedMs());
      std::fflush(g_log);
      return 0;
    }
    case WM_XBUTTONDOWN: {
      // A side button is a hotkey in some tests: its press must never arrive here.
      std::fprintf(g_log, "X %d %.3f\n", static_cast<int>(HIWORD(wp)), ElapsedMs());
      std::fflush(g_log);
      return TRUE;
    }
    case WM_CHAR:
      if (g_keys && wp >= 0x20 && wp < 0x7F) {
        std::fprintf(g_keys, "%c\n", static_cast<char>(wp));
        std::fflush(g_keys);
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(w, m, wp, lp);
  }
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  QueryPerformanceFrequency(&g_frequency);
  QueryPerformanceCounter(&g_start);
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc < 6) return 2;
  g_log = _wfopen(argv[1], L"w");
  if (!g_log) return 3;
  if (argc > 6) {
    g_keys = _wfopen(argv[6], L"w");
    if (!g_keys) return 3;
  }
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"QELTarget";
  RegisterClassExW(&wc);
  wchar_t frameless[4] = L"";
  const DWORD framelessLength = GetEnvironmentVariableW(L"WIN_TARGET_FRAMELESS", frameless, 4);
  const DWORD border = framelessLength == 1 && frameless[0] == L'1' ? 0 : WS_BORDER;
  HWND w = CreateWindowExW(0, L"QELTarget", L"QEL Target", WS_POPUP | border | WS_VISIBLE,
                           _wtoi(argv[2]), _wtoi(argv[3]), _wtoi(argv[4]), _wtoi(argv[5]), nullptr,
                           nullptr, instance, nullptr);
  if (!w) return 4;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  std::fclose(g_log);
  return 0;
}
