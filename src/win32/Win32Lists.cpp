// The drop-down list and the list box, owner-drawn for the style's selection colours.

#include "win32/Win32Widgets.h"

#include <commctrl.h>

#include <algorithm>

#include "win32/Win32Gdi.h"
#include "win32/Win32ServicesText.h"
#include "win32/Win32Style.h"

namespace win32 {

namespace {

// ---- a 1-pixel border in the style's colours for edit fields and the list box ----

LRESULT CALLBACK BorderProc(HWND w, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  if (m == WM_NCPAINT) {
    LRESULT r = DefSubclassProc(w, m, wp, lp);  // the scroll bars of a list box
    const Style& s = *reinterpret_cast<const Style*>(data);
    RECT rc;
    GetWindowRect(w, &rc);
    OffsetRect(&rc, -rc.left, -rc.top);
    FrameRect(WindowDc(w).get(), &rc, s.Brush(IsWindowEnabled(w) ? s.fieldBorder : s.buttonBorderDisabled));
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
      items_.push_back(win32::Utf8ToWide(i));
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
    DrawBuffer b(item.hDC, item.rcItem);
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
    BufferedPaint b(hwnd_);
    const Style& s = factory_.Look();
    const RECT& r = b.Rect();
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
    FillPolygon(b.Dc(), pts, s.Brush(on ? s.accent : s.disabledText));
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
      items_.push_back(win32::Utf8ToWide(i));
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
    DrawBuffer b(item.hDC, item.rcItem);
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

}  // namespace

std::unique_ptr<ui::ListPeer> Win32WidgetFactory::CreateComboBox(ui::ComboBox& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<ComboPeerImpl>(*this, owner, PeerOf(parent), place);
}

std::unique_ptr<ui::ListPeer> Win32WidgetFactory::CreateListBox(ui::ListBox& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<ListBoxPeerImpl>(*this, owner, PeerOf(parent), place);
}

}  // namespace win32
