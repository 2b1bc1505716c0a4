#pragma once

#include <functional>

namespace platform {

// What the user does while a point is being picked on the screen. Points are physical
// pixels of the virtual desktop.
enum class PickInputKind {
  PrimaryDown,  // the primary button went down here; neither it nor its release reaches anyone
  SecondaryDown,
  Escape,
};

struct PickInput {
  PickInputKind kind = PickInputKind::Escape;
  int x = 0;
  int y = 0;
};

// Takes the whole desktop's pointer and Esc key for a moment, so that the next click picks
// a point instead of reaching the window under it. Input arrives on the UI thread, after
// the system's own call has returned.
class PointPicker {
 public:
  virtual ~PointPicker() = default;
  // False when the pointer cannot be taken (another program holds it): nothing changes.
  virtual bool Begin(std::function<void(const PickInput&)> onInput) = 0;
  // Gives everything back; a button still held from the pick is let go first.
  virtual void End() = 0;
};

}  // namespace platform
