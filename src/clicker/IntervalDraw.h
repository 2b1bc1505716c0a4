#pragma once

#include <random>

namespace clicker {

// How the jitter amplitude J spreads the interval between clicks (`jitterMode`).
enum JitterMode : int {
  jmThreeSteps = 0,  // -J, 0 or +J with equal chance (the original draw, the default)
  jmUniform = 1,     // any whole number of milliseconds in -J..+J with equal chance
  jmNormal = 2,      // normal with sigma J/2, drawn again until it lies within -J..+J
};
constexpr int kJitterModeCount = 3;

// The wait before the next click: `intervalMs` moved by a draw of amplitude `jitterMs`,
// never below 1 ms. The three-step draw takes one number from the generator whatever the
// amplitude, as it always has; a mode outside the list counts as that draw.
int DrawIntervalMs(int jitterMode, int intervalMs, int jitterMs, std::mt19937& rng);

}  // namespace clicker
