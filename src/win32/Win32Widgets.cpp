// The main window and its containers, and what every native peer shares: creation,
// placement at the window's DPI, and the routing of notifications to the control peers.

#include "win32/Win32Widgets.h"

#include <commctrl.h>

#include <algorithm>

#include "win32/Win32Pictures.h"
#include "win32/Win32Style.h"
#include "win32/Win32Timers.h"

namespace win32ui {

// ---- text and functions of newer systems ----

std::wstring Widen(const std::string& text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

namespace {
template <typename Fn>
Fn User32Function(const char* name) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}
}  // namespace

UINT DpiOfWindow(HWND window) {
  static auto fn = User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
  if (fn && window) {
    const UINT dpi = fn(window);
    if (dpi > 0) return dpi;
  }
  HDC dc = GetDC(nullptr);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

int MetricForDpi(int index, UINT dpi) {
  static auto fn = User32Function<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
  if (fn) return fn(index, dpi);
  return GetSystemMetrics(index);
}

void AdjustRectForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi) {
  static auto fn = User32Function<BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT)>(
      "AdjustWindowRectExForDpi");
  if (fn && fn(&rect, style, FALSE, exStyle, dpi)) return;
  AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

// ---- HwndPeer ----

HwndPeer::HwndPeer(Win32WidgetFactory& factory, HwndPeer* parent, ui::Rect place)
    : factory_(factory), parent_(parent), place_(place) {
  if (parent_) parent_->AddChild(this);
}

HwndPeer::~HwndPeer() {
  if (parent_) parent_->RemoveChild(this);
  for (HwndPeer* c : children_) c->parent_ = nullptr;
  if (hwnd_ && IsWindow(hwnd_)) {
    // No message of the dying window may reach this half-destroyed peer.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  hwnd_ = nullptr;
}

void HwndPeer::RemoveChild(HwndPeer* child) {
  for (auto it = children_.begin(); it != children_.end(); ++it) {
    if (*it == child) {
      children_.erase(it);
      return;
    }
  }
}

TopWindowPeer& HwndPeer::Top() {
  HwndPeer* p = this;
  while (p->parent_) p = p->parent_;
  return dynamic_cast<TopWindowPeer&>(*p);
}

UINT HwndPeer::Dpi() const { return const_cast<HwndPeer*>(this)->Top().WindowDpi(); }

HwndPeer* HwndPeer::FromHandle(HWND window) {
  if (!window) return nullptr;
  return reinterpret_cast<HwndPeer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

ui::Rect HwndPeer::PhysicalPlace() const {
  return {Scale(place_.left), Scale(place_.top), Scale(place_.width), Scale(place_.height)};
}

void HwndPeer::CreateHandle(const wchar_t* className, DWORD style, DWORD exStyle,
                            const ui::Rect& r, bool custom) {
  HWND parentHandle = parent_ ? parent_->Handle() : nullptr;
  hwnd_ = CreateWindowExW(exStyle, className, L"", style | WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                          r.left, r.top, r.width, r.height, parentHandle, nullptr,
                          Win32WidgetFactory::Instance(), custom ? this : nullptr);
  if (!custom && hwnd_) SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  if (hwnd_) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Top().Font()), FALSE);
}

void HwndPeer::setEnabled(bool on) {
  enabled_ = on;
  // A control disabled while it has the focus hands it on, as in a dialog box: with the
  // focus nowhere, keys reach the window as system keys and Esc no longer closes it.
  const bool hadFocus = hwnd_ && !on && GetFocus() == hwnd_;
  if (hwnd_) EnableWindow(hwnd_, on);
  if (hadFocus) {
    HWND next = GetNextDlgTabItem(GetAncestor(hwnd_, GA_ROOT), hwnd_, FALSE);
    SetFocus(next && next != hwnd_ ? next : GetAncestor(hwnd_, GA_ROOT));
  }
  if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void HwndPeer::setVisible(bool on) {
  if (hwnd_) ShowWindow(hwnd_, on ? SW_SHOWNA : SW_HIDE);
}

void HwndPeer::setCaption(const std::string& text) {
  caption_ = Widen(text);
  if (hwnd_) {
    SetWindowTextW(hwnd_, caption_.c_str());
    InvalidateRect(hwnd_, nullptr, TRUE);
  }
}

ui::Point HwndPeer::clientToScreen(ui::Point p) const {
  POINT pt{Scale(p.x), Scale(p.y)};
  if (hwnd_) ClientToScreen(hwnd_, &pt);
  return {pt.x, pt.y};
}

int HwndPeer::height() const {
  RECT r{};
  if (hwnd_) GetWindowRect(hwnd_, &r);
  return MulDiv(r.bottom - r.top, 96, static_cast<int>(Dpi()));
}

COLORREF HwndPeer::Background() const {
  return parent_ ? parent_->Background() : factory_.Look().window;
}

HBRUSH HwndPeer::OnCtlColor(UINT message, HDC dc) {
  const Style& s = factory_.Look();
  if (message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX) {
    SetTextColor(dc, s.fieldText);
    SetBkColor(dc, s.field);
    return s.Brush(s.field);
  }
  SetTextColor(dc, enabled_ ? s.text : s.disabledText);
  SetBkColor(dc, Background());
  return s.Brush(Background());
}

void HwndPeer::Relayout() {
  if (!hwnd_) return;
  const ui::Rect r = PhysicalPlace();
  SetWindowPos(hwnd_, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Top().Font()), TRUE);
}

void HwndPeer::RelayoutTree() {
  Relayout();
  for (HwndPeer* c : children_) c->RelayoutTree();
  for (HwndPeer* c : children_)
    if (c->FollowsSiblings()) c->Relayout();
}

void HwndPeer::PaintBackground(HDC dc, const RECT& r) const {
  FillRect(dc, &r, factory_.Look().Brush(Background()));
}

LRESULT HwndPeer::RouteContainerMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = true;
  switch (message) {
    case WM_COMMAND:
      if (HwndPeer* child = FromHandle(reinterpret_cast<HWND>(lParam)); child && lParam) {
        child->OnCommand(HIWORD(wParam));
        return 0;
      }
      break;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (HwndPeer* child = FromHandle(header->hwndFrom)) {
        LRESULT result = 0;
        if (child->OnNotify(header, result)) return result;
      }
      break;
    }
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      if (HwndPeer* child = FromHandle(item->hwndItem)) {
        child->OnDrawItem(*item);
        return TRUE;
      }
      break;
    }
    case WM_MEASUREITEM: {
      // Sent while the control is being created; the exact heights are set right after.
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      item->itemHeight = static_cast<UINT>(Scale(15));
      return TRUE;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      if (HwndPeer* child = FromHandle(reinterpret_cast<HWND>(lParam)))
        return reinterpret_cast<LRESULT>(child->OnCtlColor(message, dc));
      // The drop-down part of a combo box and other parts without a peer of their own.
      const Style& s = factory_.Look();
      SetTextColor(dc, s.fieldText);
      SetBkColor(dc, s.field);
      return reinterpret_cast<LRESULT>(s.Brush(s.field));
    }
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(hwnd_, &r);
      PaintBackground(reinterpret_cast<HDC>(wParam), r);
      PaintChildrenAround(reinterpret_cast<HDC>(wParam));
      return 1;
    }
    case WM_SIZE:
      for (HwndPeer* c : children_) c->ParentResized();
      break;
    default:
      break;
  }
  handled = false;
  return 0;
}

