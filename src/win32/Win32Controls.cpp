// The control peers: owner-drawn buttons, check boxes and radio buttons in the program's
// style, spin edits (edit + up-down), drop-down lists, the list box, labels (links
// included), the progress bar and the picture. Setters only show; user actions reach the
// control through its User* methods.

#include "win32/Win32Widgets.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <cstdlib>

#include "win32/Win32Pictures.h"
#include "win32/Win32Style.h"

namespace win32ui {

namespace {

HwndPeer& ParentPeer(ui::Container& c) { return dynamic_cast<HwndPeer&>(c.Peer()); }

std::wstring WindowText(HWND w) {
  const int n = GetWindowTextLengthW(w);
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  GetWindowTextW(w, s.data(), n + 1);
  s.resize(static_cast<size_t>(n));
  return s;
}

// Where a caption that starts at `place` (physical pixels, in the parent) must end: before
// the nearest shown sibling to its right on the same row (the design lays some fields over
// the end of a check box's place), or before the parent's edge. Siblings are the parent's
// other windows; `self` (which may not exist yet) is not one of them.
int CaptionLimit(HwndPeer* parent, HWND self, const ui::Rect& place, int margin) {
  RECT pc{};
  if (!parent || !parent->Handle() || !GetClientRect(parent->Handle(), &pc)) return place.left + place.width;
  int limit = pc.right - margin;
  for (HwndPeer* sibling : parent->Children()) {
    HWND h = sibling->Handle();
    if (!h || h == self || !(GetWindowLongW(h, GWL_STYLE) & WS_VISIBLE)) continue;
    RECT rc{};
    GetWindowRect(h, &rc);
    MapWindowPoints(nullptr, parent->Handle(), reinterpret_cast<POINT*>(&rc), 2);
    if (rc.left > place.left && rc.top < place.top + place.height && rc.bottom > place.top)
      limit = std::min<int>(limit, rc.left - margin);
  }
  return limit;
}

// A memory DC for an owner-drawn item, copied to the target when it goes.
class ItemBuffer {
 public:
  ItemBuffer(HDC target, const RECT& r) : target_(target), rect_(r) {
    const int w = std::max<LONG>(1, r.right - r.left), h = std::max<LONG>(1, r.bottom - r.top);
    dc_ = CreateCompatibleDC(target);
    bitmap_ = CreateCompatibleBitmap(target, w, h);
    old_ = SelectObject(dc_, bitmap_);
    local_ = {0, 0, w, h};
  }
  ~ItemBuffer() {
    BitBlt(target_, rect_.left, rect_.top, local_.right, local_.bottom, dc_, 0, 0, SRCCOPY);
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC Dc() const { return dc_; }
  const RECT& Local() const { return local_; }

 private:
  HDC target_;
  RECT rect_;
  RECT local_{};
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

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
    ItemBuffer b(item.hDC, item.rcItem);
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
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Top().Font());
    SIZE extent{0, 0};
    GetTextExtentPoint32W(dc, caption_.c_str(), static_cast<int>(caption_.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    r.width = std::min(r.width, Scale(13) + Scale(5) + static_cast<int>(extent.cx) + Scale(4));
    // A long translation would reach under that field and paint over it: the control ends
    // where the field begins, and its caption is drawn smaller to fit.
    r.width = std::max(std::min(r.width, CaptionLimit(Parent(), hwnd_, r, 0) - r.left), Scale(13));
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
    ItemBuffer b(item.hDC, item.rcItem);
    const bool enabled = !(item.itemState & ODS_DISABLED);
    RECT mine{};
    GetWindowRect(hwnd_, &mine);
    MapWindowPoints(nullptr, Parent()->Handle(), reinterpret_cast<POINT*>(&mine), 2);
    const ui::Rect place{mine.left, mine.top, mine.right - mine.left, mine.bottom - mine.top};
    const int textRight = CaptionLimit(Parent(), hwnd_, place, Scale(2)) - mine.left;
    factory_.Look().DrawCheck(b.Dc(), b.Local(), caption_, Top().Font(), enabled, checked_,
                              radio_ != nullptr, (item.itemState & ODS_FOCUS) != 0, hot_ && enabled,
                              Background(), Dpi(), textRight);
  }

 private:
  ui::CheckBox* box_;
  ui::RadioButton* radio_;
  bool checked_ = false;
};

// ---- a 1-pixel border in the style's colours for edit fields and the list box ----

LRESULT CALLBACK BorderProc(HWND w, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  if (m == WM_NCPAINT) {
    LRESULT r = DefSubclassProc(w, m, wp, lp);  // the scroll bars of a list box
    const Style& s = *reinterpret_cast<const Style*>(data);
    HDC dc = GetWindowDC(w);
    RECT rc;
    GetWindowRect(w, &rc);
    OffsetRect(&rc, -rc.left, -rc.top);
    FrameRect(dc, &rc, s.Brush(IsWindowEnabled(w) ? s.fieldBorder : s.buttonBorderDisabled));
    ReleaseDC(w, dc);
    return r;
  }
  if (m == WM_ENABLE) {
    LRESULT r = DefSubclassProc(w, m, wp, lp);
    RedrawWindow(w, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
    return r;
  }
  return DefSubclassProc(w, m, wp, lp);
}

void StyleBorder(HWND w, const Style& s) {
  SetWindowSubclass(w, BorderProc, 2, reinterpret_cast<DWORD_PTR>(&s));
  SetWindowPos(w, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

// ---- spin edit: an edit field with two arrows inside its right edge ----
//
// The arrows are drawn here rather than by an up-down control, so that they wear the
// style; they step the number in the text within the range and leave the text to report
// itself, as typing does.

class SpinPeerImpl : public ui::SpinEditPeer, public HwndPeer {
 public:
  SpinPeerImpl(Win32WidgetFactory& f, ui::SpinEdit& owner, HwndPeer& parent, ui::Rect place)
      : HwndPeer(f, &parent, place), owner_(owner) {
    CreateHandle(L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, 0, EditPlace(), false);
    SetWindowSubclass(hwnd_, KeyProc, 3, reinterpret_cast<DWORD_PTR>(this));
    Margins();
    RegisterArrowsClass();
    const ui::Rect u = ArrowsPlace();
    arrows_ = CreateWindowExW(0, L"QELSpinArrows", L"", WS_CHILD | WS_VISIBLE, u.left, u.top, u.width,
                              u.height, parent.Handle(), nullptr, Win32WidgetFactory::Instance(), this);
  }
  ~SpinPeerImpl() override {
    if (hwnd_) RemoveWindowSubclass(hwnd_, KeyProc, 3);
    if (arrows_ && IsWindow(arrows_)) {
      SetWindowLongPtrW(arrows_, GWLP_USERDATA, 0);
      DestroyWindow(arrows_);
    }
  }
  void setText(const std::string& text) override {
    Quiet q(*this);
    SetWindowTextW(hwnd_, Widen(text).c_str());
  }
  void setRange(int minValue, int maxValue) override {
    min_ = minValue;
    max_ = maxValue;
  }
  void setEnabled(bool on) override {
    HwndPeer::setEnabled(on);
    EnableWindow(arrows_, on);
    InvalidateRect(arrows_, nullptr, FALSE);
    const ui::Rect f = FramePlace();
    RECT r{f.left, f.top, f.Right(), f.Bottom()};
    if (parent_) InvalidateRect(parent_->Handle(), &r, TRUE);
  }
  void PaintAround(HDC dc) override {
    if (!IsWindowVisible(hwnd_)) return;
    const Style& s = factory_.Look();
    const ui::Rect f = FramePlace();
    RECT r{f.left, f.top, f.Right(), f.Bottom()};
    const bool on = IsWindowEnabled(hwnd_) != FALSE;
    FillRect(dc, &r, s.Brush(on ? s.field : s.buttonDisabled));
    FrameRect(dc, &r, s.Brush(on ? s.fieldBorder : s.buttonBorderDisabled));
  }
  void setVisible(bool on) override {
    HwndPeer::setVisible(on);
    ShowWindow(arrows_, on ? SW_SHOWNA : SW_HIDE);
  }
  void OnCommand(WORD code) override {
    if (quiet_) return;
    if (code == EN_CHANGE)
      owner_.UserTyped(Narrow(WindowText(hwnd_)));
    else if (code == EN_KILLFOCUS)
      owner_.UserLeft();
  }
  HBRUSH OnCtlColor(UINT message, HDC dc) override {
    const Style& s = factory_.Look();
    const bool on = IsWindowEnabled(hwnd_);
    (void)message;
    SetTextColor(dc, on ? s.fieldText : s.disabledText);
    SetBkColor(dc, on ? s.field : s.buttonDisabled);
    return s.Brush(on ? s.field : s.buttonDisabled);
  }
  void Relayout() override {
    const ui::Rect e = EditPlace(), u = ArrowsPlace();
    SetWindowPos(hwnd_, nullptr, e.left, e.top, e.width, e.height, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(arrows_, nullptr, u.left, u.top, u.width, u.height, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Top().Font()), TRUE);
    Margins();
  }

 private:
  struct Quiet {
    SpinPeerImpl& p;
    bool was;
    explicit Quiet(SpinPeerImpl& peer) : p(peer), was(peer.quiet_) { p.quiet_ = true; }
    ~Quiet() { p.quiet_ = was; }
  };
  static constexpr UINT_PTR kRepeatTimer = 1;

  void Margins() {
    SendMessageW(hwnd_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(Scale(2), Scale(1)));
  }
  int ArrowsWidth() const { return std::min(Scale(14), Scale(place_.width) / 2); }
  // The field with its border line, drawn by the parent around the edit control.
  ui::Rect FramePlace() const {
    ui::Rect r = PhysicalPlace();
    r.width -= ArrowsWidth() - 1;  // the arrows share the field's right border line
    return r;
  }
  ui::Rect EditPlace() const {
    ui::Rect r = FramePlace();
    // Inside the border, and a few pixels down so that the text sits in the middle.
    const int down = std::max(1, (r.height - Scale(17)) / 2);
    return {r.left + 1, r.top + down, r.width - 2, r.height - down - 1};
  }
  ui::Rect ArrowsPlace() const {
    ui::Rect r = PhysicalPlace();
    return {r.Right() - ArrowsWidth(), r.top, ArrowsWidth(), r.height};
  }
  // One step up or down from the number in the text (the minimum when there is none).
  void Step(int delta) {
    if (!IsWindowEnabled(hwnd_)) return;
    const int v = ui::SpinEdit::ParseValue(Narrow(WindowText(hwnd_)), min_, max_);
    const int next = std::clamp(v + delta, min_, max_);
    SetWindowTextW(hwnd_, std::to_wstring(next).c_str());  // EN_CHANGE reports it
    SendMessageW(hwnd_, EM_SETSEL, 0, -1);
  }
  static LRESULT CALLBACK KeyProc(HWND w, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<SpinPeerImpl*>(data);
    if (m == WM_KEYDOWN && (wp == VK_UP || wp == VK_DOWN)) {
      self->Step(wp == VK_UP ? 1 : -1);
      return 0;
    }
    if (m == WM_MOUSEWHEEL) {
      self->Step(GET_WHEEL_DELTA_WPARAM(wp) > 0 ? 1 : -1);
      return 0;
    }
    return DefSubclassProc(w, m, wp, lp);
  }
  static void RegisterArrowsClass() {
    static bool done = false;
    if (done) return;
    done = true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ArrowsProc;
    wc.hInstance = Win32WidgetFactory::Instance();
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
    wc.lpszClassName = L"QELSpinArrows";
    RegisterClassExW(&wc);
  }
  static LRESULT CALLBACK ArrowsProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_NCCREATE)
      SetWindowLongPtrW(w, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    auto* self = reinterpret_cast<SpinPeerImpl*>(GetWindowLongPtrW(w, GWLP_USERDATA));
    if (!self) return DefWindowProcW(w, m, wp, lp);
    switch (m) {
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT:
        self->PaintArrows(w);
        return 0;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK: {
        RECT rc;
        GetClientRect(w, &rc);
        self->pressed_ = static_cast<short>(HIWORD(lp)) < rc.bottom / 2 ? 1 : -1;
        SetCapture(w);
        SetFocus(self->hwnd_);
        self->Step(self->pressed_);
        SetTimer(w, kRepeatTimer, 400, nullptr);
        InvalidateRect(w, nullptr, FALSE);
        return 0;
      }
      case WM_TIMER:
        if (wp == kRepeatTimer && self->pressed_ != 0) {
          self->Step(self->pressed_);
          SetTimer(w, kRepeatTimer, 50, nullptr);
        }
        return 0;
      case WM_LBUTTONUP:
      case WM_CAPTURECHANGED:
        KillTimer(w, kRepeatTimer);
        if (self->pressed_ != 0) {
          self->pressed_ = 0;
          if (GetCapture() == w) ReleaseCapture();
          InvalidateRect(w, nullptr, FALSE);
        }
        return 0;
      default:
        return DefWindowProcW(w, m, wp, lp);
    }
  }
  void PaintArrows(HWND w) {
    PAINTSTRUCT ps;
    HDC target = BeginPaint(w, &ps);
    RECT rc;
    GetClientRect(w, &rc);
    {
      ItemBuffer b(target, rc);
      const Style& s = factory_.Look();
      const bool on = IsWindowEnabled(w) != FALSE;
      const RECT& r = b.Local();
      FillRect(b.Dc(), &r, s.Brush(on ? s.button : s.buttonDisabled));
      const int mid = r.bottom / 2;
      RECT up{0, 0, r.right, mid}, down{0, mid, r.right, r.bottom};
      if (pressed_ > 0) FillRect(b.Dc(), &up, s.Brush(s.buttonPressed));
      if (pressed_ < 0) FillRect(b.Dc(), &down, s.Brush(s.buttonPressed));
      const COLORREF line = on ? s.fieldBorder : s.buttonBorderDisabled;
      FrameRect(b.Dc(), &r, s.Brush(line));
      RECT sep{0, mid, r.right, mid + 1};
      FillRect(b.Dc(), &sep, s.Brush(line));
      HBRUSH mark = s.Brush(on ? s.accent : s.disabledText);
      const int half = std::max(2, Scale(3));
      const int cx = r.right / 2;
      auto triangle = [&](int cy, bool pointsUp) {
        POINT pts[3] = {{cx - half, cy + (pointsUp ? half / 2 : -half / 2)},
                        {cx + half, cy + (pointsUp ? half / 2 : -half / 2)},
                        {cx, cy + (pointsUp ? -half / 2 - 1 : half / 2 + 1)}};
        HRGN rgn = CreatePolygonRgn(pts, 3, WINDING);
        FillRgn(b.Dc(), rgn, mark);
        DeleteObject(rgn);
      };
      triangle(mid / 2 + 1, true);
      triangle(mid + (r.bottom - mid) / 2, false);
    }
    EndPaint(w, &ps);
  }

  ui::SpinEdit& owner_;
  HWND arrows_ = nullptr;
  int min_ = 0, max_ = 0;
  int pressed_ = 0;  // +1 up, -1 down, 0 none
  bool quiet_ = false;
};

// ---- drop-down list and list box (owner-drawn for the style's selection colours) ----

class ComboPeerImpl : public ui::ListPeer, public HwndPeer {
 public:
  ComboPeerImpl(Win32WidgetFactory& f, ui::ComboBox& owner, HwndPeer& parent, ui::Rect place)
      : HwndPeer(f, &parent, place), owner_(owner) {
    ui::Rect r = PhysicalPlace();
    r.height = Scale(200);  // the height of the open list
    CreateHandle(L"COMBOBOX",
                 CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP, 0, r,
                 false);
    ItemHeights();
    SetWindowSubclass(hwnd_, FaceProc, 4, reinterpret_cast<DWORD_PTR>(this));
  }
  ~ComboPeerImpl() override {
    if (hwnd_) RemoveWindowSubclass(hwnd_, FaceProc, 4);
  }
  void setItems(const std::vector<std::string>& items) override {
    items_.clear();
    SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
    for (const auto& i : items) {
      items_.push_back(Widen(i));
      SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items_.back().c_str()));
    }
  }
  void setItemIndex(int index) override {
    SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    InvalidateRect(hwnd_, nullptr, FALSE);
  }
  void OnCommand(WORD code) override {
    if (code == CBN_SELCHANGE)
      owner_.UserSelected(static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0)));
  }
  void OnDrawItem(const DRAWITEMSTRUCT& item) override {
    ItemBuffer b(item.hDC, item.rcItem);
    const bool enabled = !(item.itemState & ODS_DISABLED);
    const bool field = (item.itemState & ODS_COMBOBOXEDIT) != 0;
    const bool selected = field ? (item.itemState & ODS_FOCUS) != 0 : (item.itemState & ODS_SELECTED) != 0;
    const std::wstring text =
        item.itemID < items_.size() ? items_[item.itemID] : std::wstring();
    factory_.Look().DrawListItem(b.Dc(), b.Local(), text, Top().Font(), enabled, selected, Dpi());
  }
  void Relayout() override {
    ui::Rect r = PhysicalPlace();
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.width, Scale(200), SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Top().Font()), TRUE);
    ItemHeights();
  }

 private:
  void ItemHeights() {
    // The closed field fills the place; the frame takes 3 pixels on each side.
    SendMessageW(hwnd_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), Scale(place_.height) - 6);
    SendMessageW(hwnd_, CB_SETITEMHEIGHT, 0, Scale(18));
  }
  // The closed list is painted here whole (frame, chosen item, arrow): the system would
  // draw its frame and button in its own light colours. The open list stays the system's,
  // with owner-drawn items.
  static LRESULT CALLBACK FaceProc(HWND w, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<ComboPeerImpl*>(data);
    if (m == WM_PAINT) {
      self->PaintFace();
      return 0;
    }
    if (m == WM_ERASEBKGND) return 1;
    if (m == WM_SETFOCUS || m == WM_KILLFOCUS || m == WM_ENABLE || m == WM_MOUSEMOVE ||
        m == WM_MOUSELEAVE) {
      LRESULT r = DefSubclassProc(w, m, wp, lp);
      if (m == WM_MOUSEMOVE && !self->hot_) {
        self->hot_ = true;
        TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, w, 0};
        TrackMouseEvent(&t);
      } else if (m == WM_MOUSELEAVE) {
        self->hot_ = false;
      }
      InvalidateRect(w, nullptr, FALSE);
      return r;
    }
    return DefSubclassProc(w, m, wp, lp);
  }
  void PaintFace() {
    PAINTSTRUCT ps;
    HDC target = BeginPaint(hwnd_, &ps);
    RECT rc;
    GetClientRect(hwnd_, &rc);
    {
      ItemBuffer b(target, rc);
      const Style& s = factory_.Look();
      const RECT& r = b.Local();
      const bool on = IsWindowEnabled(hwnd_) != FALSE;
      const bool focused = GetFocus() == hwnd_;
      FillRect(b.Dc(), &r, s.Brush(on ? s.field : s.buttonDisabled));
      const int arrowW = Scale(18);
      RECT textRect{r.left + 2, r.top + 2, r.right - arrowW - 1, r.bottom - 2};
      const int index = static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0));
      const std::wstring text =
          index >= 0 && static_cast<size_t>(index) < items_.size() ? items_[static_cast<size_t>(index)] : L"";
      s.DrawListItem(b.Dc(), textRect, text, Top().Font(), on, focused, Dpi());
      RECT button{r.right - arrowW, r.top, r.right, r.bottom};
      FillRect(b.Dc(), &button, s.Brush(!on ? s.buttonDisabled : hot_ ? s.buttonHot : s.button));
      const COLORREF line = !on ? s.buttonBorderDisabled : (hot_ || focused) ? s.accent : s.fieldBorder;
      RECT sep{button.left, r.top, button.left + 1, r.bottom};
      FillRect(b.Dc(), &sep, s.Brush(line));
      FrameRect(b.Dc(), &r, s.Brush(line));
      const int half = std::max(2, Scale(4));
      const int cx = (button.left + button.right) / 2, cy = (r.top + r.bottom) / 2;
      POINT pts[3] = {{cx - half, cy - half / 2}, {cx + half + 1, cy - half / 2}, {cx, cy + half / 2 + 1}};
      HRGN rgn = CreatePolygonRgn(pts, 3, WINDING);
      FillRgn(b.Dc(), rgn, s.Brush(on ? s.accent : s.disabledText));
      DeleteObject(rgn);
    }
    EndPaint(hwnd_, &ps);
  }
  ui::ComboBox& owner_;
  std::vector<std::wstring> items_;
  bool hot_ = false;
};

