#include "effect/engine_output.h"

#include <algorithm>
#include <cmath>

namespace halcyra {
namespace {

// Σ weight × source(k) over the weights that are not 0; only the sources in use are worked out,
// and with one choice settled only its weight is looked at.
template <int kCount, typename Source>
StereoVector WeightedMix(const double (&weights)[kCount], int settled, Source source) {
  StereoVector sum;
  const int first = settled >= 0 ? settled : 0, end = settled >= 0 ? settled + 1 : kCount;
  for (int k = first; k < end; ++k) {
    if (weights[k] == 0.0) continue;
    sum += weights[k] * source(k);
  }
  return sum;
}

}  // namespace

float ToOutputSample(double x) {
  if (!std::isfinite(x)) return 0.0f;
  return static_cast<float>(std::clamp(x, -kOutputLimit, kOutputLimit));
}

void OutputStage::Clear() {
  monoBass.Clear();
  dcFilter.Clear();
}

StereoVector OutputStage::ApplyWidthAndMonoBass(StereoVector wet, const ParamSmoother& params) {
  const double m = (wet.Left() + wet.Right()) / 2.0;
  double s = (wet.Left() - wet.Right()) / 2.0;
  // The filter runs also while the amount is 0, so turning the mono bass up finds it settled; at 0
  // it takes nothing from the side, and the side does not wait for it.
  const double sideBass = monoBass.Run(StereoVector::Both(s)).Left();
  const float amount = params.Value(kParamMonoBass);
  if (amount != 0.0f) s = s - amount * 0.01 * sideBass;
  s = s * params.Value(kParamWidth) * 0.01;
  return {m + s, m - s};
}

OutputStage::Frame OutputStage::Run(StereoVector wet, StereoVector remainder, StereoVector raw,
                                    StereoVector trimmedSidechain, const ModeWeights& weights,
                                    const ParamSmoother& params) {
  const StereoVector widened = ApplyWidthAndMonoBass(wet, params);
  const double wSide = weights.band[kBandSideOnly];
  const double wMidOnly = weights.band[kBandMidOnly];
  const double rest = 1.0 - wSide - wMidOnly;
  Frame frame;
  frame.wetOut =
      wMidOnly * MidOf(widened) + StereoVector(wSide, -wSide) * SideOf(widened) + rest * widened + remainder;

  const double mix = params.Value(kParamMix) / 100.0;
  const StereoVector y = (1.0 - mix) * weights.dryPolarity * raw + mix * frame.wetOut;
  const StereoVector routed = WeightedMix(weights.outputRoute, weights.settledOutputRoute, [y](int route) {
    switch (route) {
      case 1:  // Mono Sum
      case 2:  // Mid
        return MidOf(y);
      case 3:  // Side
        return SideOf(y);
      case 4:  // Encode MS
        return StereoVector((y.Left() + y.Right()) / 2.0, (y.Left() - y.Right()) / 2.0);
      default:  // Stereo
        return y;
    }
  });
  const double balance = params.Value(kParamBalance);
  const StereoVector out =
      routed * StereoVector(1.0 - std::max(balance, 0.0) / 100.0, 1.0 + std::min(balance, 0.0) / 100.0);

  const StereoVector wetOut = frame.wetOut;
  StereoVector m = WeightedMix(weights.monitor, weights.settledMonitor, [&](int source) {
    switch (source) {
      case 1:  // Raw Dry
        return raw;
      case 2:  // Wet
        return wetOut;
      case 3:  // Delta
        return wetOut - raw;
      case 4:  // Mono
      case 5:  // Mid
        return MidOf(out);
      case 6:  // Side
        return SideOf(out);
      case 7:  // External
        return trimmedSidechain;
      default:  // Output
        return out;
    }
  });
  // Like the mono bass, the DC filter runs while it is off: switched on, it removes the offset in
  // the 5 ms of its crossfade.
  const StereoVector dc = dcFilter.Run(m);
  if (weights.dc != 0.0) m -= weights.dc * dc;
  m *= StereoVector::Both(outputGain);
  frame.output = weights.bypass * raw + (1.0 - weights.bypass) * m;
  return frame;
}

}  // namespace halcyra
