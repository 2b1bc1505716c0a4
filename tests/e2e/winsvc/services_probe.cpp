// Checks the Windows edition's machine services against a real Windows API (Wine under
// Xvfb in CI). Runs as a console program driven by tests/e2e/windows_services.sh: when it
// needs input from outside (keys and pointer moves through X), it prints
//   STEP <id> <xdotool arguments>
// and waits for the script to run xdotool and drop <id>.done, holding xdotool's output,
// into the handshake folder given as the first argument.
// Prints every disagreement as "FAIL: ..." and exits 1 when there was any.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "clicker/AbsoluteCoord.h"
#include "platform/Files.h"
#include "win32/Win32Services.h"
#include "win32/Win32ServicesText.h"

namespace {

using win32::Utf8ToWide;
using win32::WideToUtf8;

int g_failures = 0;
std::string g_handshake;  // folder, with a trailing separator

void Info(const std::string& text) {
  std::printf("  %s\n", text.c_str());
  std::fflush(stdout);
}

void Section(const std::string& name) {
  std::printf("== %s\n", name.c_str());
  std::fflush(stdout);
}

bool Check(bool ok, const std::string& what) {
  if (!ok) {
    ++g_failures;
    std::printf("FAIL: %s\n", what.c_str());
    std::fflush(stdout);
  }
  return ok;
}

// Serves the thread's queue for `ms` milliseconds, or until `done` holds.
bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (done && done()) return true;
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= ms) return done ? done() : true;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, (std::min<DWORD>)(ms - elapsed, 10), QS_ALLINPUT);
  }
}

void Pump(DWORD ms) { PumpUntil(nullptr, ms); }

// Asks the driving script to run xdotool with `args`; returns its output.
std::string Step(const std::string& id, const std::string& args) {
  std::printf("STEP %s %s\n", id.c_str(), args.c_str());
  std::fflush(stdout);
  const std::string done = g_handshake + id + ".done";
  if (!PumpUntil([&] { return platform::files::FileExists(done); }, 30000)) {
    Check(false, "the driving script did not answer step " + id);
    return {};
  }
  std::string out;
  platform::files::ReadAll(done, out);
  return out;
}

std::string Hex(unsigned v) {
  char b[16];
  std::snprintf(b, sizeof b, "0x%04X", v);
  return b;
}

std::string PointText(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }

// --- a test window that records the mouse messages it receives ------------------------

struct MouseMessage {
  UINT message;
  POINT screen;
};

std::vector<MouseMessage> g_windowMessages;

LRESULT CALLBACK TargetProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  switch (m) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: {
      POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      ClientToScreen(w, &p);
      g_windowMessages.push_back({m, p});
      return 0;
    }
    default:
      return DefWindowProcW(w, m, wp, lp);
  }
}

HWND CreateTargetWindow() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = TargetProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"QelWinsvcProbeTarget";
  RegisterClassExW(&wc);
  HWND w = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"QEL winsvc probe",
                           WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 500, 400, nullptr, nullptr,
                           wc.hInstance, nullptr);
  SetForegroundWindow(w);
  Pump(500);
  return w;
}

POINT ClientCenter(HWND w) {
  RECT rc;
  GetClientRect(w, &rc);
  POINT p{(rc.right - rc.left) / 2, (rc.bottom - rc.top) / 2};
  ClientToScreen(w, &p);
  return p;
}

void MoveTo(win32::Win32Services& s, int x, int y) {
  const ui::Rect desk = s.Screen().VirtualDesktop();
  s.Mouse().Send({clicker::ToAbsoluteCoord(x, desk.left, desk.width),
                  clicker::ToAbsoluteCoord(y, desk.top, desk.height), 0xC001});
}

// --- the checks ---------------------------------------------------------------------------

