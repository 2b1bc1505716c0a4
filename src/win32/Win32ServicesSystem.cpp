#include <windows.h>
#include <mmsystem.h>

#include <cwchar>
#include <vector>

#include "win32/Win32ServicesParts.h"
#include "win32/Win32ServicesText.h"

namespace win32 {

// --- clock -------------------------------------------------------------------------------

// Milliseconds since start from the performance counter, wrapping like GetTickCount. The
// system's own tick counters (GetTickCount, and timeGetTime unless the process holds a
// 1 ms timer resolution) move in 15.6 ms steps, which recorded time stamps and playback
// would inherit; the click timers use high-resolution waitable timers and so never raise
// the resolution on current Windows.
std::uint32_t SystemClock::GetTickCount() { return static_cast<std::uint32_t>(NowMicros() / 1000); }

// Plain Sleep rounds up to the system timer's 15.6 ms steps unless the resolution is raised:
// a hold of 80 ms would last up to 94 ms and every wait of a macro would stretch. A
// high-resolution waitable timer keeps to the millisecond without changing the system-wide
// resolution; where it does not exist (before Windows 10 1803) the resolution is raised
// just for the wait.
void SystemClock::Sleep(std::uint32_t ms) {
  if (ms == 0) {
    ::Sleep(0);
    return;
  }
  SleepMicros(static_cast<std::uint64_t>(ms) * 1000u);
}

void SystemClock::SleepMicros(std::uint64_t us) {
  if (us == 0) return;
  constexpr DWORD kHighResolutionFlag = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
  // One per thread for the life of the process; only the UI thread sleeps here.
  thread_local HANDLE timer = CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionFlag, TIMER_ALL_ACCESS);
  LARGE_INTEGER due{};
  due.QuadPart = -10LL * static_cast<LONGLONG>(us);  // relative, in 100-ns units
  if (timer && SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE) &&
      WaitForSingleObject(timer, INFINITE) == WAIT_OBJECT_0)
    return;
  timeBeginPeriod(1);
  ::Sleep(static_cast<DWORD>((us + 999) / 1000));
  timeEndPeriod(1);
}

std::uint64_t SystemClock::NowMicros() {
  static const std::int64_t frequency = [] {
    LARGE_INTEGER f{};
    QueryPerformanceFrequency(&f);
    return f.QuadPart > 0 ? f.QuadPart : 1;
  }();
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  const std::int64_t c = counter.QuadPart;
  return static_cast<std::uint64_t>(c / frequency * 1000000 + c % frequency * 1000000 / frequency);
}

platform::LocalDateTime SystemClock::Now() {
  SYSTEMTIME st{};
  GetLocalTime(&st);
  return platform::LocalDateTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

std::uint64_t SystemClock::HighResolutionNow() {
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  return static_cast<std::uint64_t>(counter.QuadPart);
}

// --- registry ----------------------------------------------------------------------------

namespace {

class RegKey {
 public:
  RegKey() = default;
  ~RegKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  HKEY* Out() { return &key_; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// The program names its key "\Software\<title>", the registry wants no leading separator.
std::wstring SubKey(const std::string& keyPath) {
  std::wstring path = Utf8ToWide(keyPath);
  std::size_t start = path.find_first_not_of(L'\\');
  return start == std::wstring::npos ? std::wstring() : path.substr(start);
}

}  // namespace

platform::RegReadResult CurrentUserRegistry::ReadString(const std::string& keyPath,
                                                        const std::string& name,
                                                        std::string& value) {
  RegKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, SubKey(keyPath).c_str(), 0, KEY_QUERY_VALUE, key.Out()) !=
      ERROR_SUCCESS)
    return platform::RegReadResult::Missing;
  const std::wstring valueName = Utf8ToWide(name);
  DWORD type = 0;
  DWORD size = 0;
  LONG rc = RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type, nullptr, &size);
  if (rc != ERROR_SUCCESS) return platform::RegReadResult::Missing;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return platform::RegReadResult::WrongType;
  // The value may grow between the two calls; ask again until it fits.
  std::vector<wchar_t> buffer;
  for (;;) {
    buffer.assign(size / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    rc = RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type,
                          reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    if (rc == ERROR_MORE_DATA) {
      size = bytes;
      continue;
    }
    if (rc != ERROR_SUCCESS) return platform::RegReadResult::Missing;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return platform::RegReadResult::WrongType;
    // A stored string need not carry its terminator; the buffer's spare slot adds one.
    value = WideToUtf8(buffer.data(), bytes / sizeof(wchar_t));
    return platform::RegReadResult::Ok;
  }
}

bool CurrentUserRegistry::WriteString(const std::string& keyPath, const std::string& name,
                                      const std::string& value) {
  RegKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, SubKey(keyPath).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, key.Out(), nullptr) != ERROR_SUCCESS)
    return false;
  const std::wstring data = Utf8ToWide(value);
  const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key.Get(), Utf8ToWide(name).c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(data.c_str()), bytes) == ERROR_SUCCESS;
}

// --- environment -------------------------------------------------------------------------

