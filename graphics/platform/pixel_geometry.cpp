#include "graphics/platform/pixel_geometry.h"

#include <cmath>

namespace plugfw::gfx {

PixelRect PixelsCovering(const Rect& rect, float backing) {
  return {static_cast<int32_t>(std::floor(rect.left * backing)),
          static_cast<int32_t>(std::floor(rect.top * backing)),
          static_cast<int32_t>(std::ceil(rect.right * backing)),
          static_cast<int32_t>(std::ceil(rect.bottom * backing))};
}

Rect UnitsCovering(const PixelRect& pixels, float backing) {
  return {std::floor(static_cast<float>(pixels.left) / backing),
          std::floor(static_cast<float>(pixels.top) / backing),
          std::ceil(static_cast<float>(pixels.right) / backing),
          std::ceil(static_cast<float>(pixels.bottom) / backing)};
}

std::vector<Rect> UpdateAreasInUnits(const PixelRect* rects, int32_t count, const PixelRect& bounds,
                                     float backing) {
  std::vector<Rect> areas;
  if (rects == nullptr || count <= 0 || count > kMaxRegionRects) {
    areas.push_back(UnitsCovering(bounds, backing));
    return areas;
  }
  for (int32_t i = 0; i < count; ++i) areas.push_back(UnitsCovering(rects[i], backing));
  return areas;
}

PixelRect EditBoxPixels(const Rect& rect, float backing) {
  const auto left = static_cast<int32_t>(backing * rect.left);
  const auto top = static_cast<int32_t>(backing * rect.top);
  const auto width = static_cast<int32_t>(backing * rect.Width() + 1.f);
  const auto height = static_cast<int32_t>(backing * rect.Height() + 1.f);
  return {left, top, left + width, top + height};
}

PixelPoint MenuAnchorPixels(const Rect& rect, float backing) {
  return {static_cast<int32_t>(backing * rect.left), static_cast<int32_t>(backing * rect.bottom)};
}

}  // namespace plugfw::gfx