void CheckScreen(win32::Win32Services& s) {
  Section("screen");
  const ui::Rect desk = s.Screen().VirtualDesktop();
  const ui::Rect work = s.Screen().WorkArea();
  Info("virtual desktop " + PointText(desk.left, desk.top) + " " + std::to_string(desk.width) +
       "x" + std::to_string(desk.height) + ", work area " + PointText(work.left, work.top) + " " +
       std::to_string(work.width) + "x" + std::to_string(work.height));
  std::istringstream root(Step("geometry", "getdisplaygeometry"));
  int rw = 0, rh = 0;
  root >> rw >> rh;
  Check(desk.left == 0 && desk.top == 0 && desk.width == rw && desk.height == rh,
        "the virtual desktop is the X root " + std::to_string(rw) + "x" + std::to_string(rh));
  Check(work.width > 0 && work.height > 0 && work.left >= desk.left && work.top >= desk.top &&
            work.Right() <= desk.Right() && work.Bottom() <= desk.Bottom(),
        "the work area lies on the desktop");
}

void CheckPointer(win32::Win32Services& s, HWND target) {
  Section("absolute moves");
  const ui::Rect desk = s.Screen().VirtualDesktop();
  // Every pixel of a row and of a column: ToAbsoluteCoord and the system's mapping back
  // must agree, within a pixel, on all of them, not just on a few round numbers; the
  // pixels that land next door are listed (the rounding back is the system's own).
  int distant = 0;
  std::string offByOne, firstDistant;
  auto land = [&](int x, int y, const char* axis, int value) {
    MoveTo(s, x, y);
    ui::Point p;
    const bool read = s.Screen().CursorPos(p);
    if (read && p.x == x && p.y == y) return;
    if (read && std::abs(p.x - x) + std::abs(p.y - y) == 1) {
      offByOne += std::string(axis) + std::to_string(value) + "->" + PointText(p.x, p.y) + " ";
    } else if (distant++ == 0) {
      firstDistant = PointText(x, y) + " landed at " + PointText(p.x, p.y);
    }
  };
  for (int x = 0; x < desk.width; ++x) land(x, desk.height / 3, "x", x);
  for (int y = 0; y < desk.height; ++y) land(desk.width / 3, y, "y", y);
  Check(distant == 0, "absolute moves land on their pixel: " + std::to_string(distant) +
                      " land further off, first " + firstDistant);
  Info(std::to_string(desk.width + desk.height) + " absolute moves checked with GetCursorPos; " +
       (offByOne.empty() ? std::string("all exact") : "one pixel off: " + offByOne));

  // The X server's own pointer, as other programs see it.
  struct Spot {
    int x, y;
  };
  for (Spot spot : {Spot{0, 0}, Spot{desk.width - 1, desk.height - 1}, Spot{641, 333}}) {
    MoveTo(s, spot.x, spot.y);
    Pump(100);
    const std::string out = Step("pointer_" + PointText(spot.x, spot.y), "getmouselocation");
    const std::string expect = "x:" + std::to_string(spot.x) + " y:" + std::to_string(spot.y) + " ";
    Check(out.rfind(expect, 0) == 0,
          "the X pointer is at " + PointText(spot.x, spot.y) + " after the move; xdotool says " + out);
  }

  Section("clicks reach a window");
  const POINT c = ClientCenter(target);
  struct Case {
    std::vector<DWORD> flags;
    std::vector<UINT> expected;
  };
  const Case cases[] = {
      {{0x0002, 0x0004}, {WM_LBUTTONDOWN, WM_LBUTTONUP}},
      {{0x0008, 0x0010}, {WM_RBUTTONDOWN, WM_RBUTTONUP}},
      {{0x0020, 0x0040}, {WM_MBUTTONDOWN, WM_MBUTTONUP}},
      // Four records without a pause: the window sees a double click.
      {{0x0002, 0x0004, 0x0002, 0x0004}, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}},
  };
  int n = 0;
  for (const Case& k : cases) {
    const POINT at{c.x - 40 + 20 * n, c.y - 30 + 15 * n};
    ++n;
    MoveTo(s, at.x, at.y);
    Pump(50);
    // Keep the double click of one case from pairing with the last press of the case before.
    Pump(GetDoubleClickTime() + 50);
    g_windowMessages.clear();
    for (DWORD f : k.flags) s.Mouse().Send({0, 0, f});
    PumpUntil([&] { return g_windowMessages.size() >= k.expected.size(); }, 2000);
    Pump(100);
    std::string got;
    bool ok = g_windowMessages.size() == k.expected.size();
    for (std::size_t i = 0; i < g_windowMessages.size(); ++i) {
      const MouseMessage& m = g_windowMessages[i];
      got += Hex(m.message) + "@" + PointText(m.screen.x, m.screen.y) + " ";
      if (i < k.expected.size() &&
          (m.message != k.expected[i] || m.screen.x != at.x || m.screen.y != at.y))
        ok = false;
    }
    std::string want;
    for (UINT e : k.expected) want += Hex(e) + " ";
    Check(ok, "records " + std::to_string(k.flags.size()) + " starting " + Hex(k.flags[0]) +
                  " at " + PointText(at.x, at.y) + " give " + want + "; the window saw " + got);
  }
}

