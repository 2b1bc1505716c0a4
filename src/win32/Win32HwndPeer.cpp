// What every native peer shares: creation, placement at the window's DPI, and the routing
// of notifications to the control peers; and the functions of newer systems it needs.

#include "win32/Win32Widgets.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "ui/CaptionFit.h"
#include "win32/Win32Gdi.h"
#include "win32/Win32ServicesText.h"
#include "win32/Win32Style.h"

namespace win32 {

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
  const int dpi = GetDeviceCaps(ScreenDc().get(), LOGPIXELSY);
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
  caption_ = win32::Utf8ToWide(text);
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

int HwndPeer::CaptionEnd(const ui::Rect& place, int margin) const {
  RECT client{};
  if (!parent_ || !parent_->Handle() || !GetClientRect(parent_->Handle(), &client)) return place.Right();
  std::vector<ui::Rect> siblings;
  for (const HwndPeer* sibling : parent_->Children()) {
    HWND h = sibling->Handle();
    // This control may not exist yet while its first place is measured.
    if (!h || h == hwnd_ || !(GetWindowLongW(h, GWL_STYLE) & WS_VISIBLE)) continue;
    RECT r{};
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, parent_->Handle(), reinterpret_cast<POINT*>(&r), 2);
    siblings.push_back({r.left, r.top, r.right - r.left, r.bottom - r.top});
  }
  return ui::CaptionEnd(place, client.right, siblings, margin);
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


}  // namespace win32
