// The spin edit: an edit field with two arrows of the program's style inside its right edge.

#include "win32/Win32Widgets.h"

#include <commctrl.h>

#include <algorithm>

#include "win32/Win32Gdi.h"
#include "win32/Win32ServicesText.h"
#include "win32/Win32Style.h"

namespace win32 {

namespace {

std::wstring WindowText(HWND w) {
  const int n = GetWindowTextLengthW(w);
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  GetWindowTextW(w, s.data(), n + 1);
  s.resize(static_cast<size_t>(n));
  return s;
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
    SetWindowTextW(hwnd_, win32::Utf8ToWide(text).c_str());
  }
  void setRange(int minValue, int maxValue) override {
    min_ = minValue;
    max_ = maxValue;
  }
  void setHint(const std::string& hint) override { hint_.Set(Top().Handle(), hwnd_, hint); }
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
      owner_.UserTyped(win32::WideToUtf8(WindowText(hwnd_)));
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
    const int v = ui::SpinEdit::ParseValue(win32::WideToUtf8(WindowText(hwnd_)), min_, max_);
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
    if (m == WM_LBUTTONDBLCLK) {
      self->owner_.UserDoubleClicked();
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
    BufferedPaint b(w);
    const Style& s = factory_.Look();
    const bool on = IsWindowEnabled(w) != FALSE;
    const RECT& r = b.Rect();
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
      FillPolygon(b.Dc(), pts, mark);
    };
    triangle(mid / 2 + 1, true);
    triangle(mid + (r.bottom - mid) / 2, false);
  }

  ui::SpinEdit& owner_;
  HWND arrows_ = nullptr;
  int min_ = 0, max_ = 0;
  int pressed_ = 0;  // +1 up, -1 down, 0 none
  bool quiet_ = false;
  HoverHint hint_;
};

}  // namespace

std::unique_ptr<ui::SpinEditPeer> Win32WidgetFactory::CreateSpinEdit(ui::SpinEdit& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<SpinPeerImpl>(*this, owner, PeerOf(parent), place);
}

}  // namespace win32
