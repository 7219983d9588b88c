#include "app/audio_blocks.h"

namespace plugfw {

void FadeBuffers(double* samples, int32_t channels, int32_t frames, bool fadeOut) {
  if (samples == nullptr || frames <= 0) return;
  const double step = 1.0 / frames;
  for (int32_t c = 0; c < channels; ++c) {
    double* channel = samples + static_cast<int64_t>(c) * frames;
    for (int32_t j = 0; j < frames; ++j) {
      const int32_t steps = fadeOut ? frames - 1 - j : j;
      channel[j] *= steps * step;
    }
  }
}

}  // namespace plugfw
