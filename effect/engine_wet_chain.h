#pragma once
// The wet path between the voice sums and the output stage: the analog structures' saturation,
// drive, wet high- and low-pass, tone shelf, allpass diffusion, ducking and wet polarity, then
// the analog noise; and the feedback path that filters the voices' taps into the next sample's
// line writes. Both channels run together. Audio thread; nothing here allocates.

#include <cstdint>

#include "effect/diffusion_chain.h"
#include "effect/engine_filters.h"
#include "effect/engine_math.h"
#include "effect/engine_smoothing.h"
#include "effect/stereo_vector.h"

namespace halcyra {

class WetChain {
 public:
  // Allocates the diffusion rings for a rate (Set-up). False when memory could not be had.
  bool Resize(double sampleRate);
  void Clear();

  // Before a block's samples: whether the diffusion stays out of the signal for all of it, which
  // lets the stages run after the block instead of sample by sample.
  void BeginBlock(const ParamSmoother& params, const ModeWeights& weights, const EngineMath& math);
  // One sample of the cross-blended voice sum through the chain.
  StereoVector Run(StereoVector w, const ModeWeights& weights, const ParamSmoother& params, double duckGain,
                   const EngineMath& math);

  OnePole bbdLowPass;
  OnePole ensembleLowPass;
  OnePole highPass;
  Biquad lowPass;
  Biquad toneShelf;
  double driveGain = 1.0;
  double driveNorm = 1.0;  // 1 / tanh(driveGain)

 private:
  DiffusionChain diffusion_;
  bool diffusionOut_ = false;
};

class FeedbackPath {
 public:
  void Clear();
  // The filtered, scaled taps: what the lines receive with the next sample's input. The filters
  // run on every sample, so a loop turned up from 0 returns what they have been hearing.
  void Run(StereoVector taps, double voiceGainSum, double interpolationWeight, const ParamSmoother& params);

  StereoVector State() const { return state_; }

  OnePole highPass;
  OnePole lowPass;

 private:
  StereoVector state_;
};

class NoiseSource {
 public:
  void Clear() { state_ = kSeed; }
  // Adds the analog noise, left then right from the one xorshift sequence.
  StereoVector Add(StereoVector wet, double noiseWeight, double noiseGain);

 private:
  static constexpr uint32_t kSeed = 0x1234567u;
  uint32_t Next();
  uint32_t state_ = kSeed;
};

}  // namespace halcyra
