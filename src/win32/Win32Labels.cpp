// Labels (links included), the progress bar and the picture.

#include "win32/Win32Widgets.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <cstdint>

#include "win32/Win32Gdi.h"
#include "win32/Win32Pictures.h"
#include "win32/Win32ServicesText.h"
#include "win32/Win32Style.h"

namespace win32 {

HoverHint::~HoverHint() {
  if (tip_) DestroyWindow(tip_);
}

void HoverHint::Set(HWND top, HWND control, const std::string& text) {
  text_ = win32::Utf8ToWide(text);
  const bool on = !text_.empty();
  if (!tip_ && on) {
    tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, top, nullptr, nullptr,
                           nullptr);
  }
  if (!tip_) return;
  TOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = top;
  ti.uId = reinterpret_cast<UINT_PTR>(control);
  ti.lpszText = text_.data();
  if (!added_)
    added_ = SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)) != FALSE;
  else
    SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
  SendMessageW(tip_, TTM_ACTIVATE, on ? TRUE : FALSE, 0);
}

namespace {

// ---- label: sizes itself to its text when asked, links react to the mouse ----

class LabelPeerImpl : public ui::LabelPeer, public HwndPeer {
 public:
  LabelPeerImpl(Win32WidgetFactory& f, ui::Label& owner, HwndPeer& parent, ui::Rect place)
      : HwndPeer(f, &parent, place), owner_(owner) {
    CreateHandle(L"QELLabel", 0, 0, Measured(), true);
  }
  void setCaption(const std::string& text) override {
    caption_ = win32::Utf8ToWide(text);
    Relayout();
    InvalidateRect(hwnd_, nullptr, FALSE);
  }
  void setUnderline(bool on) override {
    underline_ = on;
    InvalidateRect(hwnd_, nullptr, FALSE);
  }
  void setLinkStyle(std::uint32_t rgb) override {
    link_ = true;
    linkColour_ = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    InvalidateRect(hwnd_, nullptr, FALSE);
  }
  void setHint(const std::string& hint) override {
    hand_ = !hint.empty();
    hint_.Set(Top().Handle(), hwnd_, hint);
  }
  void setLayout(bool alignRight, bool wordWrap) override {
    alignRight_ = alignRight;
    wordWrap_ = wordWrap;
    Relayout();
    InvalidateRect(hwnd_, nullptr, FALSE);
  }
  bool FollowsSiblings() const override { return !wordWrap_; }
  void Relayout() override {
    if (!hwnd_) return;
    underlined_.reset();
    const ui::Rect r = Measured();
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_PAINT:
        Paint();
        return 0;
      case WM_ERASEBKGND:
        return 1;
      case WM_ENABLE:
        InvalidateRect(hwnd_, nullptr, FALSE);
        break;
      case WM_MOUSEMOVE:
        if (!tracking_) {
          tracking_ = true;
          TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, hwnd_, 0};
          TrackMouseEvent(&t);
          owner_.UserEntered();
        }
        return 0;
      case WM_MOUSELEAVE:
        tracking_ = false;
        owner_.UserLeft();
        return 0;
      case WM_LBUTTONUP:
        owner_.UserClicked();
        return 0;
      case WM_SETCURSOR:
        if (link_ || hand_) {
          SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649) /* IDC_HAND */));
          return TRUE;
        }
        break;
      default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  UINT Format() const {
    UINT f = DT_NOPREFIX | (alignRight_ ? DT_RIGHT : DT_LEFT);
    f |= wordWrap_ ? DT_WORDBREAK : DT_SINGLELINE;
    return f;
  }
  // The window's font, or a smaller one where a one-line caption would run out of its parent.
  HFONT TextFont() { return fitted_ ? fitted_.get() : Top().Font(); }
  HFONT PaintFont() {
    if (!underline_) return TextFont();
    if (!underlined_) {
      LOGFONTW lf{};
      GetObjectW(TextFont(), sizeof lf, &lf);
      lf.lfUnderline = TRUE;
      underlined_.reset(CreateFontIndirectW(&lf));
    }
    return underlined_.get();
  }
  // The place in physical pixels; a width or height of 0 is the text's own.
  ui::Rect Measured() {
    ui::Rect r = PhysicalPlace();
    RECT calc{0, 0, r.width > 0 ? r.width : 0, 0};
    {
      ScreenDc dc;
      fitted_.reset(wordWrap_ ? nullptr : FitFont(dc.get(), Top().Font(), caption_, Room(r)));
      Selected font(dc.get(), TextFont());
      const std::wstring text = caption_.empty() ? std::wstring(L" ") : caption_;
      UINT flags = DT_CALCRECT | DT_NOPREFIX | (wordWrap_ && r.width > 0 ? DT_WORDBREAK : DT_SINGLELINE);
      DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &calc, flags);
    }
    const int textW = caption_.empty() ? 0 : calc.right - calc.left;
    if (place_.width == 0) {
      r.width = textW;
    } else if (!wordWrap_ && textW > r.width) {
      // Text wider than the place: a right-aligned label grows to the left, as its right
      // edge is what is anchored; the others grow to the right.
      if (alignRight_) r.left -= textW - r.width;
      r.width = textW;
    }
    if (place_.height == 0) r.height = calc.bottom - calc.top;
    return r;
  }
  // How wide a one-line caption may grow from its place before it runs into the next
  // control on its row or leaves its parent's client area (a group's frame, the window's edge).
  int Room(const ui::Rect& r) {
    const int margin = Scale(6);
    if (alignRight_ && place_.width > 0) return r.left + r.width - margin;
    ui::Rect row = r;
    if (row.height <= 0) row.height = Scale(14);  // an auto-sized label: about a line
    return CaptionEnd(row, margin) - r.left;
  }
  void Paint() {
    BufferedPaint p(hwnd_);
    const Style& s = factory_.Look();
    FillRect(p.Dc(), &p.Rect(), s.Brush(Background()));
    Selected font(p.Dc(), PaintFont());
    SetBkMode(p.Dc(), TRANSPARENT);
    const bool on = IsWindowEnabled(hwnd_) != FALSE;
    SetTextColor(p.Dc(), link_ ? linkColour_ : on ? s.text : s.disabledText);
    RECT tr = p.Rect();
    DrawTextW(p.Dc(), caption_.c_str(), static_cast<int>(caption_.size()), &tr, Format());
  }
  ui::Label& owner_;
  bool underline_ = false;
  bool link_ = false;
  COLORREF linkColour_ = 0;
  bool hand_ = false;
  HoverHint hint_;
  bool alignRight_ = false;
  bool wordWrap_ = false;
  bool tracking_ = false;
  OwnedFont underlined_;
  OwnedFont fitted_;
};

