#include "effect/diffusion_stage.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "effect/sample_sanitize.h"

namespace halcyra {
namespace {
constexpr std::size_t kHeadroomSamples = 4;
constexpr double kRightStretch = 1.013;
}  // namespace

int DiffusionStage::DelayFor(int stage, bool rightChannel, double sampleRate) {
  const double seconds = 0.001 * stage + 0.002;
  const double samples = seconds * sampleRate * (rightChannel ? kRightStretch : 1.0);
  // Rates are clamped by the engine; the guard keeps the conversion defined for any input.
  if (!(samples >= 0.0)) return 1;
  return static_cast<int>(std::min(samples, 1.0e7)) + 1;
}

bool DiffusionStage::Resize(int delay) {
  delay = std::max(delay, 1);
  const std::size_t size = static_cast<std::size_t>(delay) + kHeadroomSamples;
  if (size == size_ && samples_) {
    std::fill(samples_.get(), samples_.get() + size_, 0.0);
  } else {
    samples_.reset(new (std::nothrow) double[size]());
    size_ = samples_ ? size : 0;
  }
  delay_ = samples_ ? delay : 0;
  Clear();
  return samples_ != nullptr;
}

void DiffusionStage::Clear() {
  writeIndex_ = 0;
  filled_ = 0;
}

}  // namespace halcyra