LRESULT HwndPeer::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  bool handled = false;
  LRESULT r = RouteContainerMessage(message, wParam, lParam, handled);
  if (handled) return r;
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK HwndPeer::CustomProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* peer = static_cast<HwndPeer*>(cs->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(peer));
    if (peer) peer->hwnd_ = window;
  }
  HwndPeer* peer = FromHandle(window);
  if (!peer) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    peer->hwnd_ = nullptr;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  return peer->HandleMessage(message, wParam, lParam);
}

// ---- double-buffered painting of the custom classes ----

namespace {

class BufferedPaint {
 public:
  explicit BufferedPaint(HWND window) : window_(window) {
    dc_ = BeginPaint(window, &ps_);
    GetClientRect(window, &rect_);
    memory_ = CreateCompatibleDC(dc_);
    bitmap_ = CreateCompatibleBitmap(dc_, std::max<LONG>(1, rect_.right), std::max<LONG>(1, rect_.bottom));
    old_ = SelectObject(memory_, bitmap_);
  }
  ~BufferedPaint() {
    BitBlt(dc_, 0, 0, rect_.right, rect_.bottom, memory_, 0, 0, SRCCOPY);
    SelectObject(memory_, old_);
    DeleteObject(bitmap_);
    DeleteDC(memory_);
    EndPaint(window_, &ps_);
  }
  HDC Dc() const { return memory_; }
  const RECT& Rect() const { return rect_; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_ = nullptr;
  HDC memory_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  RECT rect_{};
};

HFONT MakeFont(UINT dpi, bool underline) {
  return CreateFontW(-MulDiv(9, static_cast<int>(dpi), 72), 0, 0, 0, FW_NORMAL, FALSE, underline,
                     FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Segoe UI");
}

// ---- group box ----

class GroupPeer : public HwndPeer {
 public:
  GroupPeer(Win32WidgetFactory& f, HwndPeer& parent, ui::Rect place) : HwndPeer(f, &parent, place) {
    CreateHandle(L"QELGroup", WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, PhysicalPlace(), true);
  }
  COLORREF Background() const override { return factory_.Look().group; }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_PAINT) {
      Paint();
      return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
    if (message == WM_ENABLE) InvalidateRect(hwnd_, nullptr, TRUE);
    return HwndPeer::HandleMessage(message, wParam, lParam);
  }

 private:
  void Paint() {
    BufferedPaint p(hwnd_);
    const Style& s = factory_.Look();
    HDC dc = p.Dc();
    FillRect(dc, &p.Rect(), s.Brush(parent_ ? parent_->Background() : s.window));
    HGDIOBJ oldFont = SelectObject(dc, Top().Font());
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    const int textH = tm.tmHeight;
    const int radius = Scale(8);
    RECT frame = p.Rect();
    frame.top = textH / 2;
    HPEN pen = CreatePen(PS_SOLID, 1, s.groupFrame);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, s.Brush(s.group));
    RoundRect(dc, frame.left, frame.top, frame.right, frame.bottom, radius, radius);
    // The caption sits on the frame's top edge, on a small tab of the group's colour.
    RECT measure{0, 0, 0, 0};
    DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &measure,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    if (!caption_.empty()) {
      const int pad = Scale(6);
      RECT tab{Scale(8), 0, Scale(8) + (measure.right - measure.left) + 2 * pad, textH + 1};
      RoundRect(dc, tab.left, tab.top, tab.right, tab.bottom, radius, radius);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, IsWindowEnabled(hwnd_) ? s.groupText : s.disabledText);
      RECT tr{tab.left + pad, 0, tab.right - pad, textH};
      DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &tr,
                DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldFont);
    DeleteObject(pen);
    PaintChildrenAround(dc);
  }
};

