// What the engine may leave out and what it may not: measurement only the editor reads is skipped
// without a trace in the sound; stages out of the signal keep running, so they come back with what
// they heard; and the gains of gliding controls follow their glide on every sample.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "effect/chorus_engine.h"
#include "tests/effect/engine_rig.h"

namespace halcyra {
namespace {

std::vector<float> Tone(int frames, double hz, double amplitude, int offset = 0) {
  std::vector<float> x(frames);
  for (int n = 0; n < frames; ++n)
    x[n] = static_cast<float>(amplitude * std::sin(2.0 * kPi * hz * (n + offset) / kFs));
  return x;
}

TEST(EngineDisplayReader, TheOutputNeverDependsOnWhetherTheEditorReads) {
  Rig with, without;
  for (Rig* rig : {&with, &without}) {
    rig->Set(kParamVoices, 4);
    rig->Set(kParamFeedback, 40);
    rig->Set(kParamDiffusion, 50);
    rig->Start();
  }
  with.engine->SetDisplayReaderPresent(true);
  const std::vector<float> x = Tone(9000, 440.0, 0.5);
  with.Run(x, x);
  without.Run(x, x);
  EXPECT_EQ(with.outL, without.outL);
  EXPECT_EQ(with.outR, without.outR);
  // The meters and the per-voice values do not wait for a reader either.
  EXPECT_EQ(with.engine->ReadMeters().outPeak, without.engine->ReadMeters().outPeak);
  EXPECT_GT(without.engine->ReadMeters().outPeak, 0.1f);
  EXPECT_EQ(with.engine->ReadDisplay().voiceDelayMs[3], without.engine->ReadDisplay().voiceDelayMs[3]);
}

// A reader that arrives sees, after one block, the spectrum of the latest samples, even at the
// slowest averaging: nothing older than one analysis period.
TEST(EngineDisplayReader, AnArrivingReaderSeesTheLatestSpectrumAfterOneBlock) {
  Rig rig;
  rig.Set(kParamMix, 0);
  rig.Set(kParamAnalyzerSpeed, 2);  // Slow: a step takes about ten analyses to show
  rig.Start();
  // Tones on two display bins' own frequencies, which the log bins read exactly.
  const int low = 60, high = 200;
  const double lowHz = SpectrumBinFrequency(low, kFs), highHz = SpectrumBinFrequency(high, kFs);
  rig.engine->SetDisplayReaderPresent(true);
  const std::vector<float> before = Tone(48000, lowHz, 1.0);
  rig.Run(before, before);
  EXPECT_GT(rig.engine->ReadDisplay().inputSpectrumDb[low], -10.0f);

  // The editor closes; the music changes while nobody looks.
  rig.engine->SetDisplayReaderPresent(false);
  const std::vector<float> after = Tone(48000, highHz, 1.0, 48000);
  rig.Run(after, after);
  EXPECT_GT(rig.engine->ReadDisplay().inputSpectrumDb[low], -10.0f) << "no analysis without a reader";

  rig.engine->SetDisplayReaderPresent(true);
  const std::vector<float> next = Tone(64, highHz, 1.0, 96000);
  rig.Run(next, next);
  const DisplaySnapshot d = rig.engine->ReadDisplay();
  EXPECT_LT(d.inputSpectrumDb[low], -60.0f);
  EXPECT_GT(d.inputSpectrumDb[high], -10.0f);
  EXPECT_GT(d.outputSpectrumDb[high], -10.0f);
}

// Program material with a side signal and a low end, for the mono bass and the loop's high-pass.
std::vector<float> Program(int frames, int channel) {
  std::vector<float> x(frames);
  const double sign = channel == 0 ? 1.0 : -1.0;
  for (int n = 0; n < frames; ++n) {
    const double t = n / kFs;
    x[n] = static_cast<float>(sign * 0.4 * std::sin(2.0 * kPi * 55.0 * t) +
                              0.2 * std::sin(2.0 * kPi * (700.0 + 90.0 * channel) * t));
  }
  return x;
}

// A stage out of the signal keeps running: turned up from exactly 0 it sounds as it does turned up
// from barely on, continuing from what it has been hearing instead of starting empty. Each case:
// one engine at exactly 0 and one a hundred-thousandth of a percent above, program material, then both turned
// up.
TEST(EngineStagesOutOfTheSignal, TurnedUpFromExactlyZeroTheyContinueFromWhatTheyHeard) {
  struct Case {
    const char* what;
    int param;
    float on;
    int alsoParam;  // set with the turn up, -1 for none
    float alsoValue;
  };
  const float diffused = static_cast<float>(Structure::kDiffusedChorus);
  const Case cases[] = {
      {"feedback loop filters", kParamFeedback, 60, -1, 0},
      {"diffusion", kParamDiffusion, 80, -1, 0},
      {"mono bass", kParamMonoBass, 100, -1, 0},
      {"Diffused Chorus at diffusion 0", kParamDiffusion, 0, kParamModel, diffused},
  };
  constexpr float kBarelyOn = 1e-5f;  // percent
  const int before = 12000, after = 7200;
  for (const Case& c : cases) {
    Rig exactlyOff, barelyOn;
    for (Rig* rig : {&exactlyOff, &barelyOn}) {
      rig->Set(kParamVoices, 4);
      rig->Set(kParamMix, 100);
      rig->Set(kParamFeedbackHp, 500);  // the loop's high-pass holds the most of what it heard
      rig->Set(c.param, rig == &barelyOn ? kBarelyOn : 0.0f);
      rig->Start();
      rig->Run(Program(before, 0), Program(before, 1));
      rig->Set(c.param, c.on);
      if (c.alsoParam >= 0) rig->Set(c.alsoParam, c.alsoValue);
      rig->Apply();
      rig->Run(Program(after, 0), Program(after, 1));
    }
    double worst = 0.0;
    for (int n = 0; n < after; ++n) {
      worst = std::max(worst, static_cast<double>(std::fabs(exactlyOff.outL[n] - barelyOn.outL[n])));
      worst = std::max(worst, static_cast<double>(std::fabs(exactlyOff.outR[n] - barelyOn.outR[n])));
    }
    EXPECT_LT(worst, 2e-6) << c.what;
  }
}

// `stages` 3 to 6 at Diffusion 100 %: stages 4 to 6 ran all along on the third stage's output, so
// switched in they carry on exactly as stages whose share was never quite 0.
TEST(EngineStagesOutOfTheSignal, DiffusionStagesSwitchedInCarryOnFromWhatTheyHeard) {
  ParamSmoother params;
  float values[kParamCount];
  FillParamDefaults(values);
  values[kParamDiffusion] = 100;
  params.SetTargets(values);
  params.Snap();
  const EngineMath math(MathPath::kFast);
  WetChain switched, neverOff;
  ModeWeights switchedWeights, neverOffWeights;
  for (WetChain* chain : {&switched, &neverOff}) {
    ASSERT_TRUE(chain->Resize(kFs));
    chain->Clear();
  }
  for (int j = 0; j < kDiffusionStageCount; ++j) {
    switchedWeights.stageActive[j] = j < 3 ? 1.0 : 0.0;
    neverOffWeights.stageActive[j] = j < 3 ? 1.0 : 1e-300;
  }
  const std::vector<float> left = Program(9600, 0), right = Program(9600, 1);
  double worst = 0.0;
  for (int n = 0; n < 9600; ++n) {
    if (n == 4800) {
      for (int j = 3; j < kDiffusionStageCount; ++j)
        switchedWeights.stageActive[j] = neverOffWeights.stageActive[j] = 1.0;
    }
    const StereoVector x(left[n], right[n]);
    const StereoVector a = switched.Run(x, switchedWeights, params, 1.0, math);
    const StereoVector b = neverOff.Run(x, neverOffWeights, params, 1.0, math);
    worst = std::max({worst, std::fabs(a.Left() - b.Left()), std::fabs(a.Right() - b.Right())});
  }
  EXPECT_LT(worst, 1e-12);
}

// While the diffusion stays out for whole blocks its stages run after each block rather than sample
// by sample (blocks past 512 samples catch up on the way); turned up, they sound exactly as stages
// that ran on every sample.
TEST(EngineStagesOutOfTheSignal, DiffusionStagesRunAfterTheBlockExactlyAsSampleBySample) {
  ParamSmoother params;
  float values[kParamCount];
  FillParamDefaults(values);
  values[kParamDiffusion] = 0;
  params.SetTargets(values);
  params.Snap();
  const EngineMath fast(MathPath::kFast), everySample(MathPath::kReference);
  WetChain held, sampleBySample;
  ModeWeights weights;
  for (double& stage : weights.stageActive) stage = 1.0;
  for (WetChain* chain : {&held, &sampleBySample}) {
    ASSERT_TRUE(chain->Resize(kFs));
    chain->Clear();
  }
  const std::vector<float> left = Program(9600, 0), right = Program(9600, 1);
  int n = 0;
  auto runBlock = [&](int frames) {
    held.BeginBlock(params, weights, fast);
    sampleBySample.BeginBlock(params, weights, everySample);
    for (int end = n + frames; n < end; ++n) {
      const StereoVector x(left[n], right[n]);
      const StereoVector a = held.Run(x, weights, params, 1.0, fast);
      const StereoVector b = sampleBySample.Run(x, weights, params, 1.0, everySample);
      ASSERT_EQ(a.Left(), b.Left()) << n;
      ASSERT_EQ(a.Right(), b.Right()) << n;
    }
  };
  for (int frames : {37, 512, 1300, 5}) runBlock(frames);
  values[kParamDiffusion] = 80;
  params.SetTargets(values);
  params.Snap();
  runBlock(4800);
}

// With a DC offset of 0.2 at Mix 0, the DC filter switched on removes it within its 5 ms crossfade:
// the filter has been following the offset while it was off.
TEST(EngineStagesOutOfTheSignal, DcFilterSwitchedOnRemovesAnOffsetInItsCrossfade) {
  Rig rig;
  rig.Set(kParamMix, 0);
  rig.Start();
  rig.RunDc(24000, 0.2f, 0.2f);
  ASSERT_EQ(rig.outL.back(), 0.2f);
  rig.Set(kParamDcFilter, 1);
  rig.Apply();
  rig.RunDc(2400, 0.2f, 0.2f);
  // 0.2 × e^-1 after one time constant of the crossfade, 0.2 × e^-5 after five.
  EXPECT_NEAR(rig.outL[239], 0.2 * std::exp(-1.0), 2e-3);
  EXPECT_LT(std::fabs(rig.outL[1199]), 2e-3);
  EXPECT_LT(std::fabs(rig.outR[1199]), 2e-3);
}

// The side-chain trim and the noise level glide as every other continuous control does, their gains
// following the 20 ms one-pole sample by sample: k samples after a change of D dB the gain is
// 10^(D (1 - e^(-k / 960)) / 20) of where it started. `ratios` holds the measured gains.
double WorstGlideError(const std::vector<double>& ratios, double stepDb) {
  double worst = 0.0;
  for (size_t n = 0; n < ratios.size(); ++n) {
    const double expected = std::pow(10.0, stepDb * (1.0 - std::exp(-(n + 1.0) / 960.0)) / 20.0);
    worst = std::max(worst, std::fabs(ratios[n] / expected - 1.0));
  }
  return worst;
}

TEST(EngineStagesOutOfTheSignal, SidechainTrimFollowsItsGlideEverySample) {
  // The External monitor plays the side-chain times its trim.
  const int frames = 480;
  Rig rig;
  rig.Set(kParamMonitor, 7);
  rig.Start();
  const std::vector<float> silence(frames, 0.0f), sc(frames, 0.25f);
  const float* sidechain[2] = {sc.data(), sc.data()};
  rig.Run(silence, silence, false, sidechain);
  rig.Set(kParamScTrim, 24);
  rig.Apply();
  rig.Run(silence, silence, false, sidechain);
  std::vector<double> ratios;
  for (float out : rig.outL) ratios.push_back(out / 0.25);
  EXPECT_LT(WorstGlideError(ratios, 24.0), 1e-5);
}

TEST(EngineStagesOutOfTheSignal, NoiseLevelFollowsItsGlideEverySample) {
  // The noise alone, against the same noise held at the level it glides from.
  const int frames = 480;
  Rig gliding, held;
  for (Rig* rig : {&gliding, &held}) {
    rig->AllVoicesOff();
    rig->Set(kParamMix, 100);
    rig->Set(kParamAnalogNoise, 1);
    rig->Set(kParamNoiseLevel, -70);
    rig->Start();
    rig->RunDc(frames, 0.0f, 0.0f);
  }
  gliding.Set(kParamNoiseLevel, -40);
  gliding.Apply();
  gliding.RunDc(frames, 0.0f, 0.0f);
  held.RunDc(frames, 0.0f, 0.0f);
  std::vector<double> ratios;
  for (int n = 0; n < frames; ++n) ratios.push_back(gliding.outL[n] / held.outL[n]);
  EXPECT_LT(WorstGlideError(ratios, 30.0), 1e-4);
}

}  // namespace
}  // namespace halcyra