class ListBoxPeerImpl : public ui::ListPeer, public HwndPeer {
 public:
  ListBoxPeerImpl(Win32WidgetFactory& f, ui::ListBox& owner, HwndPeer& parent, ui::Rect place)
      : HwndPeer(f, &parent, place), owner_(owner) {
    CreateHandle(L"LISTBOX",
                 LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL |
                     WS_TABSTOP | WS_BORDER,
                 0, PhysicalPlace(), false);
    StyleBorder(hwnd_, f.Look());
    SendMessageW(hwnd_, LB_SETITEMHEIGHT, 0, Scale(15));
  }
  ~ListBoxPeerImpl() override {
    if (hwnd_) RemoveWindowSubclass(hwnd_, BorderProc, 2);
  }
  void setItems(const std::vector<std::string>& items) override {
    SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
    items_.clear();
    SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
    for (const auto& i : items) {
      items_.push_back(Widen(i));
      SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items_.back().c_str()));
    }
    SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd_, nullptr, TRUE);
  }
  void setItemIndex(int index) override { SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(index), 0); }
  void OnCommand(WORD code) override {
    if (code == LBN_SELCHANGE)
      owner_.UserSelected(static_cast<int>(SendMessageW(hwnd_, LB_GETCURSEL, 0, 0)));
  }
  void OnDrawItem(const DRAWITEMSTRUCT& item) override {
    if (item.itemID >= items_.size()) return;
    ItemBuffer b(item.hDC, item.rcItem);
    factory_.Look().DrawListItem(b.Dc(), b.Local(), items_[item.itemID], Top().Font(),
                                 !(item.itemState & ODS_DISABLED), (item.itemState & ODS_SELECTED) != 0,
                                 Dpi());
  }
  HBRUSH OnCtlColor(UINT, HDC dc) override {
    const Style& s = factory_.Look();
    SetBkColor(dc, s.field);
    SetTextColor(dc, s.fieldText);
    return s.Brush(IsWindowEnabled(hwnd_) ? s.field : s.buttonDisabled);
  }
  void Relayout() override {
    HwndPeer::Relayout();
    SendMessageW(hwnd_, LB_SETITEMHEIGHT, 0, Scale(15));
  }

 private:
  ui::ListBox& owner_;
  std::vector<std::wstring> items_;
};

