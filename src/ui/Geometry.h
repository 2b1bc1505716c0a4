#pragma once

#include "base/Geometry.h"

namespace ui {

using geometry::Point;
using geometry::Rect;

}  // namespace ui
