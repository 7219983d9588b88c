#include "effect/engine_wet_chain.h"

#include <algorithm>

namespace halcyra {
namespace {

constexpr double kBbdSaturation = 1.6;
constexpr double kEnsembleSaturation = 1.25;
constexpr double kDriveThreshold = 1.000001;  // below this the drive is the identity
constexpr double kDiffusedChorusAmount = 0.45;

}  // namespace

bool WetChain::Resize(double sampleRate) { return diffusion_.Resize(sampleRate); }

void WetChain::Clear() {
  diffusion_.Clear();
  bbdLowPass.Clear();
  ensembleLowPass.Clear();
  highPass.Clear();
  lowPass.Clear();
  toneShelf.Clear();
}

// The amount is exactly 0 on every sample of the block when the diffusion control is 0 and not
// gliding, and Diffused Chorus neither sounds nor is chosen (its weight then stays 0).
void WetChain::BeginBlock(const ParamSmoother& params, const ModeWeights& weights, const EngineMath& math) {
  constexpr int kDiffused = static_cast<int>(Structure::kDiffusedChorus);
  diffusionOut_ = math.TakesShortcuts() && params.Value(kParamDiffusion) == 0.0f &&
                  params.Targets()[kParamDiffusion] == 0.0f && weights.structure[kDiffused] == 0.0 &&
                  static_cast<int>(params.Targets()[kParamModel]) != kDiffused;
}

StereoVector WetChain::Run(StereoVector w, const ModeWeights& weights, const ParamSmoother& params,
                           double duckGain, const EngineMath& math) {
  StereoVector x = w;
  const double bbd = weights.structure[static_cast<int>(Structure::kAnalogBbd)];
  if (bbd > 0.0) {
    const StereoVector saturated = math.Tanh(kBbdSaturation * x) / StereoVector::Both(kBbdSaturation);
    x = bbd * bbdLowPass.Run(saturated) + (1.0 - bbd) * x;
  }
  const double ensemble = weights.structure[static_cast<int>(Structure::kVintageEnsemble)];
  if (ensemble > 0.0) {
    const StereoVector saturated =
        math.Tanh(kEnsembleSaturation * w) / StereoVector::Both(kEnsembleSaturation);
    x = ensemble * ensembleLowPass.Run(saturated) + (1.0 - ensemble) * x;
  }
  if (driveGain > kDriveThreshold) x = math.Tanh(x * driveGain) * driveNorm;
  x -= highPass.Run(x);
  x = lowPass.Run(x);
  // At 0 dB with its state run out the shelf passes its input exactly.
  if (!toneShelf.IsIdentity() || !math.TakesShortcuts()) x = toneShelf.Run(x);
  const double amount =
      std::max(params.Value(kParamDiffusion) * 0.01,
               kDiffusedChorusAmount * weights.structure[static_cast<int>(Structure::kDiffusedChorus)]);
  x = diffusionOut_ ? diffusion_.Hold(x) : diffusion_.Run(x, amount, weights.stageActive);
  return x * duckGain * weights.wetPolarity;
}

void FeedbackPath::Clear() {
  highPass.Clear();
  lowPass.Clear();
  state_ = StereoVector();
}

void FeedbackPath::Run(StereoVector taps, double voiceGainSum, double interpolationWeight,
                       const ParamSmoother& params) {
  const double polarity = params.Stepped(kParamFeedbackPolarity) != 0 ? -1.0 : 1.0;
  const double amount = params.Value(kParamFeedback);
  // At 0 the gain is a zero of the polarity's sign whatever the normaliser.
  const double gain = amount == 0.0
                          ? polarity * 0.0
                          : polarity * amount * 0.01 /
                                ((1.0 + 0.25 * interpolationWeight) * 2.0 * std::max(voiceGainSum, 1.0));
  const double xf = params.Value(kParamCrossFeed) * 0.01;
  const StereoVector source = taps.Swapped() * xf + taps * (1.0 - xf);
  const StereoVector hp = source - highPass.Run(source);
  const StereoVector fed = lowPass.Run(hp) * gain;
  // A bad product must not latch the loop.
  state_ = KeepWhere(fed - fed == StereoVector(), SanitizeSample(fed));
}

uint32_t NoiseSource::Next() {
  uint32_t s = state_;
  s ^= s << 13;
  s ^= s >> 17;
  s ^= s << 5;
  state_ = s;
  return s;
}

StereoVector NoiseSource::Add(StereoVector wet, double noiseWeight, double noiseGain) {
  if (!(noiseWeight > 0.0)) return wet;
  const double scale = noiseWeight * noiseGain;
  const double left = scale * (2.0 * Next() / 4294967296.0 - 1.0);
  const double right = scale * (2.0 * Next() / 4294967296.0 - 1.0);
  return wet + StereoVector(left, right);
}

}  // namespace halcyra
