#include "editor/linear_gradient.h"

#include <cmath>

namespace halcyra {

using plugfw::gfx::FillPattern;
using plugfw::gfx::PatternStop;
using plugfw::gfx::PatternType;

FillPattern MakeLinearGradient(float x1, float y1, float x2, float y2,
                               std::initializer_list<PatternStop> stops) {
  return MakeLinearGradient(x1, y1, x2, y2, stops.begin(), static_cast<int32_t>(stops.size()));
}

FillPattern MakeLinearGradient(float x1, float y1, float x2, float y2, const PatternStop* stops,
                               int32_t count) {
  FillPattern pattern(PatternType::kLinear);
  for (int32_t i = 0; stops != nullptr && i < count; ++i) {
    if (!pattern.AddStop(stops[i].colour, stops[i].offset)) break;
  }
  const double dx = static_cast<double>(x2) - x1;
  const double dy = static_cast<double>(y2) - y1;
  const double length = std::sqrt(dx * dx + dy * dy);
  // Without a length the division would fill the transform with infinities.
  if (!(length > 0.0) || !std::isfinite(length)) {
    pattern.transform = {0, 0, 0, 0, 0, 0};
    return pattern;
  }
  const double angle = std::atan2(dx, dy);
  const double c = static_cast<float>(std::cos(angle) / length);
  const double s = static_cast<float>(std::sin(angle) / length);
  pattern.transform = {c, s, -s, c, -(x1 * c - y1 * s), -(y1 * c + x1 * s)};
  return pattern;
}

}  // namespace halcyra
