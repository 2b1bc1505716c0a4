#pragma once

#include <cstdint>
#include <functional>

#include "ui/Container.h"

namespace ui {

class HotkeyFieldPeer : public virtual ControlPeer {
 public:
  // Gives the field the keyboard focus; the peer reports that focus like the user's.
  virtual void setFocus() = 0;
  // Drawn as listening (waiting for a combination) or at rest.
  virtual void setListening(bool on) = 0;
};

// A field that shows a hotkey's text and takes the keys and mouse buttons pressed in it
// instead of letting the window act on them. Only Tab and Shift+Tab keep moving the focus,
// so that the dialog can still be left with the keyboard. Key codes are Windows
// virtual-key codes, modifiers the MOD_* flags, on both editions.
class HotkeyField : public Control {
 public:
  HotkeyField(Container& parent, Rect place);
  void SetFocus() { peer_->setFocus(); }
  void SetListening(bool on) { peer_->setListening(on); }
  std::function<void()> OnFocus;
  std::function<void(std::uint32_t vk, std::uint32_t modifiers)> OnKey;
  // Any mouse button pressed inside the field: 1 left, 2 right, 4 middle, 5 and 6 the sides.
  std::function<void(std::uint32_t vk, std::uint32_t modifiers)> OnButton;
  void UserFocused();
  void UserKey(std::uint32_t vk, std::uint32_t modifiers);
  void UserButton(std::uint32_t vk, std::uint32_t modifiers);

 private:
  HotkeyFieldPeer* peer_;
};

}  // namespace ui
