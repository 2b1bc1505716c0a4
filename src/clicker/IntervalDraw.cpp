#include "clicker/IntervalDraw.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace clicker {

int DrawIntervalMs(int jitterMode, int intervalMs, int jitterMs, std::mt19937& rng) {
  const int amplitude = jitterMs > 0 ? jitterMs : 0;
  std::int64_t shift = 0;
  if (jitterMode == jmUniform && amplitude > 0) {
    shift = std::uniform_int_distribution<int>(-amplitude, amplitude)(rng);
  } else if (jitterMode == jmNormal && amplitude > 0) {
    std::normal_distribution<double> draw(0.0, amplitude / 2.0);
    // Cut by drawing again rather than by clamping: clamping would pile about one draw
    // in twenty onto the two ends.
    double x = 0;
    do {
      x = std::nearbyint(draw(rng));
    } while (std::fabs(x) > amplitude);
    shift = static_cast<std::int64_t>(x);
  } else if (jitterMode != jmUniform && jitterMode != jmNormal) {
    shift = static_cast<std::int64_t>(amplitude) * std::uniform_int_distribution<int>(-1, 1)(rng);
  }
  const std::int64_t interval = static_cast<std::int64_t>(intervalMs) + shift;
  if (interval < 1) return 1;
  if (interval > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  return static_cast<int>(interval);
}

}  // namespace clicker
