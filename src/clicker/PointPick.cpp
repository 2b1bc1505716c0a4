#include "clicker/PointPick.h"

#include <algorithm>

namespace clicker {

PointPick::Step PointPick::Take(const platform::PickInput& input) {
  if (!going_) return Step::Nothing;
  switch (input.kind) {
    case platform::PickInputKind::PrimaryDown: {
      going_ = false;
      // An empty desk (no monitor known) leaves the point as the system gave it.
      const int right = std::max(desk_.left, desk_.Right() - 1);
      const int bottom = std::max(desk_.top, desk_.Bottom() - 1);
      picked_ = desk_.width > 0 && desk_.height > 0
                    ? geometry::Point{std::clamp(input.x, desk_.left, right), std::clamp(input.y, desk_.top, bottom)}
                    : geometry::Point{input.x, input.y};
      return Step::Picked;
    }
    case platform::PickInputKind::SecondaryDown:
    case platform::PickInputKind::Escape:
      going_ = false;
      return Step::Cancelled;
  }
  return Step::Nothing;
}

}  // namespace clicker
