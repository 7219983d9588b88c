#include "graphics/draw_options.h"

#include <algorithm>

namespace plugfw::gfx {

void StrokeOptions::SetDash(const float* lengths, int32_t count, float offset) {
  dashCount = lengths ? std::clamp(count, 0, kMaxDashes) : 0;
  for (int32_t i = 0; i < kMaxDashes; ++i) dashes[i] = i < dashCount ? lengths[i] : 0.f;
  dashOffset = offset;
}

}  // namespace plugfw::gfx
