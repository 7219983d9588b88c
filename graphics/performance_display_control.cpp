#include "graphics/performance_display_control.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "graphics/gfx.h"

namespace plugfw::gfx {

float FrameTimeRing::MeanTime() const {
  double sum = 0.0;
  int32_t count = 0;
  for (const float time : times_) {
    if (!(time > 0.f)) continue;
    sum += time;
    ++count;
  }
  return count > 0 ? static_cast<float>(sum / count) : 0.f;
}

void IPerformanceDisplayControl::Draw(IGfx& gfx) {
  const Rect& bounds = GetRect();
  gfx.FillRect(ColourShadow, bounds);
  // Oldest first, so the newest time stands at the right edge.
  float trace[FrameTimeRing::kSize];
  for (int32_t i = 0; i < FrameTimeRing::kSize; ++i) {
    const float time = ring_.At((ring_.WriteIndex() + 1 + i) % FrameTimeRing::kSize);
    trace[i] = std::isfinite(time) ? std::clamp(time / kTraceFullScale, 0.f, 1.f) : 0.f;
  }
  gfx.DrawData(ColourGreen, bounds, trace, FrameTimeRing::kSize);
  const float mean = ring_.MeanTime();
  char text[32];
  std::snprintf(text, sizeof text, "%.1f FPS", mean > 0.f ? 1.f / mean : 0.f);
  gfx.DrawTextIfAny(GetTextStyle(), text, bounds);
}

}  // namespace plugfw::gfx
