#pragma once
// The engine's parameter smoothing and mode weights. ParamSmoother glides every continuous
// parameter toward its target with the 20 ms one-pole and applies stepped ones at once;
// ModeWeights crossfades the one-hot weights of the stepped choices (structure, wave, band,
// routings, monitor, diffusion stages) and the single switch weights in 5 ms, the bypass in 3 ms.
// Both visit only what still moves, so settled values cost nothing. Audio thread, except where
// a function says Set-up.

#include <cstdint>

#include "effect/diffusion_chain.h"
#include "effect/modulation.h"
#include "effect/param_table.h"
#include "effect/voice_state.h"

namespace halcyra {

constexpr double kSnapEpsilon = 1e-12;
// A structure at or below this weight is silent and skipped.
constexpr double kSilentWeight = 1e-12;
constexpr int kNoSettledChoice = -1;

constexpr int kBandChoiceCount = 6;
constexpr int kInputRouteCount = 5;
constexpr int kOutputRouteCount = 5;
constexpr int kMonitorCount = 8;

enum ProcessBand : int { kBandFull = 0, kBandLow, kBandMid, kBandHigh, kBandSideOnly, kBandMidOnly };

// Moves w toward goal by coef and lands on it once within reach.
inline void StepToward(double& w, double goal, double coef) {
  w += (goal - w) * coef;
  const double gap = goal - w;
  if (gap < kSnapEpsilon && gap > -kSnapEpsilon) w = goal;
}

class ParamSmoother {
 public:
  ParamSmoother();

  // Audio thread: sanitises and stores the values the next samples glide toward.
  void SetTargets(const float values[kParamCount]);
  // Audio thread: every value at its target at once (the first block after a reset).
  void Snap();
  // Audio thread, once per sample: what changed.
  enum Change : int { kNothing = 0, kSteppedApplied = 1, kGlided = 2 };
  Change Step(double coef20ms);

  const float* Smoothed() const { return smoothed_; }
  const float* Targets() const { return target_; }
  float Value(int index) const { return smoothed_[index]; }
  int Stepped(int index) const { return static_cast<int>(smoothed_[index]); }
  bool Moving() const { return movingCount_ > 0; }

 private:
  void RebuildMovingList();

  float target_[kParamCount];
  float smoothed_[kParamCount];
  double smoothState_[kParamCount];
  bool stepped_[kParamCount];
  int moving_[kParamCount];  // continuous parameters still gliding
  int movingCount_ = 0;
  bool steppedPending_ = false;
};

class ModeWeights {
 public:
  // `reportSettled`: whether the settled choices below are reported (the reference path, which
  // takes no shortcut, leaves them at -1).
  explicit ModeWeights(bool reportSettled = true) : reportSettled_(reportSettled) {}

  // Every weight one-hot on (or equal to) its goal; `bypassRequest` is the Process argument.
  void Snap(const ParamSmoother& params, bool bypassRequest);
  // One 5 ms (bypass 3 ms) step toward the goals. A settled set stays untouched until
  // GoalsChanged says the stepped values or the bypass request may have moved.
  void Step(const ParamSmoother& params, bool bypassRequest, double coef5ms, double coef3ms);
  void GoalsChanged() { settled_ = false; }

  double structure[kStructureCount] = {};
  double wave[kWaveShapeCount] = {};
  double band[kBandChoiceCount] = {};
  double inputRoute[kInputRouteCount] = {};
  double outputRoute[kOutputRouteCount] = {};
  double monitor[kMonitorCount] = {};
  double stageActive[kDiffusionStageCount] = {};
  double interpolation = 1.0;
  double bypass = 0.0;
  double noise = 0.0;
  double wetPolarity = 1.0;
  double dryPolarity = 1.0;
  double dc = 0.0;

  // The structures above the silent weight, in order.
  int activeStructures[kStructureCount] = {};
  int activeStructureCount = 0;
  // The choice whose weight is exactly 1 with every other exactly 0, or kNoSettledChoice while they
  // cross-fade: a weighted sum over a settled vector need look at that choice alone.
  int settledWave = kNoSettledChoice;
  int settledBand = kNoSettledChoice;
  int settledInputRoute = kNoSettledChoice;
  int settledOutputRoute = kNoSettledChoice;
  int settledMonitor = kNoSettledChoice;

 private:
  struct Goals;
  Goals GoalsFor(const ParamSmoother& params, bool bypassRequest) const;
  void ListActiveStructures();

  bool reportSettled_;
  bool settled_ = false;
};

}  // namespace halcyra
