#pragma once

#include <functional>
#include <vector>

#include "ui/Geometry.h"

namespace ui {

// Where a one-line caption that starts at `place` must end: `margin` before the nearest
// sibling that starts to its right on the same row (the design lays some fields over the
// end of a check box's place), or `margin` before the parent's right edge. Both editions
// hand in their own measurements (the parent's width and the places of its shown children,
// in one unit of pixels); `self` is not among the siblings.
int CaptionEnd(const Rect& place, int parentWidth, const std::vector<Rect>& siblings, int margin);

// A caption wider than its room (a long translation in a place laid out for English) is
// drawn in a smaller font rather than cut off or run into the next control, down to three
// quarters of its normal size and no further. Sizes go down from `fullSize` in steps of
// `step` (a quarter point, a pixel of height: whatever the toolkit sizes fonts in);
// `widthAt(size)` measures the caption in that size. The answer is the largest size that
// fits, or the smallest allowed when none does; the full size when it fits, when there is
// no room at all to fit into, or when the font has no size.
double FitCaptionSize(double fullSize, double step, int room, const std::function<int(double size)>& widthAt);

}  // namespace ui