// ---- panel with its bevel line ----

class PanelPeer : public HwndPeer {
 public:
  PanelPeer(Win32WidgetFactory& f, HwndPeer& parent, int h)
      : HwndPeer(f, &parent, {0, 0, 0, h}) {
    CreateHandle(L"QELPanel", WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, BottomPlace(), true);
  }
  COLORREF Background() const override { return factory_.Look().panel; }
  void Relayout() override {
    const ui::Rect r = BottomPlace();
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void ParentResized() override { Relayout(); }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_PAINT) {
      BufferedPaint p(hwnd_);
      const Style& s = factory_.Look();
      FillRect(p.Dc(), &p.Rect(), s.Brush(s.panel));
      // The bevel: a shadow line over a light line, 3 pixels at 96 DPI.
      const int unit = std::max(1, Scale(1));
      RECT shadow{0, 0, p.Rect().right, unit};
      RECT light{0, unit, p.Rect().right, 2 * unit};
      FillRect(p.Dc(), &shadow, s.Brush(s.bevelShadow));
      FillRect(p.Dc(), &light, s.Brush(s.bevelLight));
      return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
    return HwndPeer::HandleMessage(message, wParam, lParam);
  }

 private:
  ui::Rect BottomPlace() const {
    RECT pr{};
    if (parent_ && parent_->Handle()) GetClientRect(parent_->Handle(), &pr);
    const int h = Scale(place_.height);
    return {0, pr.bottom - h, pr.right, h};
  }
};

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
  font_ = MakeFont(dpi_, false);
  CreateWindowExW(ex, L"QELWindow", L"", Style(), CW_USEDEFAULT, CW_USEDEFAULT, 100, 100,
                  ownerWindow, nullptr, Win32WidgetFactory::Instance(), static_cast<HwndPeer*>(this));
  if (!hwnd_) return;
  const UINT actual = DpiOfWindow(hwnd_);
  if (actual != dpi_) {
    DeleteObject(font_);
    dpi_ = actual;
    font_ = MakeFont(dpi_, false);
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
  if (font_) DeleteObject(font_);
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
  caption_ = Widen(text);
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
  HFONT old = font_;
  font_ = MakeFont(dpi_, false);
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
  if (old) DeleteObject(old);
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

// ---- factory ----

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
  for (const wchar_t* name : {L"QELWindow", L"QELGroup", L"QELPanel", L"QELLabel", L"QELImage"}) {
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

std::unique_ptr<ui::ControlPeer> Win32WidgetFactory::CreateGroupBox(ui::GroupBox&, ui::Container& parent, ui::Rect place) {
  return std::make_unique<GroupPeer>(*this, PeerOf(parent), place);
}

std::unique_ptr<ui::ControlPeer> Win32WidgetFactory::CreatePanel(ui::Panel&, ui::Container& parent, int height) {
  return std::make_unique<PanelPeer>(*this, PeerOf(parent), height);
}

std::unique_ptr<ui::TimerPeer> Win32WidgetFactory::CreateTimer(ui::Timer& owner) {
  return timers_->CreatePeer(owner);
}

}  // namespace win32ui
