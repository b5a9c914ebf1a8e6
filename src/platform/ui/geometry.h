// Geometry of the widget model: points, sizes, rectangles and edge insets in points (floats), as
// the phone toolkit measures them, plus the text Range used by text inputs.
//
// Plain values; no threading rules of their own.
#pragma once

#include <cstddef>

namespace zt {

struct Point {
  float x = 0;
  float y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  float width = 0;
  float height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  float x = 0;
  float y = 0;
  float width = 0;
  float height = 0;

  Point origin() const { return {x, y}; }
  Size size() const { return {width, height}; }
  float maxX() const { return x + width; }
  float maxY() const { return y + height; }
  Point center() const { return {x + width / 2, y + height / 2}; }
  // Half-open: the right and bottom edges are outside.
  bool contains(Point p) const { return p.x >= x && p.x < maxX() && p.y >= y && p.y < maxY(); }
  bool intersects(const Rect& o) const {
    return x < o.maxX() && o.x < maxX() && y < o.maxY() && o.y < maxY();
  }
  Rect offsetBy(float dx, float dy) const { return {x + dx, y + dy, width, height}; }
  // The common part, or an empty rectangle at this one's origin.
  Rect intersection(const Rect& o) const {
    if (!intersects(o)) return {x, y, 0, 0};
    float left = x > o.x ? x : o.x;
    float top = y > o.y ? y : o.y;
    float right = maxX() < o.maxX() ? maxX() : o.maxX();
    float bottom = maxY() < o.maxY() ? maxY() : o.maxY();
    return {left, top, right - left, bottom - top};
  }
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct EdgeInsets {
  float top = 0;
  float left = 0;
  float bottom = 0;
  float right = 0;
  friend bool operator==(const EdgeInsets&, const EdgeInsets&) = default;
};

inline constexpr EdgeInsets UIEdgeInsetsZero{};

// A span of text: `location` and `length` in bytes of the UTF-8 text, always on character
// boundaries.
struct Range {
  std::size_t location = 0;
  std::size_t length = 0;
  friend bool operator==(const Range&, const Range&) = default;
};

}  // namespace zt
