#pragma once

#include <random>

#include "base/Geometry.h"

namespace clicker {

// The widest spread a user may set, pixels.
constexpr int kMaxRadius = 500;

// A click position spread around the target: a whole-pixel point drawn with equal chance
// from the disc of `radius` around `centre`, then held inside `desk` (the virtual desktop,
// physical pixels). A radius of 0 or less is the centre itself and draws nothing, so a
// run without a spread leaves the generator as it was.
geometry::Point DrawPointInDisc(geometry::Point centre, int radius, const geometry::Rect& desk,
                                std::mt19937& rng);

}  // namespace clicker
