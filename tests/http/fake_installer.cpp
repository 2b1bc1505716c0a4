// Stands in for the downloaded installer in the end-to-end test: leaves a mark beside
// itself to show that the program started it.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring mark(path, n);
  mark = mark.substr(0, mark.find_last_of(L"\\/") + 1) + L"installer-ran.txt";
  HANDLE f = CreateFileW(mark.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(f, "ran\n", 4, &written, nullptr);
    CloseHandle(f);
  }
  return 0;
}
