#include "win32/Win32ServicesParts.h"
#include "hotkeys/HotkeyData.h"
#include "win32/Win32ServicesText.h"

#include <vector>

namespace win32 {

namespace {
constexpr wchar_t kHotkeyWindowClass[] = L"QELAutoClickerHotkeySink";
constexpr UINT_PTR kReleaseWatch = 1;
constexpr UINT kReleaseWatchMs = 10;
constexpr UINT kButtonPressed = WM_APP + 1;
constexpr UINT kButtonReleased = WM_APP + 2;

// The hook procedure has no context; only the UI thread sets and reads this.
WindowHotkeys* g_buttonHotkeys = nullptr;

std::uint32_t ModifiersDown() {
  auto down = [](int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; };
  std::uint32_t mods = 0;
  if (down(VK_SHIFT)) mods |= MOD_SHIFT;
  if (down(VK_CONTROL)) mods |= MOD_CONTROL;
  if (down(VK_MENU)) mods |= MOD_ALT;
  if (down(VK_LWIN) || down(VK_RWIN)) mods |= MOD_WIN;
  return mods;
}

constexpr std::uint32_t kComboMods = MOD_SHIFT | MOD_CONTROL | MOD_ALT | MOD_WIN;

}  // namespace

WindowHotkeys::WindowHotkeys() {
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
  registered_.clear();
  UpdateMouseHook();
  KillTimer(window_, kReleaseWatch);
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
  // Fails harmlessly while another instance still has its window.
  UnregisterClassW(kHotkeyWindowClass, GetModuleHandleW(nullptr));
}

void WindowHotkeys::SetHandler(std::function<void(int id)> handler) {
  handler_ = std::move(handler);
}

void WindowHotkeys::SetReleaseHandler(std::function<void(int id)> handler) {
  releaseHandler_ = std::move(handler);
}

bool WindowHotkeys::Register(int id, std::uint32_t modifiers, std::uint32_t vk) {
  if (window_ == nullptr) return false;
  // Windows refuses key codes above 255; Wine takes them, so refuse them here alike.
  if (vk > 0xFF) return false;
  if (hotkeys::IsMouseButtonVk(vk)) {
    const std::uint32_t mods = modifiers & kComboMods;
    for (const auto& entry : registered_) {
      if (entry.second.button && entry.second.vk == vk && entry.second.modifiers == mods) return false;
    }
    Registration r{vk, mods, false};
    r.button = true;
    registered_[id] = r;
    UpdateMouseHook();
    if (mouseHook_ == nullptr) {
      registered_.erase(id);
      return false;
    }
    return true;
  }
  // Holding a combination must fire it once, whatever the caller passed.
  if (!RegisterHotKey(window_, id, modifiers | MOD_NOREPEAT, vk)) return false;
  registered_[id] = Registration{vk, modifiers, false};
  return true;
}

void WindowHotkeys::Unregister(int id) {
  if (window_ == nullptr) return;
  UnregisterHotKey(window_, id);
  registered_.erase(id);
  UpdateMouseHook();
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
  if (it->second.button) {
    it->second.held = true;  // the hook reports the release itself
  } else {
    // WM_HOTKEY has no release: the key state is watched until a key of the combination
    // is up. Under Wine this also drops the repeats MOD_NOREPEAT lets through there.
    it->second.held = true;
    it->second.releaseReported = false;
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

void WindowHotkeys::Released(int id) {
  auto it = registered_.find(id);
  if (it == registered_.end()) return;
  it->second.held = false;
  if (!releaseHandler_) return;
  auto handler = releaseHandler_;
  try {
    handler(id);
  } catch (...) {
    // Never unwind through the system's dispatch.
  }
}

void WindowHotkeys::UpdateMouseHook() {
  bool wanted = false;
  for (const auto& entry : registered_) wanted = wanted || entry.second.button;
  if (wanted && mouseHook_ == nullptr) {
    g_buttonHotkeys = this;
    mouseHook_ = SetWindowsHookExW(WH_MOUSE_LL, &WindowHotkeys::MouseProc, GetModuleHandleW(nullptr), 0);
    if (mouseHook_ == nullptr) g_buttonHotkeys = nullptr;
  } else if (!wanted && mouseHook_ != nullptr) {
    UnhookWindowsHookEx(mouseHook_);
    mouseHook_ = nullptr;
    if (g_buttonHotkeys == this) g_buttonHotkeys = nullptr;
  }
}

// Runs inside the hook: it decides only whether the event is a hotkey's, and posts.
bool WindowHotkeys::MouseButton(UINT message, const MSLLHOOKSTRUCT& info) {
  // Our own synthesized clicks pass: a middle-button hotkey must not eat the run's clicks.
  if (info.flags & LLMHF_INJECTED) return false;
  std::uint32_t vk = 0;
  bool press = false;
  switch (message) {
    case WM_MBUTTONDOWN: vk = hotkeys::kVkMButton; press = true; break;
    case WM_MBUTTONUP: vk = hotkeys::kVkMButton; break;
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
      vk = HIWORD(info.mouseData) == XBUTTON1 ? hotkeys::kVkXButton1 : hotkeys::kVkXButton2;
      press = message == WM_XBUTTONDOWN;
      break;
    default: return false;
  }
  const std::uint32_t mods = press ? ModifiersDown() : 0;
  for (auto& entry : registered_) {
    Registration& r = entry.second;
    if (!r.button || r.vk != vk) continue;
    if (press && r.modifiers == mods) {
      r.releaseReported = true;  // marks a press the hook took, whose release it takes too
      PostMessageW(window_, kButtonPressed, static_cast<WPARAM>(entry.first), 0);
      return true;
    }
    if (!press && r.releaseReported) {
      r.releaseReported = false;
      PostMessageW(window_, kButtonReleased, static_cast<WPARAM>(entry.first), 0);
      return true;
    }
  }
  return false;
}

LRESULT CALLBACK WindowHotkeys::MouseProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && g_buttonHotkeys != nullptr &&
      g_buttonHotkeys->MouseButton(static_cast<UINT>(wParam),
                                   *reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam))) {
    return 1;  // swallowed: the window under the pointer never sees it
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void WindowHotkeys::WatchReleases() {
  auto up = [](int key) { return (GetAsyncKeyState(key) & 0x8000) == 0; };
  bool anyHeld = false;
  std::vector<int> released;
  for (auto& entry : registered_) {
    Registration& r = entry.second;
    if (!r.held || r.button) continue;
    // Whichever key of the combination is let go first ends the hold.
    const bool letGo = up(static_cast<int>(r.vk)) ||
                       ((r.modifiers & MOD_SHIFT) && up(VK_SHIFT)) ||
                       ((r.modifiers & MOD_CONTROL) && up(VK_CONTROL)) ||
                       ((r.modifiers & MOD_ALT) && up(VK_MENU)) ||
                       ((r.modifiers & MOD_WIN) && up(VK_LWIN) && up(VK_RWIN));
    // Repeats stay dropped until the key itself is up, not only a modifier.
    if (letGo && !r.releaseReported) {
      r.releaseReported = true;
      released.push_back(entry.first);
    }
    if (up(static_cast<int>(r.vk))) r.held = false;
    anyHeld = anyHeld || r.held;
  }
  if (!anyHeld) KillTimer(window_, kReleaseWatch);
  for (int id : released) {
    if (!releaseHandler_) break;
    auto handler = releaseHandler_;
    try {
      handler(id);
    } catch (...) {
      // Never unwind through the system's dispatch.
    }
  }
}

LRESULT CALLBACK WindowHotkeys::WndProc(HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam) {
  auto* self = reinterpret_cast<WindowHotkeys*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self != nullptr) {
    if (message == WM_HOTKEY) {
      self->Fired(static_cast<int>(wParam));
      return 0;
    }
    if (message == kButtonPressed) {
      self->Fired(static_cast<int>(wParam));
      return 0;
    }
    if (message == kButtonReleased) {
      self->Released(static_cast<int>(wParam));
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
