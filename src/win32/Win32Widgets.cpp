// The factory of native peers: the window classes, the program icon, and what the peers
// share (style, pictures, timers).

#include "win32/Win32Widgets.h"

#include <commctrl.h>

#include "win32/Win32Pictures.h"
#include "win32/Win32Style.h"
#include "win32/Win32Timers.h"

namespace win32 {

Win32WidgetFactory::Win32WidgetFactory(const Style& style)
    : style_(style), pictures_(std::make_unique<Pictures>()), timers_(std::make_unique<TimerService>()) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS |
                                           ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  RegisterClasses();
}

Win32WidgetFactory::~Win32WidgetFactory() {
  for (HICON i : icons_) DestroyIcon(i);
}

HINSTANCE Win32WidgetFactory::Instance() { return GetModuleHandleW(nullptr); }

void Win32WidgetFactory::RegisterClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  for (const wchar_t* name : {L"QELWindow", L"QELGroup", L"QELPanel", L"QELLabel", L"QELImage", L"QELHotkey"}) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = HwndPeer::CustomProc;
    wc.hInstance = Instance();
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
  }
}

HWND Win32WidgetFactory::ModalOwner() const {
  // A box over a modal window (the hotkey editor over the options, a message over either)
  // belongs to that window, so that it, too, waits until the box is closed.
  if (modal_ && IsWindowVisible(modal_)) return modal_;
  HWND m = MainHandle();
  return (m && IsWindowVisible(m)) ? m : nullptr;
}

HICON Win32WidgetFactory::ProgramIcon(int size) {
  HICON icon = static_cast<HICON>(
      LoadImageW(Instance(), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  if (!icon) icon = pictures_->MakeIcon(size);
  if (icon) icons_.push_back(icon);
  return icon;
}

HwndPeer& Win32WidgetFactory::PeerOf(ui::Container& c) { return dynamic_cast<HwndPeer&>(c.Peer()); }

std::unique_ptr<ui::WindowPeer> Win32WidgetFactory::CreateWindow(ui::Window& owner, const ui::WindowSpec& spec) {
  return std::make_unique<TopWindowPeer>(*this, owner, spec);
}

std::unique_ptr<ui::TimerPeer> Win32WidgetFactory::CreateTimer(ui::Timer& owner) {
  return timers_->CreatePeer(owner);
}


}  // namespace win32
