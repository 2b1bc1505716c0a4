#pragma once

namespace clicker {

// The screen pixel an absolute 0..65535 coordinate stands for: the inverse of
// ToAbsoluteCoord, for adapters whose pointer service takes pixels. For every pixel p of a
// desktop up to 65536 pixels wide, AbsoluteToPixel(ToAbsoluteCoord(p, o, e), o, e) == p;
// values outside 0..65535 are clamped first, so the result always lies on the desktop.
int AbsoluteToPixel(int absolute, int origin, int extent);

}  // namespace clicker
