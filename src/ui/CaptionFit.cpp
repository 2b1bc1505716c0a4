#include "ui/CaptionFit.h"

#include <algorithm>

namespace ui {

int CaptionEnd(const Rect& place, int parentWidth, const std::vector<Rect>& siblings, int margin) {
  int end = parentWidth - margin;
  for (const Rect& s : siblings) {
    const bool sameRow = s.top < place.Bottom() && s.Bottom() > place.top;
    if (sameRow && s.left > place.left) end = std::min(end, s.left - margin);
  }
  return end;
}

double FitCaptionSize(double fullSize, double step, int room, const std::function<int(double size)>& widthAt) {
  if (fullSize <= 0 || step <= 0 || room <= 0 || widthAt(fullSize) <= room) return fullSize;
  const double smallest = fullSize * 0.75;
  double size = fullSize;
  // Counted in whole steps, so that no rounding drift lets a size below the floor through.
  for (int k = 1; fullSize - k * step >= smallest; ++k) {
    size = fullSize - k * step;
    if (widthAt(size) <= room) break;
  }
  return size;
}

}  // namespace ui
