#pragma once

namespace clicker {

// A screen coordinate to the 0..65535 absolute input range: the first pixel of the
// virtual desktop maps to 0, the last to 65535.
int ToAbsoluteCoord(int value, int origin, int extent);

}  // namespace clicker
