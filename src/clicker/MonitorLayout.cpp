#include "clicker/MonitorLayout.h"

#include <algorithm>

#include "clicker/AbsoluteToPixel.h"

namespace clicker {

namespace {

geometry::Rect Intersection(const geometry::Rect& a, const geometry::Rect& b) {
  const int left = std::max(a.left, b.left), top = std::max(a.top, b.top);
  const int right = std::min(a.Right(), b.Right()), bottom = std::min(a.Bottom(), b.Bottom());
  if (right <= left || bottom <= top) return {};
  return {left, top, right - left, bottom - top};
}

}  // namespace

MonitorLayout::MonitorLayout(const std::vector<Monitor>& monitors, geometry::Rect whole) {
  std::vector<geometry::Rect> usable;
  const Monitor* flagged = nullptr;
  for (const Monitor& m : monitors) {
    if (m.rect.width <= 0 || m.rect.height <= 0) continue;
    usable.push_back(m.rect);
    if (m.primary && !flagged) flagged = &m;
  }
  if (usable.empty()) {
    bounds_ = whole;
    return;
  }
  int left = usable[0].left, top = usable[0].top, right = usable[0].Right(), bottom = usable[0].Bottom();
  for (const geometry::Rect& r : usable) {
    left = std::min(left, r.left);
    top = std::min(top, r.top);
    right = std::max(right, r.Right());
    bottom = std::max(bottom, r.Bottom());
  }
  bounds_ = {left, top, right - left, bottom - top};
  if (flagged) {
    havePrimary_ = true;
    primary_ = flagged->rect;
    origin_ = {primary_.left, primary_.top};
  }
}

geometry::Rect MonitorLayout::VirtualDesktop() const {
  const geometry::Point origin = FromSystem({bounds_.left, bounds_.top});
  return {origin.x, origin.y, bounds_.width, bounds_.height};
}

geometry::Point MonitorLayout::AbsoluteToSystem(int dx, int dy) const {
  const geometry::Rect desk = VirtualDesktop();
  return ToSystem({clicker::AbsoluteToPixel(dx, desk.left, desk.width),
                   clicker::AbsoluteToPixel(dy, desk.top, desk.height)});
}

geometry::Rect MonitorLayout::PrimaryWorkArea(geometry::Rect published) const {
  if (!havePrimary_) return published;
  const geometry::Rect part = Intersection(published, primary_);
  return part.width > 0 ? part : primary_;
}

}  // namespace clicker
