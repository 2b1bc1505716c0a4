#include "win32/Win32ServicesParts.h"
#include "win32/Win32ServicesText.h"

namespace win32 {

namespace {
constexpr wchar_t kHotkeyWindowClass[] = L"QELAutoClickerHotkeySink";
constexpr UINT_PTR kReleaseWatch = 1;
constexpr UINT kReleaseWatchMs = 10;

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
}  // namespace

WindowHotkeys::WindowHotkeys() : emulateNoRepeat_(RunningUnderWine()) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &WindowHotkeys::WndProc;
  wc.hInstance = instance;
  wc.lpszClassName = kHotkeyWindowClass;
  // A second instance finds the class already there, which is just as good.
  RegisterClassExW(&wc);
  window_ = CreateWindowExW(0, kHotkeyWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            instance, nullptr);
  if (window_ != nullptr)
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

WindowHotkeys::~WindowHotkeys() {
  if (window_ == nullptr) return;
  for (const auto& entry : registered_) UnregisterHotKey(window_, entry.first);
  KillTimer(window_, kReleaseWatch);
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
  // Fails harmlessly while another instance still has its window.
  UnregisterClassW(kHotkeyWindowClass, GetModuleHandleW(nullptr));
}

void WindowHotkeys::SetHandler(std::function<void(int id)> handler) {
  handler_ = std::move(handler);
}

bool WindowHotkeys::Register(int id, std::uint32_t modifiers, std::uint32_t vk) {
  if (window_ == nullptr) return false;
  // Windows refuses key codes above 255; Wine takes them, so refuse them here alike.
  if (vk > 0xFF) return false;
  // Holding a combination must fire it once, whatever the caller passed.
  if (!RegisterHotKey(window_, id, modifiers | MOD_NOREPEAT, vk)) return false;
  registered_[id] = Registration{vk, false};
  return true;
}

void WindowHotkeys::Unregister(int id) {
  if (window_ == nullptr) return;
  UnregisterHotKey(window_, id);
  registered_.erase(id);
}

std::string WindowHotkeys::KeyName(std::uint32_t vk) {
  const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  if (scan == 0) return {};
  wchar_t name[256] = {};
  const int length = GetKeyNameTextW(static_cast<LONG>(scan << 16), name, 256);
  if (length <= 0) return {};
  return WideToUtf8(name, static_cast<std::size_t>(length));
}

void WindowHotkeys::Fired(int id) {
  auto it = registered_.find(id);
  // A message still queued from a registration withdrawn since is dropped.
  if (it == registered_.end() || it->second.held) return;
  if (emulateNoRepeat_) {
    it->second.held = true;
    SetTimer(window_, kReleaseWatch, kReleaseWatchMs, nullptr);
  }
  if (!handler_) return;
  // A copy: the handler may replace itself while it runs.
  auto handler = handler_;
  try {
    handler(id);
  } catch (...) {
    // Never unwind through the system's dispatch; the core reports its own errors.
  }
}

void WindowHotkeys::WatchReleases() {
  bool anyHeld = false;
  for (auto& entry : registered_) {
    Registration& r = entry.second;
    if (r.held && (GetAsyncKeyState(static_cast<int>(r.vk)) & 0x8000) == 0) r.held = false;
    anyHeld = anyHeld || r.held;
  }
  if (!anyHeld) KillTimer(window_, kReleaseWatch);
}

LRESULT CALLBACK WindowHotkeys::WndProc(HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam) {
  auto* self = reinterpret_cast<WindowHotkeys*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self != nullptr) {
    if (message == WM_HOTKEY) {
      self->Fired(static_cast<int>(wParam));
      return 0;
    }
    if (message == WM_TIMER && wParam == kReleaseWatch) {
      self->WatchReleases();
      return 0;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace win32
