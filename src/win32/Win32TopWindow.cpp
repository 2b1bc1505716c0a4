// The top-level window: the main window and the dialogs, their modal loop, closing, and
// the change of DPI when the window moves to another monitor.

#include "win32/Win32Widgets.h"

#include <algorithm>
#include <utility>

#include "win32/Win32Gdi.h"
#include "win32/Win32ServicesText.h"
#include "win32/Win32Style.h"

namespace win32 {

namespace {

HFONT MakeFont(UINT dpi, bool underline) {
  return CreateFontW(-MulDiv(9, static_cast<int>(dpi), 72), 0, 0, 0, FW_NORMAL, FALSE, underline,
                     FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Segoe UI");
}

}  // namespace

// ---- top-level window ----

TopWindowPeer::TopWindowPeer(Win32WidgetFactory& factory, ui::Window& owner, const ui::WindowSpec& spec)
    : HwndPeer(factory, nullptr, {0, 0, spec.clientWidth, spec.clientHeight}),
      owner_(owner),
      spec_(spec) {
  HWND ownerWindow = spec_.mainWindow ? nullptr : factory_.MainHandle();
  DWORD ex = ExStyle();
  if (!ownerWindow) ex |= WS_EX_APPWINDOW;
  dpi_ = DpiOfWindow(nullptr);
  font_.reset(MakeFont(dpi_, false));
  CreateWindowExW(ex, L"QELWindow", L"", Style(), CW_USEDEFAULT, CW_USEDEFAULT, 100, 100,
                  ownerWindow, nullptr, Win32WidgetFactory::Instance(), static_cast<HwndPeer*>(this));
  if (!hwnd_) return;
  const UINT actual = DpiOfWindow(hwnd_);
  if (actual != dpi_) {
    dpi_ = actual;
    font_.reset(MakeFont(dpi_, false));
  }
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG,
               reinterpret_cast<LPARAM>(factory_.ProgramIcon(MetricForDpi(SM_CXICON, dpi_))));
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(factory_.ProgramIcon(MetricForDpi(SM_CXSMICON, dpi_))));
  // Centred on the screen the window was created on.
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &mi);
  const SIZE s = NaturalOuterSize(dpi_);
  const RECT& area = spec_.mainWindow ? mi.rcMonitor : mi.rcWork;
  SetWindowPos(hwnd_, nullptr, area.left + (area.right - area.left - s.cx) / 2,
               area.top + (area.bottom - area.top - s.cy) / 2, s.cx, s.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
  if (spec_.mainWindow) factory_.SetMain(this);
}

TopWindowPeer::~TopWindowPeer() {
  if (factory_.Main() == this) factory_.SetMain(nullptr);
  if (hwnd_ && IsWindow(hwnd_)) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
  }
}

DWORD TopWindowPeer::Style() const {
  if (spec_.mainWindow) return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
}

DWORD TopWindowPeer::ExStyle() const {
  return WS_EX_CONTROLPARENT | (spec_.mainWindow ? 0 : WS_EX_DLGMODALFRAME);
}

SIZE TopWindowPeer::NaturalOuterSize(UINT dpi) const {
  RECT r{0, 0, MulDiv(spec_.clientWidth, static_cast<int>(dpi), 96),
         MulDiv(spec_.clientHeight, static_cast<int>(dpi), 96)};
  AdjustRectForDpi(r, Style(), ExStyle(), dpi);
  return {r.right - r.left, r.bottom - r.top};
}

COLORREF TopWindowPeer::Background() const { return factory_.Look().window; }

void TopWindowPeer::setVisible(bool on) {
  if (!hwnd_) return;
  if (on) {
    ShowWindow(hwnd_, shownOnce_ ? SW_SHOW : SW_SHOWNORMAL);
    shownOnce_ = true;
  } else {
    ShowWindow(hwnd_, SW_HIDE);
  }
}

void TopWindowPeer::setCaption(const std::string& text) {
  caption_ = win32::Utf8ToWide(text);
  if (hwnd_) SetWindowTextW(hwnd_, caption_.c_str());
}

ui::Point TopWindowPeer::clientToScreen(ui::Point p) const {
  POINT pt{MulDiv(p.x, static_cast<int>(dpi_), 96), MulDiv(p.y, static_cast<int>(dpi_), 96)};
  if (hwnd_) ClientToScreen(hwnd_, &pt);
  return {pt.x, pt.y};
}

int TopWindowPeer::height() const {
  RECT r{};
  if (hwnd_) GetClientRect(hwnd_, &r);
  return MulDiv(r.bottom, 96, static_cast<int>(dpi_));
}

