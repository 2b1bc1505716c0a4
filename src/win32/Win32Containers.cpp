// Group boxes and the status panel, painted in the program's style.

#include "win32/Win32Widgets.h"

#include <algorithm>

#include "win32/Win32Gdi.h"
#include "win32/Win32Style.h"

namespace win32 {

namespace {

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
    {
      Selected font(dc, Top().Font());
      TEXTMETRICW tm;
      GetTextMetricsW(dc, &tm);
      const int textH = tm.tmHeight;
      const int radius = Scale(8);
      RECT frame = p.Rect();
      frame.top = textH / 2;
      const OwnedPen pen(CreatePen(PS_SOLID, 1, s.groupFrame));
      Selected framePen(dc, pen.get());
      Selected fill(dc, s.Brush(s.group));
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
    }
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

std::unique_ptr<ui::ControlPeer> Win32WidgetFactory::CreateGroupBox(ui::GroupBox&, ui::Container& parent, ui::Rect place) {
  return std::make_unique<GroupPeer>(*this, PeerOf(parent), place);
}

std::unique_ptr<ui::ControlPeer> Win32WidgetFactory::CreatePanel(ui::Panel&, ui::Container& parent, int height) {
  return std::make_unique<PanelPeer>(*this, PeerOf(parent), height);
}

}  // namespace win32
