// The hotkey field: a focusable box that takes every key and mouse button pressed in it
// and reports them as virtual-key codes with MOD_* flags; only Tab is left to the dialog
// manager, so the dialog can still be left with the keyboard.

#include "win32/Win32Widgets.h"

#include <cstdint>

#include "hotkeys/HotkeyData.h"
#include "win32/Win32Gdi.h"
#include "win32/Win32ServicesText.h"
#include "win32/Win32Style.h"

namespace win32 {

namespace {

std::uint32_t HeldModifiers() {
  std::uint32_t mods = 0;
  if (GetKeyState(VK_SHIFT) < 0) mods |= hotkeys::kModShift;
  if (GetKeyState(VK_CONTROL) < 0) mods |= hotkeys::kModControl;
  if (GetKeyState(VK_MENU) < 0) mods |= hotkeys::kModAlt;
  if (GetKeyState(VK_LWIN) < 0 || GetKeyState(VK_RWIN) < 0) mods |= hotkeys::kModWin;
  return mods;
}

class HotkeyFieldPeerImpl : public ui::HotkeyFieldPeer, public HwndPeer {
 public:
  HotkeyFieldPeerImpl(Win32WidgetFactory& f, ui::HotkeyField& owner, HwndPeer& parent, ui::Rect place)
      : HwndPeer(f, &parent, place), owner_(owner) {
    CreateHandle(L"QELHotkey", WS_TABSTOP, 0, PhysicalPlace(), true);
  }
  void setCaption(const std::string& text) override {
    caption_ = win32::Utf8ToWide(text);
    InvalidateRect(hwnd_, nullptr, FALSE);
  }
  void setFocus() override { SetFocus(hwnd_); }
  void setListening(bool on) override {
    if (listening_ == on) return;
    listening_ = on;
    InvalidateRect(hwnd_, nullptr, FALSE);
  }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_GETDLGCODE: {
        // Everything but Tab: Enter and Esc come here instead of becoming IDOK/IDCANCEL.
        const MSG* m = reinterpret_cast<const MSG*>(lParam);
        if (m && (m->message == WM_KEYDOWN || m->message == WM_CHAR) && m->wParam == VK_TAB &&
            GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0)
          return 0;
        return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
      }
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        // Bit 30: the key was down already. A held key must not fill the next field too.
        if ((lParam & (1 << 30)) == 0) owner_.UserKey(static_cast<std::uint32_t>(wParam), HeldModifiers());
        return 0;
      case WM_SYSCHAR:
      case WM_CHAR:
      case WM_SYSKEYUP:
        // Alt combinations would otherwise open the window menu or beep.
        return 0;
      case WM_SETFOCUS:
        owner_.UserFocused();
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
      case WM_KILLFOCUS:
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
      case WM_XBUTTONDOWN: {
        if (GetFocus() != hwnd_) SetFocus(hwnd_);
        std::uint32_t vk = message == WM_LBUTTONDOWN   ? 1
                           : message == WM_RBUTTONDOWN ? 2
                           : message == WM_MBUTTONDOWN ? hotkeys::kVkMButton
                           : HIWORD(wParam) == XBUTTON1 ? hotkeys::kVkXButton1
                                                        : hotkeys::kVkXButton2;
        owner_.UserButton(vk, HeldModifiers());
        return message == WM_XBUTTONDOWN ? TRUE : 0;
      }
      case WM_XBUTTONUP:
        return TRUE;
      case WM_CONTEXTMENU:
        return 0;
      case WM_ENABLE:
        InvalidateRect(hwnd_, nullptr, FALSE);
        break;
      case WM_PAINT:
        Paint();
        return 0;
      case WM_ERASEBKGND:
        return 1;
      default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  void Paint() {
    BufferedPaint p(hwnd_);
    const Style& s = factory_.Look();
    const bool on = IsWindowEnabled(hwnd_) != FALSE;
    // Listening shows as a selection, the way a field shows text about to be replaced.
    const COLORREF back = !on ? s.buttonDisabled : listening_ ? s.selection : s.field;
    FillRect(p.Dc(), &p.Rect(), s.Brush(back));
    FrameRect(p.Dc(), &p.Rect(), s.Brush(on ? (GetFocus() == hwnd_ ? s.accent : s.fieldBorder) : s.buttonBorderDisabled));
    Selected font(p.Dc(), Top().Font());
    SetBkMode(p.Dc(), TRANSPARENT);
    SetTextColor(p.Dc(), !on ? s.disabledText : listening_ ? s.selectionText : s.fieldText);
    RECT tr = p.Rect();
    tr.left += Scale(5);
    tr.right -= Scale(5);
    DrawTextW(p.Dc(), caption_.c_str(), static_cast<int>(caption_.size()), &tr,
              DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS);
  }

  ui::HotkeyField& owner_;
  bool listening_ = false;
};

}  // namespace

std::unique_ptr<ui::HotkeyFieldPeer> Win32WidgetFactory::CreateHotkeyField(ui::HotkeyField& owner, ui::Container& parent,
                                                                         ui::Rect place) {
  return std::make_unique<HotkeyFieldPeerImpl>(*this, owner, PeerOf(parent), place);
}

}  // namespace win32
