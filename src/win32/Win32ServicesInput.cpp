#include <cstdint>
#include <utility>

#include "win32/Win32ServicesParts.h"

namespace win32 {

void SendInputSink::Send(const platform::MouseInputRecord& record) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = record.dx;
  input.mi.dy = record.dy;
  input.mi.mouseData = static_cast<DWORD>(record.wheel);
  input.mi.dwFlags = record.flags;
  input.mi.time = 0;  // the system stamps it
  input.mi.dwExtraInfo = 0;
  SendInput(1, &input, sizeof(INPUT));
}

namespace {

// Keys whose scan code comes with the E0 prefix: without the extended flag the arrows,
// Insert, Delete, Home, End and Page keys arrive as their numeric-keypad twins.
bool IsExtendedKey(std::uint32_t vk) {
  switch (vk) {
    case VK_RMENU: case VK_RCONTROL: case VK_INSERT: case VK_DELETE: case VK_HOME:
    case VK_END: case VK_PRIOR: case VK_NEXT: case VK_LEFT: case VK_RIGHT: case VK_UP:
    case VK_DOWN: case VK_NUMLOCK: case VK_SNAPSHOT: case VK_DIVIDE: case VK_LWIN:
    case VK_RWIN: case VK_APPS:
      return true;
    default:
      return false;
  }
}

}  // namespace

void SendInputSink::SendKey(const platform::KeyInputRecord& record) {
  if (record.vk == 0 || record.vk > 0xFE) return;
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = static_cast<WORD>(record.vk);
  // Programs that read scan codes (games, terminals) see the key too, not only its code.
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(record.vk, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = (record.down ? 0u : static_cast<DWORD>(KEYEVENTF_KEYUP)) |
                     (IsExtendedKey(record.vk) ? static_cast<DWORD>(KEYEVENTF_EXTENDEDKEY) : 0u);
  input.ki.time = 0;
  input.ki.dwExtraInfo = 0;
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

void LowLevelMouseHook::AlsoReport(InputCallback input, bool keys) {
  pendingInput_ = std::move(input);
  pendingKeys_ = keys;
}

bool LowLevelMouseHook::Install(Callback callback) {
  Remove();
  callback_ = std::move(callback);
  input_ = std::move(pendingInput_);
  pendingInput_ = nullptr;
  const bool keys = std::exchange(pendingKeys_, false) && input_;
  hook_ = SetWindowsHookExW(WH_MOUSE_LL, &LowLevelMouseHook::HookProc, GetModuleHandleW(nullptr), 0);
  // Wine refuses the module handle of an executable whose path exceeds MAX_PATH; a
  // low-level hook never loads its module into other processes, so none will do.
  if (hook_ == nullptr)
    hook_ = SetWindowsHookExW(WH_MOUSE_LL, &LowLevelMouseHook::HookProc, nullptr, 0);
  if (hook_ == nullptr) return false;
  if (keys) {
    keyHook_ = SetWindowsHookExW(WH_KEYBOARD_LL, &LowLevelMouseHook::KeyProc, GetModuleHandleW(nullptr), 0);
    if (keyHook_ == nullptr) keyHook_ = SetWindowsHookExW(WH_KEYBOARD_LL, &LowLevelMouseHook::KeyProc, nullptr, 0);
    if (keyHook_ == nullptr) {
      // Asked for keys and cannot watch them: a recording without them would be wrong.
      Remove();
      return false;
    }
  }
  g_installedHook = this;
  return true;
}

void LowLevelMouseHook::Remove() {
  if (keyHook_ != nullptr) UnhookWindowsHookEx(keyHook_);
  keyHook_ = nullptr;
  input_ = nullptr;
  if (hook_ == nullptr) return;
  UnhookWindowsHookEx(hook_);
  hook_ = nullptr;
  if (g_installedHook == this) g_installedHook = nullptr;
}

// Like the mouse procedure: the key is read and handed on, never swallowed.
LRESULT CALLBACK LowLevelMouseHook::KeyProc(int nCode, WPARAM wParam, LPARAM lParam) {
  LowLevelMouseHook* self = g_installedHook;
  if (self != nullptr && self->input_ && nCode >= 0 && lParam != 0) {
    const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    try {
      self->input_(static_cast<std::uint32_t>(wParam), 0, 0, static_cast<std::int32_t>(info->vkCode));
    } catch (...) {
      // As in the mouse procedure.
    }
  }
  return CallNextHookEx(nullptr, nCode, wParam, lParam);
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
      if (nCode >= 0 && lParam != 0 && wParam == WM_MOUSEWHEEL && self->input_) {
        const auto* info = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
        self->input_(static_cast<std::uint32_t>(wParam), x, y,
                     static_cast<std::int16_t>(HIWORD(info->mouseData)));
      }
    } catch (...) {
      // An exception must not unwind through the system's frames; the core reports its own.
    }
  }
  return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

}  // namespace win32
