#pragma once

#include "base/Geometry.h"
#include "platform/PointPicker.h"

namespace clicker {

// Picking the click target with the mouse: the primary button picks the point under it,
// the secondary button or Esc gives up. Whatever comes
// after the pick has ended is no longer the pick's business.
class PointPick {
 public:
  // Nothing: the input changes nothing (the pick has already ended).
  enum class Step { Nothing, Picked, Cancelled };

  PointPick() = default;
  // A pick on `desk` (the virtual desktop, physical pixels) begins.
  explicit PointPick(const geometry::Rect& desk) : desk_(desk), going_(true) {}

  bool Going() const { return going_; }
  Step Take(const platform::PickInput& input);
  // The picked point, inside the desk even when the system reported one past its edge.
  geometry::Point Picked() const { return picked_; }

 private:
  geometry::Rect desk_;
  bool going_ = false;
  geometry::Point picked_;
};

}  // namespace clicker