struct HookEvent {
  int nCode;
  std::uint32_t message;
  int x, y;
};

bool Saw(const std::vector<HookEvent>& events, std::uint32_t message, int x, int y) {
  for (const HookEvent& e : events)
    if (e.nCode == 0 && e.message == message && e.x == x && e.y == y) return true;
  return false;
}

std::string Describe(const std::vector<HookEvent>& events) {
  std::string r;
  for (const HookEvent& e : events)
    r += Hex(e.message) + "@" + PointText(e.x, e.y) + " ";
  return r.empty() ? "nothing" : r;
}

void CheckHook(win32::Win32Services& s, HWND target) {
  Section("low-level mouse hook");
  std::vector<HookEvent> events;
  const bool installed = s.Hook().Install([&](int nCode, std::uint32_t m, int x, int y) {
    events.push_back({nCode, m, x, y});
  });
  if (!Check(installed, "the low-level mouse hook installs (error " + std::to_string(GetLastError()) + ")"))
    return;
  const POINT c = ClientCenter(target);

  // Synthetic input from this very thread.
  const POINT a{c.x + 17, c.y + 9};
  Pump(GetDoubleClickTime() + 50);
  g_windowMessages.clear();
  MoveTo(s, a.x, a.y);
  s.Mouse().Send({0, 0, 0x0002});
  s.Mouse().Send({0, 0, 0x0004});
  PumpUntil([&] { return Saw(events, WM_LBUTTONUP, a.x, a.y); }, 2000);
  Pump(100);
  Check(Saw(events, WM_MOUSEMOVE, a.x, a.y) && Saw(events, WM_LBUTTONDOWN, a.x, a.y) &&
            Saw(events, WM_LBUTTONUP, a.x, a.y),
        "the hook sees the synthetic move, press and release at " + PointText(a.x, a.y) +
            "; it saw " + Describe(events));
  Check(g_windowMessages.size() == 2, "the hook hands the click on: the window got " +
                                          std::to_string(g_windowMessages.size()) + " of 2 messages");

  // Input from the X server, as the user's hand makes it.
  events.clear();
  const POINT b{c.x - 23, c.y + 31};
  Pump(GetDoubleClickTime() + 50);
  Step("xmove", "mousemove " + std::to_string(b.x) + " " + std::to_string(b.y) + " click 3");
  PumpUntil([&] { return Saw(events, WM_RBUTTONUP, b.x, b.y); }, 3000);
  Check(Saw(events, WM_MOUSEMOVE, b.x, b.y) && Saw(events, WM_RBUTTONDOWN, b.x, b.y) &&
            Saw(events, WM_RBUTTONUP, b.x, b.y),
        "the hook sees the X pointer move to " + PointText(b.x, b.y) +
            " and the right click there; it saw " + Describe(events));

  s.Hook().Remove();
  s.Hook().Remove();  // harmless twice
  events.clear();
  MoveTo(s, c.x, c.y);
  Pump(200);
  Check(events.empty(), "a removed hook sees nothing; it saw " + Describe(events));
}

// The message-box part of the hotkey check runs in timer procedures, which carry no context.
struct ModalState {
  bool inModal = false;
  bool asked = false;
  bool firedInModal = false;
  int firedCount = 0;
  DWORD start = 0;
} g_modal;

BOOL CALLBACK CloseMessageBox(HWND w, LPARAM) {
  wchar_t cls[16] = {};
  GetClassNameW(w, cls, 16);
  if (std::wstring(cls) == L"#32770") PostMessageW(w, WM_CLOSE, 0, 0);
  return TRUE;
}