std::string ProcessEnvironment::GetVariable(const std::string& name) {
  const std::wstring wname = Utf8ToWide(name);
  std::vector<wchar_t> buffer(256);
  for (int attempt = 0; attempt < 4; ++attempt) {
    const DWORD n =
        GetEnvironmentVariableW(wname.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return WideToUtf8(buffer.data(), n);
    buffer.assign(n + 1, L'\0');  // n is the size needed, terminator included
  }
  return {};
}

std::string ProcessEnvironment::UserConfigFolder() { return {}; }

std::string ProcessEnvironment::ExecutableFolder() {
  // Paths may exceed MAX_PATH: grow until the name is not cut off.
  std::vector<wchar_t> buffer(MAX_PATH);
  DWORD n = 0;
  for (;;) {
    n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size() || buffer.size() >= 65536) break;
    buffer.assign(buffer.size() * 2, L'\0');
  }
  std::wstring path(buffer.data(), n);
  const std::size_t slash = path.find_last_of(L"\\/");
  return WideToUtf8(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash));
}

std::string ProcessEnvironment::TempFolder() {
  std::vector<wchar_t> shortPath(MAX_PATH + 1);
  DWORD n = GetTempPathW(static_cast<DWORD>(shortPath.size()), shortPath.data());
  if (n >= shortPath.size()) {
    shortPath.assign(n + 1, L'\0');
    n = GetTempPathW(static_cast<DWORD>(shortPath.size()), shortPath.data());
  }
  if (n == 0 || n >= shortPath.size()) return {};
  std::wstring result(shortPath.data(), n);
  // GetTempPathW may give the 8.3 form (C:\Users\JOHNSM~1\...); the program shows and
  // compares the long one.
  const DWORD needed = GetLongPathNameW(result.c_str(), nullptr, 0);
  if (needed > 0) {
    std::vector<wchar_t> longPath(needed);
    const DWORD got = GetLongPathNameW(result.c_str(), longPath.data(), needed);
    if (got > 0 && got < needed) result.assign(longPath.data(), got);
  }
  if (result.empty() || (result.back() != L'\\' && result.back() != L'/')) result += L'\\';
  return WideToUtf8(result);
}

std::uint16_t ProcessEnvironment::SystemDefaultUILanguage() {
  return static_cast<std::uint16_t>(GetSystemDefaultUILanguage());
}

std::string ProcessEnvironment::DecimalSeparator() {
  wchar_t buffer[16] = {};
  const int n = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 16);
  if (n <= 1) return ".";
  return WideToUtf8(buffer, static_cast<std::size_t>(n - 1));
}

char ProcessEnvironment::PathDelimiter() { return '\\'; }

// --- shell -------------------------------------------------------------------------------

void ShellOpener::Open(const std::string& target, const std::string& verb) {
  const std::wstring wtarget = Utf8ToWide(target);
  const std::wstring wverb = Utf8ToWide(verb);
  ShellExecuteW(nullptr, wverb.empty() ? nullptr : wverb.c_str(), wtarget.c_str(), nullptr,
                nullptr, SW_SHOWNORMAL);
}

// --- profile files -----------------------------------------------------------------------

namespace {

// The profile functions rewrite the whole file for each key and do not guard against another
// process doing the same: two copies of the program saving at once (both closing at logoff)
// can lose each other's keys or leave sections mixed up. Every read and write of a profile
// file therefore holds a mutex shared by all copies in the session. A copy that holds it for
// long (hung) only delays the others: after the wait they go ahead as before. Start-up reads
// dozens of keys, so once a wait has timed out the later ones only try the mutex until it is
// free again; otherwise a hung copy would hold a new one's window back for minutes.
class ProfileLock {
 public:
  ProfileLock() {
    static HANDLE mutex = CreateMutexW(nullptr, FALSE, L"Local\\QEL Auto Clicker profile files");
    static bool timedOut = false;  // only the UI thread reads and writes profiles
    if (mutex) {
      const DWORD r = WaitForSingleObject(mutex, timedOut ? 0 : 5000);
      if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED) held_ = mutex;
      timedOut = held_ == nullptr;
    }
  }
  ~ProfileLock() {
    if (held_) ReleaseMutex(held_);
  }
  ProfileLock(const ProfileLock&) = delete;
  ProfileLock& operator=(const ProfileLock&) = delete;

 private:
  HANDLE held_ = nullptr;
};

}  // namespace

std::string PrivateProfile::ReadString(const std::string& file, const std::string& section,
                                       const std::string& key, const std::string& defaultValue) {
  // 2048 characters: a value is read up to 2047 of them.
  wchar_t buffer[2048] = {};
  const ProfileLock lock;
  const DWORD n = GetPrivateProfileStringW(
      Utf8ToWide(section).c_str(), Utf8ToWide(key).c_str(), Utf8ToWide(defaultValue).c_str(),
      buffer, 2048, Utf8ToWide(file).c_str());
  return WideToUtf8(buffer, n);
}

bool PrivateProfile::WriteString(const std::string& file, const std::string& section,
                                 const std::string& key, const std::string& value) {
  const ProfileLock lock;
  return WritePrivateProfileStringW(Utf8ToWide(section).c_str(), Utf8ToWide(key).c_str(),
                                    Utf8ToWide(value).c_str(), Utf8ToWide(file).c_str()) != FALSE;
}

}  // namespace win32
