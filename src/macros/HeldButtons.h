#pragma once

#include <array>

#include "base/ClickChoices.h"

namespace macros {

// The buttons a playback has pressed and not released yet, so that a playback ending
// early can let go of them: a synthetic press left behind goes on dragging or selecting
// until the user clicks. Only the three buttons that input can press count.
class HeldButtons {
 public:
  void Pressed(int button) {
    if (Valid(button)) held_[static_cast<size_t>(button)] = true;
  }
  void Released(int button) {
    if (Valid(button)) held_[static_cast<size_t>(button)] = false;
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

 private:
  static bool Valid(int button) { return button >= mbLeft && button <= mbMiddle; }
  std::array<bool, mbMiddle + 1> held_{};
};

}  // namespace macros
