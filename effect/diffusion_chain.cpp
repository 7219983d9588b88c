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
      // Every rate the engine runs at gives 17 samples or more; catching up two samples at a time
      // needs 2.
      delays_[j][ch] = static_cast<std::size_t>(std::max(DelayFor(j, ch == 1, sampleRate), 2));
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
  heldCount_ = 0;
}

AllpassRunner DiffusionChain::WideRunner() {
#if defined(__GNUC__) && defined(__x86_64__)
  if (diffusion_avx2::kAllpassRun != nullptr && __builtin_cpu_supports("avx2"))
    return diffusion_avx2::kAllpassRun;
#endif
  return nullptr;
}

void DiffusionChain::CatchUp() {
  const int count = heldCount_;
  heldCount_ = 0;
  if (!rings_) return;
  double* ring = rings_.get();
  for (int j = 0; j < kDiffusionStageCount; ++j, ring += 2 * ringLength_) {
    CatchUpChannel(ring, position_, delays_[j][0], heldLeft_, count);
    CatchUpChannel(ring + ringLength_, position_, delays_[j][1], heldRight_, count);
  }
  position_ = (position_ + static_cast<std::size_t>(count)) & mask_;
}

// In pieces where neither the written nor the read position wraps. Each sample reads one written
// its delay (at least 2) before, so two neighbours never depend on each other.
void DiffusionChain::CatchUpChannel(double* ring, std::size_t start, std::size_t delay, const double* held,
                                    int count) const {
  int n = 0;
  while (n < count) {
    const std::size_t write = (start + static_cast<std::size_t>(n)) & mask_;
    const std::size_t read = (write - delay) & mask_;
    const int piece = static_cast<int>(
        std::min({static_cast<std::size_t>(count - n), ringLength_ - write, ringLength_ - read}));
    double* out = ring + write;
    const double* in = ring + read;
    const double* x = held + n;
    int k = wide_ != nullptr ? wide_(out, in, x, kAllpassGain, piece) : 0;
    for (; k + 2 <= piece; k += 2) {
      StereoVector stored;
      Allpass(StereoVector::Load(x + k), StereoVector::Load(in + k), stored);
      stored.Store(out + k);
    }
    if (k < piece) {
      StereoVector stored;
      Allpass(StereoVector::Both(x[k]), StereoVector::Both(in[k]), stored);
      out[k] = stored.Left();
    }
    n += piece;
  }
}

}  // namespace halcyra
