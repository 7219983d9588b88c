#pragma once
// Rect: an axis-aligned rectangle in editor units, the geometry every control, clip and
// dirty area of the editor is made of. Any thread: a plain value, each thread its own copies.
//
// "Empty" means a non-positive width or height; "unset" means all four values are 0 and
// is the stronger case: an unset rect contains no point at all. Every test in the
// graphics code that asks whether a rect is empty means the first.

#include <algorithm>
#include <cmath>

namespace plugfw::gfx {

struct Rect {
  float left = 0.f;
  float top = 0.f;
  float right = 0.f;
  float bottom = 0.f;

  constexpr Rect() = default;
  constexpr Rect(float l, float t, float r, float b) : left(l), top(t), right(r), bottom(b) {}

  constexpr float Width() const { return right - left; }
  constexpr float Height() const { return bottom - top; }
  constexpr float CentreX() const { return 0.5f * (left + right); }
  constexpr float CentreY() const { return 0.5f * (top + bottom); }
  // A NaN edge makes the rect empty too, since no comparison with it holds.
  constexpr bool Empty() const { return !(Width() > 0.f) || !(Height() > 0.f); }
  constexpr bool Unset() const { return left == 0.f && top == 0.f && right == 0.f && bottom == 0.f; }

  // Half-open: the left and top edges are inside, the right and bottom edges outside.
  constexpr bool Contains(float x, float y) const {
    return !Unset() && left <= x && x < right && top <= y && y < bottom;
  }
  constexpr bool Contains(const Rect& inner) const {
    return inner.left >= left && inner.right <= right && inner.top >= top && inner.bottom <= bottom;
  }

  constexpr bool operator==(const Rect& other) const {
    return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
  }
  constexpr bool operator!=(const Rect& other) const { return !(*this == other); }

  constexpr Rect Padded(float margin) const {
    return {left - margin, top - margin, right + margin, bottom + margin};
  }
  constexpr Rect Offset(float dx, float dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }

  // The smallest rect holding both; an empty member contributes nothing.
  constexpr Rect Union(const Rect& other) const {
    if (other.Empty()) return *this;
    if (Empty()) return other;
    return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
            std::max(bottom, other.bottom)};
  }

  // The common area, or an unset rect when either is empty or they share no area.
  constexpr Rect Intersection(const Rect& other) const {
    if (Empty() || other.Empty()) return {};
    const Rect common{std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                      std::min(bottom, other.bottom)};
    return common.Empty() ? Rect{} : common;
  }

  // Grown outward to the pixel grid at the given device pixels per unit.
  Rect PixelAligned(float scale) const {
    return {std::floor(left * scale) / scale, std::floor(top * scale) / scale,
            std::ceil(right * scale) / scale, std::ceil(bottom * scale) / scale};
  }
};

}  // namespace plugfw::gfx
