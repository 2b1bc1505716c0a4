// Stands in for a hung copy of the program for the Windows fault script
// (tests/e2e/windows_faults.sh): takes the mutex that guards the settings file
// and keeps it until killed. Logs "ready" (or "refused") to the file named by its one
// argument once it holds the mutex.
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  HANDLE mutex = CreateMutexW(nullptr, TRUE, L"Local\\QEL Auto Clicker profile files");
  const bool mine = mutex && GetLastError() != ERROR_ALREADY_EXISTS;
  if (FILE* f = _wfopen(argv[1], L"a")) {
    std::fprintf(f, "%s\n", mine ? "ready" : "refused");
    std::fclose(f);
  }
  if (!mine) return 1;
  for (;;) Sleep(INFINITE);
}
