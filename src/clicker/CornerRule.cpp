#include "clicker/CornerRule.h"

#include <cstdlib>

namespace clicker {

int CornerRule::CornerOf(geometry::Point p, int reach) const {
  if (desk_.width <= 0 || desk_.height <= 0) return -1;
  const int right = desk_.Right() - 1;
  const int bottom = desk_.Bottom() - 1;
  const bool nearLeft = std::abs(p.x - desk_.left) <= reach;
  const bool nearRight = std::abs(p.x - right) <= reach;
  const bool nearTop = std::abs(p.y - desk_.top) <= reach;
  const bool nearBottom = std::abs(p.y - bottom) <= reach;
  // On a desktop narrower than the reach a point is near both sides; the first wins.
  if (nearTop && nearLeft) return 0;
  if (nearTop && nearRight) return 1;
  if (nearBottom && nearLeft) return 2;
  if (nearBottom && nearRight) return 3;
  return -1;
}

void CornerRule::ExcludeTarget(geometry::Point target, int spread) {
  if (spread < 0) spread = 0;
  const geometry::Point corners[4] = {{desk_.left, desk_.top},
                                      {desk_.Right() - 1, desk_.top},
                                      {desk_.left, desk_.Bottom() - 1},
                                      {desk_.Right() - 1, desk_.Bottom() - 1}};
  for (int i = 0; i < 4; ++i) {
    const bool reaches = std::abs(target.x - corners[i].x) <= kReach + spread &&
                         std::abs(target.y - corners[i].y) <= kReach + spread;
    if (reaches) excluded_[i] = true;
  }
}

bool CornerRule::Hit(geometry::Point pointer) const {
  const int corner = CornerOf(pointer, kReach);
  return corner >= 0 && !excluded_[corner];
}

}  // namespace clicker
