#include "clicker/AbsoluteToPixel.h"

#include <algorithm>
#include <cmath>

namespace clicker {

int AbsoluteToPixel(int absolute, int origin, int extent) {
  if (extent <= 1) return origin;
  const int a = std::clamp(absolute, 0, 65535);
  // The forward map scales by k = 65535 / (extent - 1) >= 1 and rounds, so it lands within
  // 0.5 of p * k; dividing back lands within 0.5 / k of p, and rounding gives p again.
  const double pixel = std::nearbyint(static_cast<double>(a) * (extent - 1) / 65535.0);
  return origin + std::clamp(static_cast<int>(pixel), 0, extent - 1);
}

}  // namespace clicker
