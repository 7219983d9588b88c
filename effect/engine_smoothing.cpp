#include "effect/engine_smoothing.h"

namespace halcyra {
namespace {

void SetOneHot(double* weights, int count, int value) {
  for (int k = 0; k < count; ++k) weights[k] = k == value ? 1.0 : 0.0;
}

// One step of a one-hot vector toward `value`; true once every element sits on its goal.
bool StepOneHot(double* weights, int count, int value, double coef) {
  bool settled = true;
  for (int k = 0; k < count; ++k) {
    const double goal = k == value ? 1.0 : 0.0;
    if (weights[k] == goal) continue;
    StepToward(weights[k], goal, coef);
    settled = settled && weights[k] == goal;
  }
  return settled;
}

bool StepSingle(double& weight, double goal, double coef) {
  if (weight == goal) return true;
  StepToward(weight, goal, coef);
  return weight == goal;
}

}  // namespace

ParamSmoother::ParamSmoother() {
  FillParamDefaults(target_);
  for (int p = 0; p < kParamCount; ++p) {
    smoothed_[p] = target_[p];
    smoothState_[p] = 0.0;
    stepped_[p] = IsSteppedParam(p);
  }
}

void ParamSmoother::SetTargets(const float values[kParamCount]) {
  SanitizeParams(values, target_);
  RebuildMovingList();
  steppedPending_ = true;
}

void ParamSmoother::RebuildMovingList() {
  movingCount_ = 0;
  for (int p = 0; p < kParamCount; ++p) {
    if (!stepped_[p] && smoothState_[p] != static_cast<double>(target_[p])) moving_[movingCount_++] = p;
  }
}

void ParamSmoother::Snap() {
  for (int p = 0; p < kParamCount; ++p) {
    smoothed_[p] = target_[p];
    smoothState_[p] = static_cast<double>(target_[p]);
  }
  movingCount_ = 0;
  steppedPending_ = false;
}

ParamSmoother::Change ParamSmoother::Step(double coef20ms) {
  int changed = kNothing;
  if (steppedPending_) {
    for (int p = 0; p < kParamCount; ++p) {
      if (stepped_[p]) smoothed_[p] = target_[p];
    }
    steppedPending_ = false;
    changed = kSteppedApplied;
  }
  if (movingCount_ == 0) return static_cast<Change>(changed);
  for (int i = 0; i < movingCount_; ++i) {
    const int p = moving_[i];
    const double goal = static_cast<double>(target_[p]);
    const double before = smoothState_[p];
    double state = before + (goal - before) * coef20ms;
    // A state one rounding step from a large target would otherwise never arrive.
    const double gap = goal - state;
    const bool arrived = (gap < kSnapEpsilon && gap > -kSnapEpsilon) || state == before;
    if (arrived) state = goal;
    smoothState_[p] = state;
    smoothed_[p] = static_cast<float>(state);
    if (arrived) moving_[i--] = moving_[--movingCount_];
  }
  return static_cast<Change>(changed | kGlided);
}

struct ModeWeights::Goals {
  int structure;
  int wave;
  int band;
  int inputRoute;
  int outputRoute;
  int monitor;
  int stages;
  double interpolation;
  double bypass;
  double noise;
  double wetPolarity;
  double dryPolarity;
  double dc;
};

ModeWeights::Goals ModeWeights::GoalsFor(const ParamSmoother& params, bool bypassRequest) const {
  Goals g;
  g.structure = params.Stepped(kParamModel);
  g.wave = params.Stepped(kParamWave);
  g.band = params.Stepped(kParamProcessBand);
  g.inputRoute = params.Stepped(kParamInputRouting);
  g.outputRoute = params.Stepped(kParamOutputRouting);
  g.monitor = params.Stepped(kParamMonitor);
  g.stages = params.Stepped(kParamStages);
  g.interpolation = params.Value(kParamInterpolation);
  g.bypass = bypassRequest || params.Stepped(kParamBypass) != 0 ? 1.0 : 0.0;
  g.noise = params.Value(kParamAnalogNoise);
  g.wetPolarity = params.Stepped(kParamWetPolarity) != 0 ? -1.0 : 1.0;
  g.dryPolarity = params.Stepped(kParamDryPolarity) != 0 ? -1.0 : 1.0;
  g.dc = params.Value(kParamDcFilter);
  return g;
}

void ModeWeights::Snap(const ParamSmoother& params, bool bypassRequest) {
  const Goals g = GoalsFor(params, bypassRequest);
  SetOneHot(structure, kStructureCount, g.structure);
  SetOneHot(wave, kWaveShapeCount, g.wave);
  SetOneHot(band, kBandChoiceCount, g.band);
  SetOneHot(inputRoute, kInputRouteCount, g.inputRoute);
  SetOneHot(outputRoute, kOutputRouteCount, g.outputRoute);
  SetOneHot(monitor, kMonitorCount, g.monitor);
  settledWave = reportSettled_ ? g.wave : -1;
  settledBand = reportSettled_ ? g.band : -1;
  settledInputRoute = reportSettled_ ? g.inputRoute : -1;
  settledOutputRoute = reportSettled_ ? g.outputRoute : -1;
  settledMonitor = reportSettled_ ? g.monitor : -1;
  for (int j = 0; j < kDiffusionStageCount; ++j) stageActive[j] = g.stages > j ? 1.0 : 0.0;
  interpolation = g.interpolation;
  bypass = g.bypass;
  noise = g.noise;
  wetPolarity = g.wetPolarity;
  dryPolarity = g.dryPolarity;
  dc = g.dc;
  ListActiveStructures();
  settled_ = false;
}

void ModeWeights::Step(const ParamSmoother& params, bool bypassRequest, double coef5ms, double coef3ms) {
  if (settled_) return;
  const Goals g = GoalsFor(params, bypassRequest);
  // A settled vector's choice is reported; one still moving reports -1.
  auto step = [this](double* weights, int count, int goal, double coef, bool& allSettled) {
    const bool vectorSettled = StepOneHot(weights, count, goal, coef);
    allSettled = allSettled && vectorSettled;
    return vectorSettled && reportSettled_ ? goal : -1;
  };
  bool settled = StepOneHot(structure, kStructureCount, g.structure, coef5ms);
  settledWave = step(wave, kWaveShapeCount, g.wave, coef5ms, settled);
  settledBand = step(band, kBandChoiceCount, g.band, coef5ms, settled);
  settledInputRoute = step(inputRoute, kInputRouteCount, g.inputRoute, coef5ms, settled);
  settledOutputRoute = step(outputRoute, kOutputRouteCount, g.outputRoute, coef5ms, settled);
  settledMonitor = step(monitor, kMonitorCount, g.monitor, coef5ms, settled);
  for (int j = 0; j < kDiffusionStageCount; ++j)
    settled = StepSingle(stageActive[j], g.stages > j ? 1.0 : 0.0, coef5ms) && settled;
  settled = StepSingle(interpolation, g.interpolation, coef5ms) && settled;
  settled = StepSingle(bypass, g.bypass, coef3ms) && settled;
  settled = StepSingle(noise, g.noise, coef5ms) && settled;
  settled = StepSingle(wetPolarity, g.wetPolarity, coef5ms) && settled;
  settled = StepSingle(dryPolarity, g.dryPolarity, coef5ms) && settled;
  settled = StepSingle(dc, g.dc, coef5ms) && settled;
  ListActiveStructures();
  settled_ = settled;
}

void ModeWeights::ListActiveStructures() {
  activeStructureCount = 0;
  for (int s = 0; s < kStructureCount; ++s) {
    if (structure[s] > kSilentWeight) activeStructures[activeStructureCount++] = s;
  }
}

}  // namespace halcyra