// ---- label: sizes itself to its text when asked, links react to the mouse ----

class LabelPeerImpl : public ui::LabelPeer, public HwndPeer {
 public:
  LabelPeerImpl(Win32WidgetFactory& f, ui::Label& owner, HwndPeer& parent, ui::Rect place)
      : HwndPeer(f, &parent, place), owner_(owner) {
    CreateHandle(L"QELLabel", 0, 0, Measured(), true);
  }
  ~LabelPeerImpl() override {
    if (underlined_) DeleteObject(underlined_);
    if (fitted_) DeleteObject(fitted_);
  }
  void setCaption(const std::string& text) override {
    caption_ = Widen(text);
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
  void setLayout(bool alignRight, bool wordWrap) override {
    alignRight_ = alignRight;
    wordWrap_ = wordWrap;
    Relayout();
    InvalidateRect(hwnd_, nullptr, FALSE);
  }
  bool FollowsSiblings() const override { return !wordWrap_; }
  void Relayout() override {
    if (!hwnd_) return;
    if (underlined_) DeleteObject(underlined_);
    underlined_ = nullptr;
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
        if (link_) {
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
  HFONT TextFont() { return fitted_ ? fitted_ : Top().Font(); }
  HFONT PaintFont() {
    if (!underline_) return TextFont();
    if (!underlined_) {
      LOGFONTW lf{};
      GetObjectW(TextFont(), sizeof lf, &lf);
      lf.lfUnderline = TRUE;
      underlined_ = CreateFontIndirectW(&lf);
    }
    return underlined_;
  }
  // The place in physical pixels; a width or height of 0 is the text's own.
  ui::Rect Measured() {
    ui::Rect r = PhysicalPlace();
    HDC dc = GetDC(nullptr);
    if (fitted_) DeleteObject(fitted_);
    fitted_ = nullptr;
    if (!wordWrap_) fitted_ = FitFont(dc, Top().Font(), caption_, Room(r));
    HGDIOBJ old = SelectObject(dc, TextFont());
    RECT calc{0, 0, r.width > 0 ? r.width : 0, 0};
    const std::wstring text = caption_.empty() ? std::wstring(L" ") : caption_;
    UINT flags = DT_CALCRECT | DT_NOPREFIX | (wordWrap_ && r.width > 0 ? DT_WORDBREAK : DT_SINGLELINE);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &calc, flags);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
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
    return CaptionLimit(Parent(), hwnd_, row, margin) - r.left;
  }
  void Paint() {
    PAINTSTRUCT ps;
    HDC target = BeginPaint(hwnd_, &ps);
    RECT rc;
    GetClientRect(hwnd_, &rc);
    {
      ItemBuffer b(target, rc);
      const Style& s = factory_.Look();
      FillRect(b.Dc(), &b.Local(), s.Brush(Background()));
      HGDIOBJ old = SelectObject(b.Dc(), PaintFont());
      SetBkMode(b.Dc(), TRANSPARENT);
      const bool on = IsWindowEnabled(hwnd_) != FALSE;
      SetTextColor(b.Dc(), link_ ? linkColour_ : on ? s.text : s.disabledText);
      RECT tr = b.Local();
      DrawTextW(b.Dc(), caption_.c_str(), static_cast<int>(caption_.size()), &tr, Format());
      SelectObject(b.Dc(), old);
    }
    EndPaint(hwnd_, &ps);
  }
  ui::Label& owner_;
  bool underline_ = false;
  bool link_ = false;
  COLORREF linkColour_ = 0;
  bool alignRight_ = false;
  bool wordWrap_ = false;
  bool tracking_ = false;
  HFONT underlined_ = nullptr;
  HFONT fitted_ = nullptr;
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
      PAINTSTRUCT ps;
      HDC target = BeginPaint(hwnd_, &ps);
      RECT rc;
      GetClientRect(hwnd_, &rc);
      {
        ItemBuffer b(target, rc);
        FillRect(b.Dc(), &b.Local(), factory_.Look().Brush(Background()));
        factory_.Images().Draw(b.Dc(), b.Local(), name_, IsWindowEnabled(hwnd_) != FALSE);
      }
      EndPaint(hwnd_, &ps);
      return 0;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  std::string name_;
};

}  // namespace

std::unique_ptr<ui::ButtonPeer> Win32WidgetFactory::CreateButton(ui::Button& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<ButtonPeerImpl>(*this, owner, ParentPeer(parent), place);
}

std::unique_ptr<ui::CheckPeer> Win32WidgetFactory::CreateCheckBox(ui::CheckBox& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<CheckPeerImpl>(*this, ParentPeer(parent), place, &owner, nullptr);
}

std::unique_ptr<ui::CheckPeer> Win32WidgetFactory::CreateRadioButton(ui::RadioButton& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<CheckPeerImpl>(*this, ParentPeer(parent), place, nullptr, &owner);
}

std::unique_ptr<ui::SpinEditPeer> Win32WidgetFactory::CreateSpinEdit(ui::SpinEdit& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<SpinPeerImpl>(*this, owner, ParentPeer(parent), place);
}

std::unique_ptr<ui::ListPeer> Win32WidgetFactory::CreateComboBox(ui::ComboBox& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<ComboPeerImpl>(*this, owner, ParentPeer(parent), place);
}

std::unique_ptr<ui::ListPeer> Win32WidgetFactory::CreateListBox(ui::ListBox& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<ListBoxPeerImpl>(*this, owner, ParentPeer(parent), place);
}

std::unique_ptr<ui::LabelPeer> Win32WidgetFactory::CreateLabel(ui::Label& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<LabelPeerImpl>(*this, owner, ParentPeer(parent), place);
}

std::unique_ptr<ui::ProgressBarPeer> Win32WidgetFactory::CreateProgressBar(ui::ProgressBar&, ui::Container& parent, ui::Rect place) {
  return std::make_unique<ProgressPeerImpl>(*this, ParentPeer(parent), place);
}

std::unique_ptr<ui::ControlPeer> Win32WidgetFactory::CreateImage(ui::Image& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<ImagePeerImpl>(*this, owner, ParentPeer(parent), place);
}

}  // namespace win32ui