void CALLBACK ModalTick(HWND, UINT, UINT_PTR, DWORD) {
  if (!g_modal.inModal) return;
  if (!g_modal.asked) {
    // Ask without waiting for the answer: the box's own loop must dispatch the hotkey.
    g_modal.asked = true;
    std::printf("STEP modal key --clearmodifiers ctrl+shift+s\n");
    std::fflush(stdout);
    return;
  }
  if (g_modal.firedCount > 0 || GetTickCount() - g_modal.start > 10000)
    EnumThreadWindows(GetCurrentThreadId(), CloseMessageBox, 0);
}

void CheckHotkeys(win32::Win32Services& s, HWND target) {
  Section("hotkeys");
  std::vector<int> fired;
  s.Hotkeys().SetHandler([&](int id) {
    fired.push_back(id);
    ++g_modal.firedCount;
    if (g_modal.inModal) g_modal.firedInModal = true;
  });
  const UINT ctrlShift = MOD_CONTROL | MOD_SHIFT;
  Check(s.Hotkeys().Register(1001, ctrlShift | 0x4000, 'S'), "Shift+Ctrl+S registers");
  Check(!s.Hotkeys().Register(1002, ctrlShift, 'S'), "the same combination is refused a second id");
  {
    win32::Win32Services other;
    Check(!other.Hotkeys().Register(1001, ctrlShift, 'S'),
          "the same combination is refused to a second registrar");
    Check(other.Hotkeys().Register(1001, ctrlShift, 'Q'),
          "a second registrar may use the same id for another combination");
  }
  Check(!s.Hotkeys().Register(1003, ctrlShift, 300), "a key code above 255 is refused");

  // Wine sees X keys only while one of its windows has the X focus.
  SetForegroundWindow(target);
  Step("activate", "search --name \"^QEL winsvc probe$\" windowactivate --sync");
  Pump(300);

  Step("press", "key --clearmodifiers ctrl+shift+s");
  PumpUntil([&] { return !fired.empty(); }, 3000);
  Pump(300);
  Check(fired == std::vector<int>{1001},
        "one press fires id 1001 once; it fired " + std::to_string(fired.size()) + " times");

  // Held distant beyond the auto-repeat delay (660 ms on Xvfb): still once.
  fired.clear();
  Step("hold", "keydown ctrl+shift+s sleep 2 keyup s sleep 0.1 keyup ctrl+shift");
  PumpUntil([&] { return !fired.empty(); }, 3000);
  Pump(300);
  Check(fired.size() == 1,
        "a held combination fires once; it fired " + std::to_string(fired.size()) + " times");

  // Modifiers kept down, the key pressed twice: two presses, two actions.
  fired.clear();
  Step("twice", "keydown ctrl+shift+s keyup s sleep 0.2 keydown s keyup s sleep 0.1 keyup ctrl+shift");
  PumpUntil([&] { return fired.size() >= 2; }, 3000);
  Pump(300);
  Check(fired.size() == 2, "S pressed twice under held Ctrl+Shift fires twice; it fired " +
                               std::to_string(fired.size()) + " times");

  // Another program has the focus (as far as Wine goes: another Wine process's window).
  {
    fired.clear();
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    wchar_t cmd[] = L"notepad.exe";
    if (Check(CreateProcessW(nullptr, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) !=
                  FALSE,
              "starting notepad")) {
      WaitForInputIdle(pi.hProcess, 10000);
      Step("notepad", "search --sync --name \"Notepad\" windowactivate --sync");
      Pump(300);
      const bool probeHasFocus = GetForegroundWindow() == target;
      Step("press_in_notepad", "key --clearmodifiers ctrl+shift+s");
      PumpUntil([&] { return !fired.empty(); }, 3000);
      Pump(300);
      Check(!probeHasFocus && fired == std::vector<int>{1001},
            "a press while notepad has the focus fires once; it fired " +
                std::to_string(fired.size()) + " times");
      TerminateProcess(pi.hProcess, 0);
      WaitForSingleObject(pi.hProcess, 5000);
      CloseHandle(pi.hThread);
      CloseHandle(pi.hProcess);
    }
    SetForegroundWindow(target);
    Step("activate_back", "search --name \"^QEL winsvc probe$\" windowactivate --sync");
    Pump(300);
  }

  // A modal loop of the thread, here a message box, delivers it as well.
  fired.clear();
  g_modal = ModalState{};
  g_modal.start = GetTickCount();
  g_modal.inModal = true;
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, ModalTick);
  MessageBoxW(target, L"Waiting for the hotkey", L"QEL winsvc modal", MB_OK);
  g_modal.inModal = false;
  KillTimer(nullptr, timer);
  Check(g_modal.firedInModal, "the hotkey arrives while a message box runs its loop");
  Pump(300);

  fired.clear();
  s.Hotkeys().Unregister(1001);
  SetForegroundWindow(target);
  Step("activate2", "search --name \"^QEL winsvc probe$\" windowactivate --sync");
  Step("after_unregister", "key --clearmodifiers ctrl+shift+s");
  Pump(1000);
  Check(fired.empty(), "an unregistered combination fires nothing");
  Check(s.Hotkeys().Register(1001, ctrlShift, 'S'), "an unregistered combination can be taken again");
  s.Hotkeys().Unregister(1001);
  s.Hotkeys().SetHandler(nullptr);

  Section("key names");
  struct Name {
    UINT vk;
    const char* expected;  // nullptr: any text, shown for the record
  };
  const Name names[] = {
      {'A', "A"},        {'5', "5"},         {VK_F1, "F1"},      {VK_F12, "F12"},
      {VK_SPACE, nullptr}, {VK_ESCAPE, nullptr}, {VK_TAB, nullptr}, {VK_RETURN, nullptr},
      {VK_OEM_1, nullptr}, {VK_OEM_COMMA, nullptr}, {VK_NUMPAD0, nullptr}, {VK_MULTIPLY, nullptr},
      {VK_SHIFT, nullptr}, {VK_CONTROL, nullptr}, {VK_MENU, nullptr}, {VK_CAPITAL, nullptr},
      {VK_PAUSE, nullptr}, {VK_INSERT, nullptr}, {VK_LWIN, nullptr},
      {0x07, ""},  // unassigned: no scan code
      {0xFF, ""},
  };
  std::string shown;
  for (const Name& n : names) {
    const std::string got = s.Hotkeys().KeyName(n.vk);
    shown += Hex(n.vk) + "=\"" + got + "\" ";
    if (n.expected != nullptr)
      Check(got == n.expected, "key name of " + Hex(n.vk) + " is \"" + n.expected + "\", got \"" +
                                   got + "\"");
  }
  Info(shown);
}

