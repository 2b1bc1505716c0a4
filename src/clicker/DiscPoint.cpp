#include "clicker/DiscPoint.h"

#include <algorithm>
#include <cstdint>

namespace clicker {

geometry::Point DrawPointInDisc(geometry::Point centre, int radius, const geometry::Rect& desk,
                                std::mt19937& rng) {
  geometry::Point p = centre;
  if (radius > 0) {
    // Rejection from the enclosing square: every whole-pixel point of the disc has the
    // same chance, and none lies outside it, which rounding a polar draw cannot promise.
    // More than three in four squares' points are in the disc, so few draws are needed.
    std::uniform_int_distribution<int> offset(-radius, radius);
    const std::int64_t limit = static_cast<std::int64_t>(radius) * radius;
    for (;;) {
      const int dx = offset(rng);
      const int dy = offset(rng);
      if (static_cast<std::int64_t>(dx) * dx + static_cast<std::int64_t>(dy) * dy <= limit) {
        p = {centre.x + dx, centre.y + dy};
        break;
      }
    }
  }
  if (desk.width > 0 && desk.height > 0) {
    p.x = std::clamp(p.x, desk.left, desk.Right() - 1);
    p.y = std::clamp(p.y, desk.top, desk.Bottom() - 1);
  }
  return p;
}

}  // namespace clicker
