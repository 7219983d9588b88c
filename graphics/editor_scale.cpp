#include "graphics/editor_scale.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace plugfw::gfx {
namespace {

constexpr double kLargestUnits = 1e9;

int32_t TruncatedInt(double value) {
  if (std::isnan(value)) return 0;
  const double limit = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::clamp(value, -limit, limit));
}

}  // namespace

bool IsUsableScale(float scale) { return std::isfinite(scale) && scale > 0.f; }

int32_t HostPixels(int32_t units, float drawScale, float windowScale) {
  const int32_t drawn = TruncatedInt(static_cast<double>(static_cast<float>(units) * drawScale));
  return TruncatedInt(static_cast<double>(windowScale * static_cast<float>(drawn)));
}

int32_t TruncatedUnits(float units) {
  if (std::isnan(units)) return 0;
  return static_cast<int32_t>(std::clamp(static_cast<double>(units), -kLargestUnits, kLargestUnits));
}

bool CornerDragScale(float drawScale, float x, float y, float pressX, float pressY, float& scale) {
  if (!(pressX > 0.f && pressY > 0.f) || !std::isfinite(x) || !std::isfinite(y)) return false;
  const float wanted = std::min(drawScale * y / pressY, drawScale * x / pressX);
  if (!IsUsableScale(wanted)) return false;
  scale = wanted;
  return true;
}

}  // namespace plugfw::gfx
