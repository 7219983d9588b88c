#include "graphics/renderer/dash_steps.h"

#include <algorithm>
#include <cmath>

namespace plugfw::gfx {
namespace {

// A count from a float quotient that may be huge or no number at all.
int32_t CappedCount(float steps) {
  if (!(steps > 0.f)) return 0;
  return steps >= static_cast<float>(kMaxDashSteps) ? kMaxDashSteps : static_cast<int32_t>(steps);
}

}  // namespace

bool DashLengthUsable(float dashLength) { return std::isfinite(dashLength) && dashLength > 0.f; }

int32_t LineDashSteps(float length, float dashLength) {
  if (!DashLengthUsable(dashLength) || !std::isfinite(length)) return 0;
  return CappedCount(std::round(length / dashLength));
}

float RectDashLength(float width, float height, float dashLength) {
  const float longest = std::max(std::isfinite(width) ? width : 0.f, std::isfinite(height) ? height : 0.f);
  return std::max(dashLength, longest / (2.f * static_cast<float>(kMaxDashSteps)));
}

int32_t RectSideDashes(float extent, float dashLength) {
  if (!DashLengthUsable(dashLength) || !std::isfinite(extent)) return 0;
  return CappedCount(std::ceil(extent / (2.f * dashLength)));
}

}  // namespace plugfw::gfx