void CheckRegistry(win32::Win32Services& s) {
  Section("registry");
  const std::string key = "\\Software\\QEL winsvc probe";
  const wchar_t* rawKey = L"Software\\QEL winsvc probe";
  RegDeleteTreeW(HKEY_CURRENT_USER, rawKey);
  platform::Registry& r = s.Registry();
  using R = platform::RegReadResult;

  std::string v = "untouched";
  Check(r.ReadString(key, "CurrentLanguage", v) == R::Missing && v == "untouched",
        "a missing key reads as Missing and leaves the value alone");
  HKEY probe = nullptr;
  Check(RegOpenKeyExW(HKEY_CURRENT_USER, rawKey, 0, KEY_READ, &probe) != ERROR_SUCCESS,
        "reading does not create the key");
  if (probe) RegCloseKey(probe);

  Check(r.WriteString(key, "CurrentLanguage", "de"), "writing creates the key");
  Check(r.ReadString(key, "CurrentLanguage", v) == R::Ok && v == "de", "reads back \"de\"");
  Check(r.ReadString(key.substr(1), "currentlanguage", v) == R::Ok && v == "de",
        "key path without the leading separator, value name in another case");
  Check(r.ReadString(key, "Other", v) == R::Missing, "a missing value reads as Missing");
  const std::string unicode = "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x98\x80";
  Check(r.WriteString(key, "Name \xC3\xA4", unicode) && r.ReadString(key, "Name \xC3\xA4", v) == R::Ok &&
            v == unicode,
        "UTF-8 names and values round-trip, outside the BMP included");
  Check(r.WriteString(key, "Empty", "") && r.ReadString(key, "Empty", v) == R::Ok && v.empty(),
        "an empty text is Ok and empty");
  const std::string longText(5000, 'x');
  Check(r.WriteString(key, "Long", longText) && r.ReadString(key, "Long", v) == R::Ok &&
            v == longText,
        "a 5000-character value round-trips");

  HKEY k = nullptr;
  RegOpenKeyExW(HKEY_CURRENT_USER, rawKey, 0, KEY_SET_VALUE, &k);
  const DWORD dword = 7;
  RegSetValueExW(k, L"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dword), sizeof dword);
  const wchar_t expand[] = L"%TEMP%\\x";
  RegSetValueExW(k, L"Expand", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expand), sizeof expand);
  const wchar_t bare[] = {L'a', L'b', L'c'};  // stored without its terminator
  RegSetValueExW(k, L"Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(bare), sizeof bare);
  RegCloseKey(k);
  v = "untouched";
  Check(r.ReadString(key, "Number", v) == R::WrongType && v == "untouched",
        "a REG_DWORD reads as WrongType");
  Check(r.ReadString(key, "Expand", v) == R::Ok && v == "%TEMP%\\x",
        "a REG_EXPAND_SZ reads as its text, unexpanded; got \"" + v + "\"");
  Check(r.ReadString(key, "Bare", v) == R::Ok && v == "abc",
        "a REG_SZ stored without terminator reads whole; got \"" + v + "\"");

  RegDeleteTreeW(HKEY_CURRENT_USER, rawKey);
}

void CheckProfile(win32::Win32Services& s) {
  Section("profile files");
  platform::ProfileStore& p = s.Profile();
  const std::string file = s.Environment().TempFolder() + "qel_winsvc_probe.ini";
  DeleteFileW(Utf8ToWide(file).c_str());

  Check(p.ReadString(file, "Target", "mode", "dflt") == "dflt", "a missing file gives the default");
  Check(p.WriteString(file, "Target", "mode", "1"), "writing creates the file");
  Check(p.ReadString(file, "TARGET", "MODE", "dflt") == "1", "names match in any letter case");
  Check(p.WriteString(file, "target", "Mode", "2") && p.WriteString(file, "Interval", "ms", "100"),
        "rewriting and adding");
  std::string raw, bytes;
  platform::files::ReadAll(file, raw);
  for (char ch : raw)
    if (ch != '\r') bytes += ch;
  const std::size_t mode = bytes.find("[Target]\nmode=2\n");
  Check(mode != std::string::npos && bytes.find("mode=1") == std::string::npos &&
            bytes.find("[Interval]\nms=100") > mode,
        "a value is replaced where it stands, a new section goes last; file: " + bytes);
  Check(p.ReadString(file, "Target", "missing", "") == "", "an empty default stays empty");

  const std::string longValue(3000, 'v');
  p.WriteString(file, "Long", "v", longValue);
  const std::string got = p.ReadString(file, "Long", "v", "");
  Check(got == std::string(2047, 'v'), "a long value is read up to 2047 characters; got " +
                                           std::to_string(got.size()));

  // For the record: how the system stores text outside ASCII (the program writes none).
  const std::string fresh = s.Environment().TempFolder() + "qel_winsvc_probe_text.ini";
  DeleteFileW(Utf8ToWide(fresh).c_str());
  const std::string unicode = "\xC3\xA4\xE2\x82\xAC\xCE\xA9";  // a-umlaut, euro, omega
  p.WriteString(fresh, "Text", "u", unicode);
  const std::string back = p.ReadString(fresh, "Text", "u", "");
  std::string stored;
  platform::files::ReadAll(fresh, stored);
  std::string hex;
  for (unsigned char ch : stored.substr(0, 24)) {
    char b[4];
    std::snprintf(b, sizeof b, "%02X ", ch);
    hex += b;
  }
  Info(std::string("a-umlaut, euro, omega in a new file ") +
       (back == unicode ? "round-trip" : "come back as \"" + back + "\"") + "; stored as " + hex);
  DeleteFileW(Utf8ToWide(fresh).c_str());

  Check(!p.WriteString(s.Environment().TempFolder() + "no such folder\\x.ini", "S", "k", "v"),
        "writing into a missing folder fails");
  DeleteFileW(Utf8ToWide(file).c_str());
}

void CheckClock(win32::Win32Services& s) {
  Section("clock");
  platform::Clock& c = s.Clock();
  const std::uint32_t t0 = c.GetTickCount();
  const std::uint64_t h0 = c.HighResolutionNow();
  const auto s0 = std::chrono::steady_clock::now();
  c.Sleep(100);
  const double slept =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - s0).count();
  const std::uint32_t dt = c.GetTickCount() - t0;
  Check(slept >= 99 && slept < 300, "Sleep(100) blocks for 100 ms; it took " + std::to_string(slept));
  // The tick counter moves in steps of the system timer (about 16 ms): a step either side.
  Check(dt >= 75 && dt <= 320, "100 ms are about 100 ticks; they were " + std::to_string(dt));
  Check(c.HighResolutionNow() > h0, "the high-resolution counter advances");
  const platform::LocalDateTime now = c.Now();
  Check(now.year >= 2020 && now.month >= 1 && now.month <= 12 && now.day >= 1 && now.day <= 31 &&
            now.hour <= 23 && now.minute <= 59 && now.second <= 60,
        "the local time is a plausible date");

  // For the record: the tick counter's steps and the real length of short sleeps.
  std::uint32_t last = c.GetTickCount(), next = last;
  while ((next = c.GetTickCount()) == last) {
  }
  std::uint32_t minStep = ~0u, maxStep = 0, sum = 0;
  const int steps = 20;
  for (int i = 0; i < steps; ++i) {
    last = next;
    while ((next = c.GetTickCount()) == last) {
    }
    minStep = (std::min)(minStep, next - last);
    maxStep = (std::max)(maxStep, next - last);
    sum += next - last;
  }
  auto sleepLength = [&](std::uint32_t ms, int times) {
    const auto t = std::chrono::steady_clock::now();
    for (int i = 0; i < times; ++i) c.Sleep(ms);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count() /
           times;
  };
  const double sleep1 = sleepLength(1, 50);
  const double sleep10 = sleepLength(10, 10);
  char text[200];
  std::snprintf(text, sizeof text,
                "GetTickCount steps: min %u, mean %.1f, max %u ms; Sleep(1) takes %.2f ms, "
                "Sleep(10) %.2f ms",
                minStep, static_cast<double>(sum) / steps, maxStep, sleep1, sleep10);
  Info(text);
}

