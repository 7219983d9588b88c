#pragma once
// The engine's output stage, per sample after the wet chain: width and mono bass, the return of
// the band remainder, the dry/wet mix, output routing and balance, the monitor selector, the DC
// filter, output gain and the bypass crossfade. Both channels run together. Audio thread.

#include <cfloat>

#include "effect/engine_filters.h"
#include "effect/engine_smoothing.h"
#include "effect/stereo_vector.h"

namespace halcyra {

class OutputStage {
 public:
  struct Frame {
    StereoVector wetOut;  // the processed path with its remainder, before the mix
    StereoVector output;  // after the bypass crossfade, before conversion to float
  };

  void Clear();
  // `trimmedSidechain`: the side-chain times its trim, what the External monitor plays.
  Frame Run(StereoVector wet, StereoVector remainder, StereoVector raw, StereoVector trimmedSidechain,
            const ModeWeights& weights, const ParamSmoother& params);

  OnePole monoBass;  // on the side signal only
  OnePole dcFilter;
  double outputGain = 1.0;

 private:
  StereoVector ApplyWidthAndMonoBass(StereoVector wet, const ParamSmoother& params);
};

// The largest float magnitude: output samples are clamped to it, and non-finite ones are 0.
constexpr double kOutputLimit = static_cast<double>(FLT_MAX);
float ToOutputSample(double x);

}  // namespace halcyra
