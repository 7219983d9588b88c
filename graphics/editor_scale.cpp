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

struct HostSize {
  int32_t width;
  int32_t height;
  bool operator==(const HostSize& other) const { return width == other.width && height == other.height; }
};

HostSize HostSizeAt(int32_t unitsWidth, int32_t unitsHeight, float drawScale, float windowScale) {
  return {HostPixels(unitsWidth, drawScale, windowScale), HostPixels(unitsHeight, drawScale, windowScale)};
}

// The fewest whole drawn units whose host pixels (truncated) reach pixels.
int32_t DrawnUnitsReaching(int32_t pixels, float windowScale) {
  auto drawn = static_cast<int32_t>(std::ceil(static_cast<double>(pixels) / windowScale));
  while (drawn > 0 && HostPixels(drawn - 1, 1.f, windowScale) >= pixels) --drawn;
  while (HostPixels(drawn, 1.f, windowScale) < pixels) ++drawn;
  return drawn;
}

// The smallest draw scale whose truncated products reach both drawn sizes. Every scale that
// fills a parent reaches them, and a larger scale only grows the editor, so when any scale
// fills the parent this one does.
float SmallestScaleReaching(int32_t unitsWidth, int32_t unitsHeight, int32_t drawnWidth,
                            int32_t drawnHeight) {
  float scale = static_cast<float>(
      std::max(static_cast<double>(drawnWidth) / unitsWidth, static_cast<double>(drawnHeight) / unitsHeight));
  auto reaches = [&](float s) {
    return TruncatedInt(static_cast<float>(unitsWidth) * s) >= drawnWidth &&
           TruncatedInt(static_cast<float>(unitsHeight) * s) >= drawnHeight;
  };
  // The quotient rounded to a float may fall a hair short of it.
  while (!reaches(scale)) scale = std::nextafter(scale, std::numeric_limits<float>::infinity());
  return scale;
}

}  // namespace

bool FitScaleToParent(int32_t unitsWidth, int32_t unitsHeight, int32_t parentWidth, int32_t parentHeight,
                      float windowScale, float minScale, float maxScale, float currentScale, ParentFit& fit) {
  if (unitsWidth <= 0 || unitsHeight <= 0 || parentWidth <= 0 || parentHeight <= 0) return false;
  if (!IsUsableScale(windowScale) || !IsUsableScale(minScale) || !IsUsableScale(maxScale) ||
      minScale > maxScale)
    return false;
  const HostSize parent = {parentWidth, parentHeight};
  auto fills = [&](float scale) {
    return scale >= minScale && scale <= maxScale &&
           HostSizeAt(unitsWidth, unitsHeight, scale, windowScale) == parent;
  };
  auto take = [&](float scale) {
    const HostSize size = HostSizeAt(unitsWidth, unitsHeight, scale, windowScale);
    fit = {scale, size == parent, size.width, size.height};
    return true;
  };
  if (IsUsableScale(currentScale) && fills(currentScale)) return take(currentScale);
  // A parent that would need more than the largest scale, or less than the smallest, is
  // filled by none; only a parent in between is searched.
  const double widthRatio =
      static_cast<double>(parentWidth) / (static_cast<double>(windowScale) * unitsWidth);
  const double heightRatio =
      static_cast<double>(parentHeight) / (static_cast<double>(windowScale) * unitsHeight);
  const double smallest = std::max(widthRatio, heightRatio);
  if (smallest <= maxScale) {
    const float scale =
        SmallestScaleReaching(unitsWidth, unitsHeight, DrawnUnitsReaching(parentWidth, windowScale),
                              DrawnUnitsReaching(parentHeight, windowScale));
    if (fills(scale)) return take(scale);
  }
  const double inside = std::min(widthRatio, heightRatio);
  return take(
      static_cast<float>(std::clamp(inside, static_cast<double>(minScale), static_cast<double>(maxScale))));
}

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
