#pragma once

// Points and rectangles in pixels: the vocabulary that the widget kit and the machine
// services share without either needing the other.
namespace geometry {

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

// Control places are 96-DPI pixels relative to the parent; the platform scales them.
// Window bounds and screen areas are physical screen pixels.
struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int Right() const { return left + width; }
  int Bottom() const { return top + height; }
  bool operator==(const Rect&) const = default;
};

}  // namespace geometry
