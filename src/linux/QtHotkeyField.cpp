// The Qt peer of the hotkey field: a read-only line that takes every key and mouse button
// pressed in it and reports them as Windows virtual-key codes with MOD_* flags. Qt moves
// the focus on Tab and Shift+Tab before the field sees them, which is what the dialog wants.

#include "linux/QtWidgetPeer.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

#include <X11/XKBlib.h>

#include <cstdint>

#include "hotkeys/HotkeyData.h"
#include "hotkeys/VkKeysyms.h"

namespace linuxdesktop {

namespace {

std::uint32_t Modifiers(Qt::KeyboardModifiers m) {
  std::uint32_t mods = 0;
  if (m & Qt::ShiftModifier) mods |= hotkeys::kModShift;
  if (m & Qt::ControlModifier) mods |= hotkeys::kModControl;
  if (m & Qt::AltModifier) mods |= hotkeys::kModAlt;
  if (m & Qt::MetaModifier) mods |= hotkeys::kModWin;
  return mods;
}

// The key as the keyboard's first level names it, so that Shift+1 is the 1 key with Shift
// and not "!", the way the hotkey is registered and stored.
std::uint32_t VirtualKey(const QKeyEvent& e) {
  std::uint32_t keysym = 0;
  if (auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>()) {
    if (Display* dpy = x11->display(); dpy && e.nativeScanCode() != 0)
      keysym = static_cast<std::uint32_t>(XkbKeycodeToKeysym(dpy, static_cast<KeyCode>(e.nativeScanCode()), 0, 0));
  }
  if (keysym == 0) keysym = e.nativeVirtualKey();
  return hotkeys::KeysymToVk(keysym);
}

class KeyLine : public QLineEdit {
 public:
  explicit KeyLine(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true);
    setContextMenuPolicy(Qt::NoContextMenu);
    setFocusPolicy(Qt::StrongFocus);
  }
  ui::HotkeyField* owner = nullptr;

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    e->accept();
    // A held key must not fill the next field too.
    if (e->isAutoRepeat() || !owner) return;
    owner->UserKey(VirtualKey(*e), Modifiers(e->modifiers()));
  }
  void keyReleaseEvent(QKeyEvent* e) override { e->accept(); }
  void mousePressEvent(QMouseEvent* e) override {
    e->accept();
    if (!hasFocus()) setFocus(Qt::MouseFocusReason);
    std::uint32_t vk = 0;
    switch (e->button()) {
      case Qt::LeftButton: vk = 1; break;
      case Qt::RightButton: vk = 2; break;
      case Qt::MiddleButton: vk = hotkeys::kVkMButton; break;
      case Qt::BackButton: vk = hotkeys::kVkXButton1; break;
      case Qt::ForwardButton: vk = hotkeys::kVkXButton2; break;
      default: return;
    }
    if (owner) owner->UserButton(vk, Modifiers(e->modifiers()));
  }
  void mouseReleaseEvent(QMouseEvent* e) override { e->accept(); }
  void mouseDoubleClickEvent(QMouseEvent* e) override { mousePressEvent(e); }
  void mouseMoveEvent(QMouseEvent* e) override { e->accept(); }
  void focusInEvent(QFocusEvent* e) override {
    QLineEdit::focusInEvent(e);
    if (owner) owner->UserFocused();
  }
};

class HotkeyFieldPeer : public WidgetPeer<KeyLine, ui::HotkeyFieldPeer> {
 public:
  HotkeyFieldPeer(ui::HotkeyField& owner, QWidget* parent, ui::Rect place)
      : WidgetPeer(Placed(new KeyLine(parent), place)) {
    w()->owner = &owner;
  }
  void setCaption(const std::string& text) override {
    WidgetPeer::setCaption(text);
    Mark();
  }
  void setFocus() override { w()->setFocus(Qt::OtherFocusReason); }
  void setListening(bool on) override {
    listening_ = on;
    Mark();
  }

 private:
  // Listening shows as the whole text selected, as a field about to be replaced looks.
  void Mark() {
    if (listening_)
      w()->selectAll();
    else
      w()->deselect();
  }
  bool listening_ = false;
};

}  // namespace

std::unique_ptr<ui::HotkeyFieldPeer> QtWidgetFactory::CreateHotkeyField(ui::HotkeyField& owner, ui::Container& parent,
                                                                       ui::Rect place) {
  return std::make_unique<HotkeyFieldPeer>(owner, ParentWidget(parent), place);
}

}  // namespace linuxdesktop
