// Holds Ctrl+Shift+S for the Windows fault script (tests/e2e/windows_faults.sh) before the
// program starts: registers it as a thread hotkey and logs, to the file named by its one
// argument, "ready" (or "refused") and then one "hotkey" line per press it receives.
#include <windows.h>

#include <cstdio>

namespace {
void Log(const wchar_t* path, const char* line) {
  FILE* f = _wfopen(path, L"a");
  if (!f) return;
  std::fprintf(f, "%s\n", line);
  std::fclose(f);
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  if (!RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_SHIFT, 'S')) {
    Log(argv[1], "refused");
    return 1;
  }
  Log(argv[1], "ready");
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    if (m.message == WM_HOTKEY) Log(argv[1], "hotkey");
  }
  return 0;
}
