#include "win32/Win32PointPicker.h"

#include <windowsx.h>

#include <utility>

namespace win32 {

namespace {

constexpr UINT kPickInputMessage = WM_APP + 0x61;
constexpr UINT kUnhookMessage = WM_APP + 0x62;

// One hook procedure a kind exists per process and carries no context.
HookPointPicker* g_picker = nullptr;  // UI thread only

HHOOK Hook(int kind, HOOKPROC proc) {
  HHOOK h = SetWindowsHookExW(kind, proc, GetModuleHandleW(nullptr), 0);
  // As for the recorder's hook: Wine refuses the module of a very long path.
  if (h == nullptr) h = SetWindowsHookExW(kind, proc, nullptr, 0);
  return h;
}

}  // namespace

HookPointPicker::HookPointPicker() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"QELPointPicker";
  RegisterClassExW(&wc);
  window_ = CreateWindowExW(0, L"QELPointPicker", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

HookPointPicker::~HookPointPicker() {
  onInput_ = nullptr;
  Unhook();
  if (window_) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

bool HookPointPicker::Begin(std::function<void(const platform::PickInput&)> onInput) {
  if (!window_ || picking_) return false;
  Unhook();
  mouseHook_ = Hook(WH_MOUSE_LL, MouseProc);
  keyHook_ = Hook(WH_KEYBOARD_LL, KeyProc);
  if (!mouseHook_) {
    Unhook();
    return false;
  }
  // Without the keyboard hook the secondary button still cancels.
  onInput_ = std::move(onInput);
  picking_ = true;
  awaitedUp_ = 0;
  escapeDown_ = false;
  g_picker = this;
  return true;
}

void HookPointPicker::End() {
  picking_ = false;
  onInput_ = nullptr;
  // The release of the deciding press is still to come: it would reach the window under
  // the pointer without its press. The hooks go when it has been swallowed.
  if (awaitedUp_ == 0 && !escapeDown_) Unhook();
}

void HookPointPicker::Unhook() {
  if (mouseHook_) UnhookWindowsHookEx(mouseHook_);
  if (keyHook_) UnhookWindowsHookEx(keyHook_);
  mouseHook_ = keyHook_ = nullptr;
  awaitedUp_ = 0;
  escapeDown_ = false;
  if (g_picker == this) g_picker = nullptr;
}

LRESULT CALLBACK HookPointPicker::MouseProc(int code, WPARAM wParam, LPARAM lParam) {
  HookPointPicker* self = g_picker;
  if (self == nullptr || code < 0 || lParam == 0) return CallNextHookEx(nullptr, code, wParam, lParam);
  const auto* info = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
  const auto message = static_cast<UINT>(wParam);
  if (self->picking_ && self->awaitedUp_ == 0 && (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN)) {
    const auto kind = message == WM_LBUTTONDOWN ? platform::PickInputKind::PrimaryDown
                                                : platform::PickInputKind::SecondaryDown;
    self->awaitedUp_ = message == WM_LBUTTONDOWN ? WM_LBUTTONUP : WM_RBUTTONUP;
    PostMessageW(self->window_, kPickInputMessage, static_cast<WPARAM>(kind),
                 MAKELPARAM(static_cast<WORD>(info->pt.x), static_cast<WORD>(info->pt.y)));
    return 1;
  }
  if (self->awaitedUp_ != 0 && message == self->awaitedUp_) {
    self->awaitedUp_ = 0;
    if (!self->picking_ && !self->escapeDown_) PostMessageW(self->window_, kUnhookMessage, 0, 0);
    return 1;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK HookPointPicker::KeyProc(int code, WPARAM wParam, LPARAM lParam) {
  HookPointPicker* self = g_picker;
  if (self == nullptr || code < 0 || lParam == 0) return CallNextHookEx(nullptr, code, wParam, lParam);
  const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  if (info->vkCode != VK_ESCAPE) return CallNextHookEx(nullptr, code, wParam, lParam);
  const bool down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
  if (down && self->picking_) {
    self->escapeDown_ = true;
    PostMessageW(self->window_, kPickInputMessage, static_cast<WPARAM>(platform::PickInputKind::Escape), 0);
    return 1;
  }
  if (!down && self->escapeDown_) {
    self->escapeDown_ = false;
    if (!self->picking_ && self->awaitedUp_ == 0) PostMessageW(self->window_, kUnhookMessage, 0, 0);
    return 1;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK HookPointPicker::WindowProc(HWND w, UINT m, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<HookPointPicker*>(GetWindowLongPtrW(w, GWLP_USERDATA));
  if (self && m == kPickInputMessage) {
    if (self->picking_ && self->onInput_) {
      const platform::PickInput input{static_cast<platform::PickInputKind>(wParam), GET_X_LPARAM(lParam),
                                      GET_Y_LPARAM(lParam)};
      // A copy: the handler ends the pick, which lets go of the stored one.
      const auto handler = self->onInput_;
      handler(input);
    }
    return 0;
  }
  if (self && m == kUnhookMessage) {
    if (!self->picking_) self->Unhook();
    return 0;
  }
  return DefWindowProcW(w, m, wParam, lParam);
}

}  // namespace win32
