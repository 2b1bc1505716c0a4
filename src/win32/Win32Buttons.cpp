// The owner-drawn push buttons, check boxes and radio buttons in the program's style.
// Setters only show; user actions reach the control through its User* methods.

#include "win32/Win32Widgets.h"

#include <commctrl.h>

#include <algorithm>

#include "win32/Win32Gdi.h"
#include "win32/Win32Style.h"
#include "win32/Win32Pictures.h"

namespace win32 {

namespace {

// Owner-drawn buttons learn about the mouse through a subclass, for their hover look.
class HoverTracking {
 protected:
  void Track(HWND w) { SetWindowSubclass(w, Proc, 1, reinterpret_cast<DWORD_PTR>(this)); }
  void Untrack(HWND w) {
    if (w) RemoveWindowSubclass(w, Proc, 1);
  }
  bool hot_ = false;

 private:
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<HoverTracking*>(data);
    if (m == WM_MOUSEMOVE && !self->hot_) {
      self->hot_ = true;
      TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, w, 0};
      TrackMouseEvent(&t);
      InvalidateRect(w, nullptr, FALSE);
    } else if (m == WM_MOUSELEAVE) {
      self->hot_ = false;
      InvalidateRect(w, nullptr, FALSE);
    }
    return DefSubclassProc(w, m, wp, lp);
  }
};

// ---- push button with an optional picture ----

class ButtonPeerImpl : public ui::ButtonPeer, public HwndPeer, private HoverTracking {
 public:
  ButtonPeerImpl(Win32WidgetFactory& f, ui::Button& owner, HwndPeer& parent, ui::Rect place)
      : HwndPeer(f, &parent, place), owner_(owner) {
    CreateHandle(L"BUTTON", BS_OWNERDRAW | WS_TABSTOP, 0, PhysicalPlace(), false);
    Track(hwnd_);
  }
  ~ButtonPeerImpl() override { Untrack(hwnd_); }
  void setImage(const std::string& name) override {
    image_ = name;
    InvalidateRect(hwnd_, nullptr, FALSE);
  }
  void OnCommand(WORD code) override {
    // An owner-drawn button reports the second click of a double click apart.
    if (code == BN_CLICKED || code == BN_DOUBLECLICKED) owner_.UserClicked();
  }
  void OnDrawItem(const DRAWITEMSTRUCT& item) override {
    DrawBuffer b(item.hDC, item.rcItem);
    const bool enabled = !(item.itemState & ODS_DISABLED);
    factory_.Look().DrawButton(b.Dc(), b.Local(), caption_, Top().Font(), enabled,
                               (item.itemState & ODS_SELECTED) != 0, hot_ && enabled,
                               (item.itemState & ODS_FOCUS) != 0, &factory_.Images(), image_, Dpi());
  }

 private:
  ui::Button& owner_;
  std::string image_;
};

// ---- check box and radio button ----

class CheckPeerImpl : public ui::CheckPeer, public HwndPeer, private HoverTracking {
 public:
  CheckPeerImpl(Win32WidgetFactory& f, HwndPeer& parent, ui::Rect place, ui::CheckBox* box,
                ui::RadioButton* radio)
      : HwndPeer(f, &parent, place), box_(box), radio_(radio) {
    CreateHandle(L"BUTTON", BS_OWNERDRAW | WS_TABSTOP, 0, PhysicalPlace(), false);
    Track(hwnd_);
  }
  ~CheckPeerImpl() override { Untrack(hwnd_); }
  void setCaption(const std::string& text) override {
    HwndPeer::setCaption(text);
    Relayout();
  }
  void Relayout() override {
    // As wide as box and text, no wider: the design places a spin edit over the end of
    // some of these ("Coordinates:", "Jitter +/- (ms)", "Repeat"), and the field must
    // stay whole and clickable.
    ui::Rect r = PhysicalPlace();
    SIZE extent{0, 0};
    {
      ScreenDc dc;
      Selected font(dc.get(), Top().Font());
      GetTextExtentPoint32W(dc.get(), caption_.c_str(), static_cast<int>(caption_.size()), &extent);
    }
    r.width = std::min(r.width, Scale(13) + Scale(5) + static_cast<int>(extent.cx) + Scale(4));
    // A long translation would reach under that field and paint over it: the control ends
    // where the field begins, and its caption is drawn smaller to fit.
    r.width = std::max(std::min(r.width, CaptionEnd(r, 0) - r.left), Scale(13));
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Top().Font()), FALSE);
    InvalidateRect(hwnd_, nullptr, FALSE);
  }
  bool FollowsSiblings() const override { return true; }
  void setChecked(bool on) override {
    if (checked_ == on) return;
    checked_ = on;
    InvalidateRect(hwnd_, nullptr, FALSE);
  }
  void OnCommand(WORD code) override {
    if (code != BN_CLICKED && code != BN_DOUBLECLICKED) return;
    if (box_) {
      // The user's click changes what is shown, as a native check box does; the control
      // then learns the new state.
      checked_ = !checked_;
      InvalidateRect(hwnd_, nullptr, FALSE);
      box_->UserToggled(checked_);
    } else if (radio_) {
      radio_->UserClicked();
    }
  }
  void OnDrawItem(const DRAWITEMSTRUCT& item) override {
    DrawBuffer b(item.hDC, item.rcItem);
    const bool enabled = !(item.itemState & ODS_DISABLED);
    RECT mine{};
    GetWindowRect(hwnd_, &mine);
    MapWindowPoints(nullptr, Parent()->Handle(), reinterpret_cast<POINT*>(&mine), 2);
    const ui::Rect place{mine.left, mine.top, mine.right - mine.left, mine.bottom - mine.top};
    const int textRight = CaptionEnd(place, Scale(2)) - mine.left;
    factory_.Look().DrawCheck(b.Dc(), b.Local(), caption_, Top().Font(), enabled, checked_,
                              radio_ != nullptr, (item.itemState & ODS_FOCUS) != 0, hot_ && enabled,
                              Background(), Dpi(), textRight);
  }

 private:
  ui::CheckBox* box_;
  ui::RadioButton* radio_;
  bool checked_ = false;
};

}  // namespace

std::unique_ptr<ui::ButtonPeer> Win32WidgetFactory::CreateButton(ui::Button& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<ButtonPeerImpl>(*this, owner, PeerOf(parent), place);
}

std::unique_ptr<ui::CheckPeer> Win32WidgetFactory::CreateCheckBox(ui::CheckBox& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<CheckPeerImpl>(*this, PeerOf(parent), place, &owner, nullptr);
}

std::unique_ptr<ui::CheckPeer> Win32WidgetFactory::CreateRadioButton(ui::RadioButton& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<CheckPeerImpl>(*this, PeerOf(parent), place, nullptr, &owner);
}

}  // namespace win32
