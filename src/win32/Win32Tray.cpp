// The notification-area icon and the popup menu.

#include "win32/Win32Widgets.h"

#include <shellapi.h>

#include "win32/Win32ServicesText.h"

namespace win32 {

namespace {

constexpr UINT kTrayMessage = WM_APP + 0x52;
// Posted to itself: the menu opens once the shell's notification has returned.
constexpr UINT kOpenMenuMessage = WM_APP + 0x53;

// The icon belongs to a hidden top-level window of its own: a message-only window would
// miss the "TaskbarCreated" broadcast after Explorer restarts, when the icon must be added
// again.
class TrayPeerImpl : public ui::TrayIconPeer {
 public:
  TrayPeerImpl(Win32WidgetFactory& factory, ui::TrayIcon& owner) : owner_(owner) {
    static const UINT created = RegisterWindowMessageW(L"TaskbarCreated");
    taskbarCreated_ = created;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = Win32WidgetFactory::Instance();
    wc.lpszClassName = L"QELTrayOwner";
    RegisterClassExW(&wc);
    window_ = CreateWindowExW(WS_EX_TOOLWINDOW, L"QELTrayOwner", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                              nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    icon_ = factory.ProgramIcon(GetSystemMetrics(SM_CXSMICON));
  }
  ~TrayPeerImpl() override {
    if (added_) {
      NOTIFYICONDATAW d = Data();
      Shell_NotifyIconW(NIM_DELETE, &d);
    }
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
  void setHint(const std::string& text) override {
    hint_ = win32::Utf8ToWide(text);
    if (added_) {
      NOTIFYICONDATAW d = Data();
      Shell_NotifyIconW(NIM_MODIFY, &d);
    }
  }
  void setVisible(bool on) override {
    visible_ = on;
    if (on && !added_) {
      Add();
    } else if (!on && added_) {
      NOTIFYICONDATAW d = Data();
      Shell_NotifyIconW(NIM_DELETE, &d);
      added_ = false;
    }
  }
  bool available() const override { return true; }

 private:
  NOTIFYICONDATAW Data() const {
    NOTIFYICONDATAW d{};
    d.cbSize = sizeof d;
    d.hWnd = window_;
    d.uID = 1;
    d.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    d.uCallbackMessage = kTrayMessage;
    d.hIcon = icon_;
    lstrcpynW(d.szTip, hint_.c_str(), ARRAYSIZE(d.szTip));
    return d;
  }
  void Add() {
    NOTIFYICONDATAW d = Data();
    added_ = Shell_NotifyIconW(NIM_ADD, &d) != FALSE;
    // The newer notifications bring WM_CONTEXTMENU for the menu key and Shift+F10 too.
    if (added_) {
      d.uVersion = NOTIFYICON_VERSION;
      Shell_NotifyIconW(NIM_SETVERSION, &d);
    }
  }
  // A right click brings WM_RBUTTONUP and, from a shell that speaks the newer version,
  // WM_CONTEXTMENU as well: both ask for the one menu.
  void AskForMenu() {
    if (menuOpen_ || menuPending_) return;
    menuPending_ = PostMessageW(window_, kOpenMenuMessage, 0, 0) != FALSE;
  }
  void OpenMenu() {
    menuPending_ = false;
    POINT pt{};
    GetCursorPos(&pt);
    menuOpen_ = true;
    owner_.UserAskedForMenu({pt.x, pt.y});
    menuOpen_ = false;
  }
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<TrayPeerImpl*>(GetWindowLongPtrW(w, GWLP_USERDATA));
    if (self) {
      if (m == kTrayMessage) {
        const UINT what = LOWORD(lp);
        if (what == WM_LBUTTONUP) self->owner_.UserClicked();
        if (what == WM_RBUTTONUP || what == WM_CONTEXTMENU) self->AskForMenu();
        return 0;
      }
      if (m == kOpenMenuMessage) {
        self->OpenMenu();
        return 0;
      }
      if (m == self->taskbarCreated_ && self->visible_) {
        self->added_ = false;
        self->Add();
        return 0;
      }
    }
    return DefWindowProcW(w, m, wp, lp);
  }
  ui::TrayIcon& owner_;
  HWND window_ = nullptr;
  HICON icon_ = nullptr;
  std::wstring hint_;
  UINT taskbarCreated_ = 0;
  bool visible_ = false;
  bool added_ = false;
  bool menuOpen_ = false, menuPending_ = false;
};

class PopupMenuPeerImpl : public ui::PopupMenuPeer {
 public:
  PopupMenuPeerImpl(Win32WidgetFactory& factory, ui::PopupMenu& owner) : factory_(factory), owner_(owner) {}
  void setItems(const std::vector<ui::MenuItem>& items) override { items_ = items; }
  void popup(ui::Point screen) override {
    HWND ownerWindow = factory_.MainHandle();
    if (!ownerWindow) return;
    HMENU menu = CreatePopupMenu();
    for (size_t i = 0; i < items_.size(); ++i) {
      // '&' would mark an access key: doubled, it shows as itself.
      std::wstring text;
      for (wchar_t c : win32::Utf8ToWide(items_[i].caption)) {
        text.push_back(c);
        if (c == L'&') text.push_back(L'&');
      }
      const ui::MenuItem& item = items_[i];
      AppendMenuW(menu,
                  MF_STRING | (item.checkable && item.checked ? MF_CHECKED : MF_UNCHECKED) |
                      (item.enabled ? MF_ENABLED : MF_GRAYED),
                  static_cast<UINT_PTR>(i + 1), text.c_str());
    }
    SetForegroundWindow(ownerWindow);
    const int chosen = static_cast<int>(TrackPopupMenuEx(
        menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, screen.x,
        screen.y, ownerWindow, nullptr));
    // Lets the menu close properly when the user clicks elsewhere next time.
    PostMessageW(ownerWindow, WM_NULL, 0, 0);
    DestroyMenu(menu);
    if (chosen > 0) owner_.UserChose(chosen - 1);
  }

 private:
  Win32WidgetFactory& factory_;
  ui::PopupMenu& owner_;
  std::vector<ui::MenuItem> items_;
};

}  // namespace

std::unique_ptr<ui::TrayIconPeer> Win32WidgetFactory::CreateTrayIcon(ui::TrayIcon& owner) {
  return std::make_unique<TrayPeerImpl>(*this, owner);
}

std::unique_ptr<ui::PopupMenuPeer> Win32WidgetFactory::CreatePopupMenu(ui::PopupMenu& owner) {
  return std::make_unique<PopupMenuPeerImpl>(*this, owner);
}

}  // namespace win32