void CheckEnvironment(win32::Win32Services& s) {
  Section("environment");
  platform::Environment& e = s.Environment();
  const std::string value = "wert \xC3\xA4 \xE2\x82\xAC";
  SetEnvironmentVariableW(L"QEL_PROBE_VAR", Utf8ToWide(value).c_str());
  Check(e.GetVariable("QEL_PROBE_VAR") == value, "a variable reads back in UTF-8");
  const std::string longValue(5000, 'e');
  SetEnvironmentVariableW(L"QEL_PROBE_VAR", Utf8ToWide(longValue).c_str());
  Check(e.GetVariable("QEL_PROBE_VAR") == longValue, "a 5000-character variable reads whole");
  SetEnvironmentVariableW(L"QEL_PROBE_VAR", nullptr);
  Check(e.GetVariable("QEL_PROBE_VAR").empty(), "an unset variable is empty");
  Check(e.UserConfigFolder().empty(), "no per-user config base on Windows");
  Check(e.PathDelimiter() == '\\', "the path delimiter is a backslash");

  const std::string exeFolder = e.ExecutableFolder();
  wchar_t self[32768] = {};
  GetModuleFileNameW(nullptr, self, 32768);
  const std::string selfPath = WideToUtf8(self, 32768);
  Check(!exeFolder.empty() && exeFolder.back() != '\\' && selfPath.rfind(exeFolder + "\\", 0) == 0 &&
            selfPath.find('\\', exeFolder.size() + 1) == std::string::npos,
        "the executable's folder is \"" + exeFolder + "\" for " + selfPath);
  Info("executable folder: " + std::to_string(exeFolder.size()) + " characters");

  const std::string temp = e.TempFolder();
  Check(!temp.empty() && temp.back() == '\\' && platform::files::DirectoryExists(temp),
        "the temp folder \"" + temp + "\" exists and ends with a separator");
  // A temp path given in its short form comes back long.
  const std::string longDir = temp + "Long Folder Name For The Probe";
  CreateDirectoryW(Utf8ToWide(longDir).c_str(), nullptr);
  wchar_t shortDir[MAX_PATH] = {};
  GetShortPathNameW(Utf8ToWide(longDir).c_str(), shortDir, MAX_PATH);
  const std::string shortForm = WideToUtf8(shortDir, MAX_PATH);
  wchar_t oldTmp[32768] = {}, oldTemp[32768] = {};
  GetEnvironmentVariableW(L"TMP", oldTmp, 32768);
  GetEnvironmentVariableW(L"TEMP", oldTemp, 32768);
  SetEnvironmentVariableW(L"TMP", shortDir);
  SetEnvironmentVariableW(L"TEMP", shortDir);
  const std::string fromShort = e.TempFolder();
  SetEnvironmentVariableW(L"TMP", oldTmp);
  SetEnvironmentVariableW(L"TEMP", oldTemp);
  Check(fromShort == longDir + "\\",
        "a temp folder given as \"" + shortForm + "\" reads as its long form; got \"" + fromShort + "\"");
  RemoveDirectoryW(Utf8ToWide(longDir).c_str());

  const std::uint16_t lang = e.SystemDefaultUILanguage();
  Check(lang != 0, "a UI language id");
  const std::string dec = e.DecimalSeparator();
  Check(!dec.empty(), "a decimal separator");
  Info("UI language " + Hex(lang) + ", decimal separator \"" + dec + "\"");
}

