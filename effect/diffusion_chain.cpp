#include "effect/diffusion_chain.h"

#include <algorithm>
#include <new>

namespace halcyra {
namespace {
constexpr double kRightStretch = 1.013;
}  // namespace

int DiffusionChain::DelayFor(int stage, bool rightChannel, double sampleRate) {
  const double seconds = 0.001 * stage + 0.002;
  const double samples = seconds * sampleRate * (rightChannel ? kRightStretch : 1.0);
  // Rates are clamped by the engine; the guard keeps the conversion defined for any input.
  if (!(samples >= 0.0)) return 1;
  return static_cast<int>(std::min(samples, 1.0e7)) + 1;
}

bool DiffusionChain::Resize(double sampleRate) {
  std::size_t longest = 1;
  for (int j = 0; j < kDiffusionStageCount; ++j) {
    for (int ch = 0; ch < 2; ++ch) {
      delays_[j][ch] = static_cast<std::size_t>(DelayFor(j, ch == 1, sampleRate));
      longest = std::max(longest, delays_[j][ch]);
    }
  }
  // Longer than the longest delay, so a read never meets the sample being written.
  std::size_t length = 1;
  while (length <= longest) length *= 2;
  if (length != ringLength_ || !rings_) {
    rings_.reset(new (std::nothrow) double[2 * length * kDiffusionStageCount]);
    ringLength_ = rings_ ? length : 0;
    mask_ = ringLength_ > 0 ? ringLength_ - 1 : 0;
  }
  Clear();
  return rings_ != nullptr;
}

void DiffusionChain::Clear() {
  if (rings_) std::fill(rings_.get(), rings_.get() + 2 * ringLength_ * kDiffusionStageCount, 0.0);
  position_ = 0;
}

}  // namespace halcyra
