#pragma once

#include <array>
#include <cstdint>

#include "base/ClickChoices.h"

namespace macros {

// The buttons and keys a playback has pressed and not released yet, so that a playback
// ending early can let go of them: a synthetic press left behind goes on dragging or
// selecting until the user clicks, and a key left down repeats or holds a modifier for
// every key the user types next. Only the three buttons that input can press count, and
// keys by their virtual-key code 1..255.
class HeldButtons {
 public:
  void Pressed(int button) {
    if (Valid(button)) held_[static_cast<size_t>(button)] = true;
  }
  void Released(int button) {
    if (Valid(button)) held_[static_cast<size_t>(button)] = false;
  }
  void KeyPressed(std::int32_t vk) {
    if (ValidKey(vk)) keys_[static_cast<size_t>(vk)] = true;
  }
  void KeyReleased(std::int32_t vk) {
    if (ValidKey(vk)) keys_[static_cast<size_t>(vk)] = false;
  }
  // Calls release(button) for every held button, left to middle, and forgets them.
  template <typename Release>
  void ReleaseAll(Release&& release) {
    for (int b = mbLeft; b < static_cast<int>(held_.size()); ++b) {
      if (!held_[static_cast<size_t>(b)]) continue;
      held_[static_cast<size_t>(b)] = false;
      release(b);
    }
  }
  // Calls release(vk) for every held key, lowest code first, and forgets them.
  template <typename Release>
  void ReleaseAllKeys(Release&& release) {
    for (std::uint32_t vk = 1; vk < keys_.size(); ++vk) {
      if (!keys_[vk]) continue;
      keys_[vk] = false;
      release(vk);
    }
  }

 private:
  static bool Valid(int button) { return button >= mbLeft && button <= mbMiddle; }
  static bool ValidKey(std::int32_t vk) { return vk >= 1 && vk <= 255; }
  std::array<bool, mbMiddle + 1> held_{};
  std::array<bool, 256> keys_{};
};

}  // namespace macros