constexpr wchar_t kChildName[] = L"qel_shell_child.exe";

void CheckShell(win32::Win32Services& s) {
  Section("shell");
  // The update starts a downloaded program this way: start a copy of ourselves.
  const std::string temp = s.Environment().TempFolder();
  const std::wstring child = Utf8ToWide(temp) + kChildName;
  const std::string marker = temp + "qel_shell_child.marker";
  wchar_t self[32768] = {};
  GetModuleFileNameW(nullptr, self, 32768);
  Check(CopyFileW(self, child.c_str(), FALSE) != FALSE, "copying the probe for the shell check");
  for (const char* verb : {"open", ""}) {
    DeleteFileW(Utf8ToWide(marker).c_str());
    s.Shell().Open(WideToUtf8(child), verb);
    const bool started =
        PumpUntil([&] { return platform::files::FileExists(marker); }, 20000);
    Check(started, std::string("ShellExecute with verb \"") + verb + "\" starts the program");
  }
  Pump(500);  // let the child end before its file goes
  DeleteFileW(Utf8ToWide(marker).c_str());
  DeleteFileW(child.c_str());
}

// Started by the shell check: leave a mark beside us and end.
bool RunAsShellChild() {
  wchar_t self[32768] = {};
  GetModuleFileNameW(nullptr, self, 32768);
  std::wstring path(self);
  const std::size_t slash = path.find_last_of(L'\\');
  if (path.substr(slash + 1) != kChildName) return false;
  const std::wstring marker = path.substr(0, slash + 1) + L"qel_shell_child.marker";
  HANDLE f = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (RunAsShellChild()) return 0;
  if (argc < 2) {
    std::printf("usage: services_probe <handshake folder>\n");
    return 2;
  }
  g_handshake = argv[1];
  if (g_handshake.back() != '\\' && g_handshake.back() != '/') g_handshake += '\\';

  win32::Win32Services services;
  CheckClock(services);
  CheckEnvironment(services);
  CheckRegistry(services);
  CheckProfile(services);
  CheckShell(services);
  CheckScreen(services);
  HWND target = CreateTargetWindow();
  CheckPointer(services, target);
  CheckHook(services, target);
  CheckHotkeys(services, target);
  DestroyWindow(target);

  if (g_failures != 0) {
    std::printf("services probe: %d check(s) failed\n", g_failures);
    return 1;
  }
  std::printf("services probe: all checks passed\n");
  return 0;
}
