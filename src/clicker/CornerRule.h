#pragma once

#include "base/Geometry.h"

namespace clicker {

// The failsafe: the pointer pushed into a corner of the virtual desktop stops the work.
// A corner the work's own target reaches is left out, or the work would stop itself.
class CornerRule {
 public:
  // How close to a corner's pixel counts as in the corner, on both axes.
  static constexpr int kReach = 2;

  explicit CornerRule(const geometry::Rect& desk) : desk_(desk) {}

  // Leaves out every corner that a target within `spread` pixels of `target` can reach.
  void ExcludeTarget(geometry::Point target, int spread = 0);

  // True when `pointer` is in a corner that still counts.
  bool Hit(geometry::Point pointer) const;

 private:
  int CornerOf(geometry::Point p, int reach) const;  // 0..3, or -1 for none

  geometry::Rect desk_;
  bool excluded_[4] = {false, false, false, false};
};

}  // namespace clicker