ui::Rect TopWindowPeer::bounds() const {
  RECT r{};
  if (hwnd_) GetWindowRect(hwnd_, &r);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void TopWindowPeer::setBounds(ui::Rect r) {
  if (!hwnd_) return;
  const SIZE natural = NaturalOuterSize(dpi_);
  natural_ = r.width == natural.cx && r.height == natural.cy;
  SetWindowPos(hwnd_, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TopWindowPeer::setTopMost(bool on) {
  if (hwnd_)
    SetWindowPos(hwnd_, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TopWindowPeer::bringToFront() {
  if (hwnd_) SetForegroundWindow(hwnd_);
}

// SetForegroundWindow would also hand this window the keyboard: the window the user was
// typing in keeps it, so the keys a macro plays land there.
void TopWindowPeer::showWithoutFocus() {
  if (!hwnd_) return;
  ShowWindow(hwnd_, SW_SHOWNA);
  SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TopWindowPeer::restore() {
  if (hwnd_ && IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
}

void TopWindowPeer::minimize() {
  if (hwnd_) ShowWindow(hwnd_, SW_MINIMIZE);
}

void TopWindowPeer::repaint() {
  if (hwnd_)
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

int TopWindowPeer::captionHeight() const { return MetricForDpi(SM_CYCAPTION, dpi_); }

int TopWindowPeer::frameHeight() const {
  return MetricForDpi(SM_CYFRAME, dpi_) + MetricForDpi(SM_CXPADDEDBORDER, dpi_);
}

void TopWindowPeer::showModal() {
  if (!hwnd_ || modalRunning_) return;
  owner_.UserShowing();
  HWND ownerWindow = factory_.ModalOwner();
  if (ownerWindow == hwnd_) ownerWindow = nullptr;
  const bool ownerEnabled = ownerWindow && IsWindowEnabled(ownerWindow);
  if (ownerEnabled) EnableWindow(ownerWindow, FALSE);
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  SetForegroundWindow(hwnd_);
  modalRunning_ = true;
  HWND outerModal = factory_.ModalWindow();
  factory_.SetModalWindow(hwnd_);
  MSG msg;
  while (modalRunning_) {
    const BOOL r = GetMessageW(&msg, nullptr, 0, 0);
    if (r <= 0) {
      // The program is ending: leave the quit message for the main loop.
      if (r == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (!IsDialogMessageW(hwnd_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  modalRunning_ = false;
  factory_.SetModalWindow(outerModal);
  // The owner is enabled before the dialog hides, so that it, not another program,
  // becomes the active window.
  if (ownerEnabled) EnableWindow(ownerWindow, TRUE);
  ShowWindow(hwnd_, SW_HIDE);
}

void TopWindowPeer::close() {
  if (!hwnd_) return;
  if (modalRunning_) {
    modalRunning_ = false;
    PostMessageW(hwnd_, WM_NULL, 0, 0);
  } else if (spec_.mainWindow) {
    PostMessageW(hwnd_, WM_CLOSE, 0, 0);
  } else {
    ShowWindow(hwnd_, SW_HIDE);
  }
}

void TopWindowPeer::RunClosePath() {
  owner_.UserClosing();
  ended_ = true;
  ShowWindow(hwnd_, SW_HIDE);
  PostQuitMessage(0);
}

void TopWindowPeer::ApplyDpi(UINT dpi, const RECT* suggested) {
  if (dpi == 0 || !hwnd_) return;
  dpi_ = dpi;
  // The old font stays alive until every control has the new one.
  const OwnedFont old = std::move(font_);
  font_.reset(MakeFont(dpi_, false));
  RECT target{};
  if (suggested)
    target = *suggested;
  else
    GetWindowRect(hwnd_, &target);
  if (natural_) {
    const SIZE s = NaturalOuterSize(dpi_);
    target.right = target.left + s.cx;
    target.bottom = target.top + s.cy;
  }
  SetWindowPos(hwnd_, nullptr, target.left, target.top, target.right - target.left,
               target.bottom - target.top, SWP_NOZORDER | SWP_NOACTIVATE);
  for (HwndPeer* c : children_) c->RelayoutTree();
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(factory_.ProgramIcon(MetricForDpi(SM_CXSMICON, dpi_))));
  InvalidateRect(hwnd_, nullptr, TRUE);
}

LRESULT TopWindowPeer::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      // A refused close (the update dialog during a download) leaves the window as it is.
      if (modalRunning_) {
        if (owner_.UserClosing()) modalRunning_ = false;
      } else if (spec_.mainWindow) {
        if (!ended_) RunClosePath();
      } else {
        if (owner_.UserClosing()) ShowWindow(hwnd_, SW_HIDE);
      }
      return 0;
    case WM_COMMAND:
      // Esc in a dialog-like window (the dialog manager sends IDCANCEL) closes it.
      if (LOWORD(wParam) == IDCANCEL && !FromHandle(reinterpret_cast<HWND>(lParam)) && !spec_.mainWindow) {
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
        return 0;
      }
      break;
    case WM_ACTIVATE:
      // Back in the window, the keyboard focus returns to the control that had it.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND f = GetFocus();
        if (f && IsChild(hwnd_, f)) lastFocus_ = f;
      } else if (lastFocus_ && IsWindow(lastFocus_) && IsWindowEnabled(lastFocus_) &&
                 IsWindowVisible(lastFocus_) && !IsIconic(hwnd_)) {
        SetFocus(lastFocus_);
        return 0;
      }
      break;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // The process may end as soon as this returns: close and save now.
      if (wParam && spec_.mainWindow && !ended_) {
        ended_ = true;
        factory_.RunSessionEnd();
      }
      return 0;
    case WM_DPICHANGED:
      ApplyDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case 0x02E4: {  // WM_GETDPISCALEDSIZE: our own size at the new DPI, not a linear guess
      if (!natural_) break;
      auto* size = reinterpret_cast<SIZE*>(lParam);
      *size = NaturalOuterSize(static_cast<UINT>(wParam));
      return TRUE;
    }
    case WM_GETMINMAXINFO: {
      // The compact window is only a caption bar: allow it.
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = 1;
      info->ptMinTrackSize.y = 1;
      return 0;
    }
    default:
      break;
  }
  return HwndPeer::HandleMessage(message, wParam, lParam);
}


}  // namespace win32
