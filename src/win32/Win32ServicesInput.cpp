#include "win32/Win32ServicesParts.h"

namespace win32 {

void SendInputSink::Send(const platform::MouseInputRecord& record) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = record.dx;
  input.mi.dy = record.dy;
  input.mi.mouseData = 0;
  input.mi.dwFlags = record.flags;
  input.mi.time = 0;  // the system stamps it
  input.mi.dwExtraInfo = 0;
  SendInput(1, &input, sizeof(INPUT));
}

bool DesktopScreen::CursorPos(ui::Point& p) {
  POINT pt{};
  if (!GetCursorPos(&pt)) return false;
  p = ui::Point{pt.x, pt.y};
  return true;
}

ui::Rect DesktopScreen::VirtualDesktop() {
  return ui::Rect{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                  GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

ui::Rect DesktopScreen::WorkArea() {
  RECT rc{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &rc, 0)) {
    // No work area known: the primary monitor as a whole is the honest answer.
    return ui::Rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  return ui::Rect{rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top};
}

namespace {
LowLevelMouseHook* g_installedHook = nullptr;  // UI thread only
}  // namespace

LowLevelMouseHook::~LowLevelMouseHook() { Remove(); }

bool LowLevelMouseHook::Install(Callback callback) {
  Remove();
  callback_ = std::move(callback);
  hook_ = SetWindowsHookExW(WH_MOUSE_LL, &LowLevelMouseHook::HookProc, GetModuleHandleW(nullptr), 0);
  // Wine refuses the module handle of an executable whose path exceeds MAX_PATH; a
  // low-level hook never loads its module into other processes, so none will do.
  if (hook_ == nullptr)
    hook_ = SetWindowsHookExW(WH_MOUSE_LL, &LowLevelMouseHook::HookProc, nullptr, 0);
  if (hook_ == nullptr) return false;
  g_installedHook = this;
  return true;
}

void LowLevelMouseHook::Remove() {
  if (hook_ == nullptr) return;
  UnhookWindowsHookEx(hook_);
  hook_ = nullptr;
  if (g_installedHook == this) g_installedHook = nullptr;
}

// Every mouse input of the desktop waits for this procedure: read the event, hand it on,
// never swallow it.
LRESULT CALLBACK LowLevelMouseHook::HookProc(int nCode, WPARAM wParam, LPARAM lParam) {
  LowLevelMouseHook* self = g_installedHook;
  if (self != nullptr && self->callback_) {
    int x = 0, y = 0;
    if (nCode >= 0 && lParam != 0) {
      const auto* info = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
      x = info->pt.x;
      y = info->pt.y;
    }
    try {
      self->callback_(nCode, static_cast<std::uint32_t>(wParam), x, y);
    } catch (...) {
      // An exception must not unwind through the system's frames; the core reports its own.
    }
  }
  return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

}  // namespace win32