// ---- progress bar: classic drawing, which honours the style's colours ----

class ProgressPeerImpl : public ui::ProgressBarPeer, public HwndPeer {
 public:
  ProgressPeerImpl(Win32WidgetFactory& f, HwndPeer& parent, ui::Rect place) : HwndPeer(f, &parent, place) {
    CreateHandle(PROGRESS_CLASSW, 0, 0, PhysicalPlace(), false);
    SetWindowTheme(hwnd_, L"", L"");
    SendMessageW(hwnd_, PBM_SETRANGE32, 0, 100);
    SendMessageW(hwnd_, PBM_SETBARCOLOR, 0, static_cast<LPARAM>(f.Look().accent));
    SendMessageW(hwnd_, PBM_SETBKCOLOR, 0, static_cast<LPARAM>(f.Look().field));
  }
  void setPosition(int percent) override { SendMessageW(hwnd_, PBM_SETPOS, static_cast<WPARAM>(percent), 0); }
  void repaint() override { RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }
};

// ---- picture ----

class ImagePeerImpl : public HwndPeer {
 public:
  ImagePeerImpl(Win32WidgetFactory& f, ui::Image& owner, HwndPeer& parent, ui::Rect place)
      : HwndPeer(f, &parent, place), name_(owner.PictureName()) {
    CreateHandle(L"QELImage", 0, 0, PhysicalPlace(), true);
  }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_ERASEBKGND) return 1;
    if (message == WM_PAINT) {
      BufferedPaint p(hwnd_);
      FillRect(p.Dc(), &p.Rect(), factory_.Look().Brush(Background()));
      factory_.Images().Draw(p.Dc(), p.Rect(), name_, IsWindowEnabled(hwnd_) != FALSE);
      return 0;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  std::string name_;
};

}  // namespace

std::unique_ptr<ui::LabelPeer> Win32WidgetFactory::CreateLabel(ui::Label& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<LabelPeerImpl>(*this, owner, PeerOf(parent), place);
}

std::unique_ptr<ui::ProgressBarPeer> Win32WidgetFactory::CreateProgressBar(ui::ProgressBar&, ui::Container& parent, ui::Rect place) {
  return std::make_unique<ProgressPeerImpl>(*this, PeerOf(parent), place);
}

std::unique_ptr<ui::ControlPeer> Win32WidgetFactory::CreateImage(ui::Image& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<ImagePeerImpl>(*this, owner, PeerOf(parent), place);
}

}  // namespace win32
