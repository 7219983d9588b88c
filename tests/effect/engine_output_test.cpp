// Signal tests of the engine's input and output stages, wet chain, feedback, dynamics and measurement.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "effect/chorus_engine.h"
#include "tests/effect/engine_rig.h"

namespace halcyra {
namespace {

constexpr float kProcessBandHigh = 3;
constexpr float kProcessBandSideOnly = 4;
constexpr float kProcessBandMidOnly = 5;

// With every voice off and only the band above the high split chorused, a DC input reaches the output
// stage unchanged (the remainder path), so routing and balance read as plain numbers.
Rig DcThroughRouting() {
  Rig rig;
  rig.AllVoicesOff();
  rig.Set(kParamMix, 100);
  rig.Set(kParamProcessBand, kProcessBandHigh);
  return rig;
}

// One routing setting and the output it gives for the DC input (0.5, 0.25).
struct RoutingCase {
  int param;
  float setting;
  double left;
  double right;
};

TEST(EngineRouting, InputRoutingOutputRoutingAndBalanceTables) {
  const RoutingCase cases[] = {
      {kParamInputRouting, 0, 0.5, 0.25},     {kParamInputRouting, 1, 0.375, 0.375},
      {kParamInputRouting, 2, 0.5, 0.5},      {kParamInputRouting, 3, 0.25, 0.25},
      {kParamInputRouting, 4, 0.75, 0.25},    {kParamOutputRouting, 0, 0.5, 0.25},
      {kParamOutputRouting, 1, 0.375, 0.375}, {kParamOutputRouting, 2, 0.375, 0.375},
      {kParamOutputRouting, 3, 0.125, 0.125}, {kParamOutputRouting, 4, 0.375, 0.125},
      {kParamBalance, 0, 0.5, 0.25},          {kParamBalance, 50, 0.25, 0.25},
      {kParamBalance, -50, 0.5, 0.125},       {kParamBalance, 100, 0.0, 0.25},
  };
  for (const RoutingCase& c : cases) {
    Rig rig = DcThroughRouting();
    rig.Set(c.param, c.setting);
    rig.Start();
    rig.RunDc(2000, 0.5f, 0.25f);
    EXPECT_NEAR(rig.outL.back(), c.left, 1e-9) << GetParamDefinition(c.param)->name << " " << c.setting;
    EXPECT_NEAR(rig.outR.back(), c.right, 1e-9) << GetParamDefinition(c.param)->name << " " << c.setting;
  }
}

// Side Only choruses only the side: a mid-only input is all remainder, and the reverse for Mid Only.
TEST(EngineRouting, SideOnlyAndMidOnlyLeaveTheOtherPartUntouched) {
  struct Case {
    float band;
    float left;
    float right;
  };
  const Case cases[] = {{kProcessBandSideOnly, 0.5f, 0.5f}, {kProcessBandMidOnly, 0.5f, -0.5f}};
  for (const Case& c : cases) {
    Rig rig;
    rig.AllVoicesOff();
    rig.Set(kParamMix, 100);
    rig.Set(kParamProcessBand, c.band);
    rig.Start();
    rig.RunDc(500, c.left, c.right);
    EXPECT_NEAR(rig.outL.back(), c.left, 1e-12) << c.band;
    EXPECT_NEAR(rig.outR.back(), c.right, 1e-12) << c.band;
  }
}

// raw (0.5, 0.25), the processed path twice the raw (input +6.02 dB), mix 50 %.
TEST(EngineRouting, EveryMonitorSource) {
  struct Case {
    float monitor;
    double left;
    double right;
    bool sidechain;
  };
  const Case cases[] = {
      {0, 0.75, 0.375, false},    {1, 0.5, 0.25, false},      {2, 1.0, 0.5, false},
      {3, 0.5, 0.25, false},      {4, 0.5625, 0.5625, false}, {5, 0.5625, 0.5625, false},
      {6, 0.1875, 0.1875, false}, {7, 0.0, 0.0, false},       {7, 0.3, 0.1, true},
  };
  for (const Case& c : cases) {
    Rig rig = DcThroughRouting();
    rig.Set(kParamInput, static_cast<float>(20.0 * std::log10(2.0)));
    rig.Set(kParamMix, 50);
    rig.Set(kParamMonitor, c.monitor);
    rig.Start();
    const std::vector<float> scL(2000, 0.3f), scR(2000, 0.1f);
    const float* sidechain[2] = {scL.data(), scR.data()};
    rig.Run(std::vector<float>(2000, 0.5f), std::vector<float>(2000, 0.25f), false,
            c.sidechain ? sidechain : nullptr);
    EXPECT_NEAR(rig.outL.back(), c.left, 1e-6) << c.monitor << " " << c.sidechain;
    EXPECT_NEAR(rig.outR.back(), c.right, 1e-6) << c.monitor << " " << c.sidechain;
  }
}

TEST(EngineRouting, MissingRightInputIsTheLeftChannel) {
  Rig mono, both;
  mono.Start();
  both.Start();
  std::vector<float> x(3000), left(3000), right(3000);
  for (int n = 0; n < 3000; ++n) x[n] = static_cast<float>(std::sin(0.03 * n));
  const float* monoIn[2] = {x.data(), nullptr};
  float* monoOut[2] = {left.data(), right.data()};
  mono.engine->Process(monoIn, monoOut, 3000, false, nullptr, false);
  both.Run(x, x);
  EXPECT_EQ(left, both.outL);
  EXPECT_EQ(right, both.outR);
}

// Bypass set before the first block is exact from its first sample, whatever the engine does.
TEST(EngineBypass, SetBeforeTheFirstBlockIsExactFromTheStart) {
  for (bool byRequest : {false, true}) {
    Rig rig;
    rig.Set(kParamVoices, 8);
    rig.Set(kParamFeedback, 80);
    rig.Set(kParamAnalogNoise, 1);
    rig.Set(kParamAnalogDrive, 12);
    if (!byRequest) rig.Set(kParamBypass, 1);
    rig.Start();
    std::vector<float> x(2048);
    for (int n = 0; n < 2048; ++n) x[n] = static_cast<float>(0.7 * std::sin(0.02 * n));
    rig.Run(x, x, byRequest);
    EXPECT_EQ(rig.outL, x) << byRequest;
    EXPECT_EQ(rig.outR, x) << byRequest;
  }
}

// One still voice, everything after it at the defaults: the wet path is linear without drive.
Rig OneVoiceWet() {
  Rig rig;
  rig.OneVoiceStill(5.0f);
  return rig;
}

std::vector<float> SineBlock(int frames, double amplitude, double hz, double fs = kFs) {
  std::vector<float> x(frames);
  for (int n = 0; n < frames; ++n) x[n] = static_cast<float>(amplitude * std::sin(2.0 * kPi * hz * n / fs));
  return x;
}

double RmsFrom(const std::vector<float>& x, int from) {
  double sum = 0.0;
  for (int n = from; n < static_cast<int>(x.size()); ++n) sum += double{x[n]} * x[n];
  return std::sqrt(sum / (x.size() - from));
}

double PeakFrom(const std::vector<float>& x, int from) {
  double peak = 0.0;
  for (int n = from; n < static_cast<int>(x.size()); ++n) peak = std::max(peak, std::fabs(double{x[n]}));
  return peak;
}

TEST(EngineWetChain, DriveIsTheIdentityAtZeroAndNormalisedByTanhAbove) {
  auto peak = [](float driveDb, double amplitude) {
    Rig rig = OneVoiceWet();
    rig.Set(kParamAnalogDrive, driveDb);
    rig.Start();
    const std::vector<float> x = SineBlock(4800, amplitude, 1000.0);
    rig.Run(x, x);
    return PeakFrom(rig.outL, 2400);
  };
  // 0 dB: no tanh anywhere, so the path scales exactly with the input.
  EXPECT_NEAR(peak(0.0f, 4.0) / peak(0.0f, 0.5), 8.0, 1e-6);
  // 24 dB: small signals gain g / tanh(g), and the output never passes 1 / tanh(g) (plus filter ripple).
  const double g = std::pow(10.0, 24.0 / 20.0);
  EXPECT_NEAR(peak(24.0f, 1e-4) / peak(0.0f, 1e-4), g / std::tanh(g), 0.01 * g);
  EXPECT_LT(peak(24.0f, 4.0), 1.25 / std::tanh(g));
}

// Steady-state gain of the wet path at one frequency with one parameter changed, relative to the
// defaults; the analytic ratio removes the default filters' own share.
double MeasuredGainRatio(int param, float value, double hz) {
  auto level = [hz](int p, float v, bool change) {
    Rig rig = OneVoiceWet();
    if (change) rig.Set(p, v);
    rig.Start();
    const std::vector<float> x = SineBlock(24000, 0.25, hz);
    rig.Run(x, x);
    return RmsFrom(rig.outL, 12000);  // whole periods at every frequency below
  };
  return level(param, value, true) / level(param, value, false);
}

// The wet filters against what a musician states about them: a Butterworth low-pass is 3 dB down
// at its corner and its resonance peaks there by Q, a shelf reaches its gain far above its corner
// and half of it in decibels at the corner, and leaves the lows alone.
TEST(EngineWetChain, FilterGainsAtTheFrequenciesAMusicianKnows) {
  struct Case {
    const char* what;
    int param;
    float value;
    double hz;
    double expectedDb;
    double toleranceDb;
  };
  const Case cases[] = {
      {"wet-lp 1 kHz at its corner", kParamWetLp, 1000.0f, 1000.0, -3.01, 0.05},
      {"wet-lp 1 kHz an octave up, 12 dB per octave", kParamWetLp, 1000.0f, 2000.0, -12.3, 0.3},
      {"wet-lp 1 kHz two octaves down", kParamWetLp, 1000.0f, 250.0, 0.0, 0.05},
      {"tone +12 dB far above the 3 kHz corner", kParamTone, 12.0f, 18000.0, 12.0, 0.5},
      {"tone +12 dB at the 3 kHz corner", kParamTone, 12.0f, 3000.0, 6.0, 0.05},
      {"tone +12 dB in the bass", kParamTone, 12.0f, 100.0, 0.0, 0.1},
      {"tone -12 dB far above the corner", kParamTone, -12.0f, 18000.0, -12.0, 0.5},
      {"tone -12 dB at the 3 kHz corner", kParamTone, -12.0f, 3000.0, -6.0, 0.05},
      {"tone -12 dB in the bass", kParamTone, -12.0f, 100.0, 0.0, 0.1},
      // A one-pole high-pass: about 3 dB down at its corner, 7 dB an octave below, nearly flat above.
      {"wet-hp 1 kHz at its corner", kParamWetHp, 1000.0f, 1000.0, -3.0, 0.6},
      {"wet-hp 1 kHz an octave below", kParamWetHp, 1000.0f, 500.0, -7.0, 0.6},
      {"wet-hp 1 kHz three octaves up", kParamWetHp, 1000.0f, 8000.0, -0.5, 0.5},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(20.0 * std::log10(MeasuredGainRatio(c.param, c.value, c.hz)), c.expectedDb, c.toleranceDb)
        << c.what;
  }
  // Full resonance with the low-pass at 1 kHz: Q = 0.707 + 3.3, so the corner stands 12 dB up.
  auto resonant = [](bool withResonance) {
    Rig rig = OneVoiceWet();
    rig.Set(kParamWetLp, 1000.0f);
    if (withResonance) rig.Set(kParamResonance, 100.0f);
    rig.Start();
    const std::vector<float> x = SineBlock(24000, 0.01, 1000.0);
    rig.Run(x, x);
    return RmsFrom(rig.outL, 12000);
  };
  EXPECT_NEAR(20.0 * std::log10(resonant(true) / resonant(false)), 20.0 * std::log10(4.007 / 0.707), 0.05);
}

// Sums of the output just around an echo of an impulse; short, so the filters' slow tails stay out.
double EchoSum(const std::vector<float>& x, int at) {
  double sum = 0.0;
  for (int n = at - 6; n <= at + 6; ++n) sum += x[n];
  return sum;
}

TEST(EngineFeedback, LoopGainPolarityAndCrossFeed) {
  struct Case {
    float polarity;
    float crossFeed;
    double sameSide;   // second echo over first, on the impulse's side
    double otherSide;  // second echo on the other side over the first
  };
  // 90 % over 2 × (1 + 0.25) for one unity voice with cubic reads.
  const double loop = 0.9 / 2.5;
  const Case cases[] = {{0, 0, loop, 0.0}, {1, 0, -loop, 0.0}, {0, 100, 0.0, loop}};
  auto render = [](const Case& c, float feedback) {
    Rig rig;
    rig.OneVoiceStill(10.0f);
    rig.Set(kParamFeedback, feedback);
    rig.Set(kParamFeedbackPolarity, c.polarity);
    rig.Set(kParamCrossFeed, c.crossFeed);
    rig.Set(kParamFeedbackLp, 20000);
    rig.Set(kParamFeedbackHp, 20);
    rig.Start();
    rig.Run(Impulse(4000, 100), std::vector<float>(4000, 0.0f));
    return rig;
  };
  for (const Case& c : cases) {
    const Rig fed = render(c, 90), dry = render(c, 0);
    // The second echo lands one sample after twice the delay: the loop closes in the next sample.
    const int first = 100 + 480, second = 100 + 961;
    const double firstSum = EchoSum(fed.outL, first);
    const double same = (EchoSum(fed.outL, second) - EchoSum(dry.outL, second)) / firstSum;
    const double other = (EchoSum(fed.outR, second) - EchoSum(dry.outR, second)) / firstSum;
    EXPECT_NEAR(same, c.sameSide, 0.03) << c.polarity << " " << c.crossFeed;
    EXPECT_NEAR(other, c.otherSide, 0.03) << c.polarity << " " << c.crossFeed;
  }
}

std::vector<float> RenderDiffusion(float model, float diffusion, float stages) {
  Rig rig;
  rig.Set(kParamModel, model);
  rig.Set(kParamDiffusion, diffusion);
  rig.Set(kParamStages, stages);
  rig.Set(kParamMix, 100);
  rig.Start();
  rig.Run(Impulse(6000, 100), Impulse(6000, 100));
  return rig.outL;
}

TEST(EngineWetChain, DiffusionStagesAndAmount) {
  const float classic = static_cast<float>(Structure::kDigitalClassic);
  const float diffused = static_cast<float>(Structure::kDiffusedChorus);
  // The stages run but are not mixed in when the amount is 0.
  EXPECT_EQ(RenderDiffusion(classic, 0, 1), RenderDiffusion(classic, 0, 6));
  // Only the first `stages` stages are mixed in.
  EXPECT_NE(RenderDiffusion(classic, 100, 3), RenderDiffusion(classic, 100, 6));
  EXPECT_NE(RenderDiffusion(classic, 100, 3), RenderDiffusion(classic, 0, 3));
  // Diffused Chorus diffuses at 45 % at least.
  const std::vector<float> atZero = RenderDiffusion(diffused, 0, 3);
  const std::vector<float> at45 = RenderDiffusion(diffused, 45, 3);
  ASSERT_EQ(atZero.size(), at45.size());
  for (size_t n = 0; n < atZero.size(); ++n) ASSERT_NEAR(atZero[n], at45[n], 1e-7) << n;
  EXPECT_NE(RenderDiffusion(diffused, 90, 3), at45);
}

TEST(EngineWetChain, NoiseIsAddedOnlyWhenOn) {
  for (float noise : {0.0f, 1.0f}) {
    Rig rig;
    rig.Set(kParamAnalogNoise, noise);
    rig.Set(kParamNoiseLevel, -40);
    rig.Set(kParamMix, 100);
    rig.Start();
    rig.RunDc(4800, 0.0f, 0.0f);
    const double peak = PeakFrom(rig.outL, 0);
    if (noise == 0.0f) {
      EXPECT_EQ(peak, 0.0);
    } else {
      EXPECT_GT(peak, 0.001);
      EXPECT_LT(peak, 0.02);
      EXPECT_NE(rig.outL, rig.outR);
    }
  }
}

TEST(EngineOutput, DcFilterRemovesDc) {
  Rig rig;
  rig.Set(kParamMix, 0);
  rig.Set(kParamDcFilter, 1);
  rig.Start();
  rig.RunDc(48000, 0.5f, 0.5f);
  EXPECT_LT(std::fabs(rig.outL.back()), 1e-6);
  EXPECT_GT(rig.outL[100], 0.45f);
}

// The detector as a musician reads it on a steady input: the level it detects; the duck, which at
// 100 % pulls the wet down one dB for every dB the level stands above its threshold; and the depth,
// which envelope depth +100 % doubles 24 dB above the envelope threshold, in proportion below.
TEST(EngineDynamics, EnvelopeAndDuckForAKnownDcLevel) {
  struct Case {
    const char* what;
    float detector;
    float left;
    float right;
    bool sidechain;  // a sidechain at 0.5 on both channels, -6.02 dB
    float envelopeThreshold;
    float envelopeDepth;
    float duckThreshold;
    double envelopeDb;
    double duckDb;
    double depthMs;  // of the 3 ms set
    bool externalShown;
  };
  const Case cases[] = {
      // 0 dB: 30 dB above the duck threshold ducks by 30 dB; 24 dB above the envelope threshold
      // is the full envelope.
      {"peak", 0, 1.0f, 1.0f, false, -24.0f, 100.0f, -30.0f, 0.0, -30.0, 6.0, false},
      {"peak of the louder channel", 0, 1.0f, 0.0f, false, -24.0f, 100.0f, -30.0f, 0.0, -30.0, 6.0, false},
      {"half the envelope range", 0, 1.0f, 1.0f, false, -12.0f, 100.0f, -30.0f, 0.0, -30.0, 4.5, false},
      {"at both thresholds", 0, 1.0f, 1.0f, false, 0.0f, 100.0f, 0.0f, 0.0, 0.0, 3.0, false},
      {"envelope depth -100 %", 0, 1.0f, 1.0f, false, -24.0f, -100.0f, -30.0f, 0.0, -30.0, 0.0, false},
      // RMS of a full-scale channel beside a silent one: half the power, -3.01 dB.
      {"rms", 1, 1.0f, 0.0f, false, -15.0103f, 100.0f, -30.0f, -3.0103, -26.9897, 4.5, false},
      // The external detector follows the sidechain, and the input while there is none.
      {"external", 2, 1.0f, 1.0f, true, -18.0206f, 100.0f, -30.0f, -6.0206, -23.9794, 4.5, true},
      {"external without a sidechain", 2, 1.0f, 1.0f, false, -24.0f, 100.0f, -30.0f, 0.0, -30.0, 6.0, false},
  };
  for (const Case& c : cases) {
    Rig rig;
    rig.Set(kParamEnvelopeDetector, c.detector);
    rig.Set(kParamDuck, 100);
    rig.Set(kParamDuckThreshold, c.duckThreshold);
    rig.Set(kParamEnvelopeDepth, c.envelopeDepth);
    rig.Set(kParamEnvelopeThreshold, c.envelopeThreshold);
    rig.Set(kParamDepth, 3);
    rig.Start();
    const std::vector<float> sc(48000, 0.5f);
    const float* sidechain[2] = {sc.data(), sc.data()};
    rig.Run(std::vector<float>(48000, c.left), std::vector<float>(48000, c.right), false,
            c.sidechain ? sidechain : nullptr);
    const DisplaySnapshot d = rig.engine->ReadDisplay();
    EXPECT_NEAR(d.envelopeDb, c.envelopeDb, 1e-3) << c.what;
    EXPECT_NEAR(d.duckDb, c.duckDb, 1e-3) << c.what;
    EXPECT_NEAR(d.depthMs, c.depthMs, 1e-4) << c.what;
    EXPECT_EQ(d.externalDetector, c.externalShown ? 1 : 0) << c.what;
  }
}

TEST(EngineDynamics, NoDuckingBelowTheThreshold) {
  Rig rig;
  rig.Set(kParamDuck, 100);
  rig.Set(kParamDuckThreshold, -6);
  rig.Start();
  rig.RunDc(24000, 0.25f, 0.25f);
  EXPECT_EQ(rig.engine->ReadDisplay().duckDb, 0.0f);
}

TEST(EngineMeasurement, CorrelationOfEqualAndOppositeChannels) {
  struct Case {
    float rightSign;
    float expected;
  };
  for (const Case& c : {Case{1.0f, 1.0f}, Case{-1.0f, -1.0f}}) {
    Rig rig;
    rig.Set(kParamMix, 0);
    rig.Start();
    const std::vector<float> x = SineBlock(24000, 0.5, 440.0);
    std::vector<float> y(x);
    for (float& v : y) v *= c.rightSign;
    rig.Run(x, y);
    const DisplaySnapshot d = rig.engine->ReadDisplay();
    EXPECT_NEAR(d.inputCorrelation, c.expected, 1e-6);
    EXPECT_NEAR(d.outputCorrelation, c.expected, 1e-6);
    EXPECT_TRUE(d.signalPresent);
  }
  Rig silent;
  silent.Start();
  silent.RunDc(4800, 0.0f, 0.0f);
  EXPECT_EQ(silent.engine->ReadDisplay().inputCorrelation, 0.0f);
  EXPECT_FALSE(silent.engine->ReadDisplay().signalPresent);
}

TEST(EngineMeasurement, ScopeHoldsOnePointPerEightSamplesOldestFirst) {
  Rig rig;
  rig.Set(kParamMix, 0);
  rig.Start();
  std::vector<float> ramp(2048);
  for (int n = 0; n < 2048; ++n) ramp[n] = static_cast<float>(n) / 2048.0f;
  rig.Run(ramp, std::vector<float>(2048, 0.0f));
  const DisplaySnapshot d = rig.engine->ReadDisplay();
  // Samples 7, 15, ..., 2047 (the counter's 8th, 16th, ... sample), mid and side both half of it.
  for (int i = 0; i < 256; ++i) {
    EXPECT_FLOAT_EQ(d.scopeMid[i], ramp[8 * i + 7] / 2.0f) << i;
    EXPECT_FLOAT_EQ(d.scopeSide[i], ramp[8 * i + 7] / 2.0f) << i;
  }
}

TEST(EngineMeasurement, AnalyserShowsAFullScaleSineAtItsBin) {
  Rig rig;
  rig.Set(kParamMix, 0);
  rig.Set(kParamAnalyzerSpeed, 0);
  rig.Start();
  rig.engine->SetDisplayReaderPresent(true);
  const double hz = 93.0 * kFs / kFftSize;
  rig.Run(SineBlock(48000, 1.0, hz), SineBlock(48000, 1.0, hz));
  const DisplaySnapshot d = rig.engine->ReadDisplay();
  int nearest = 0;
  for (int i = 0; i < kSpectrumBins; ++i) {
    if (std::fabs(SpectrumBinFrequency(i, kFs) - hz) < std::fabs(SpectrumBinFrequency(nearest, kFs) - hz))
      nearest = i;
  }
  // A Hann-windowed sine on FFT bin 93 reads 1 there and 1/2 beside it; the log bin interpolates.
  const double g = SpectrumBinFrequency(nearest, kFs) * kFftSize / kFs;
  const int h = static_cast<int>(g);
  const double t = g - h;
  auto hann = [](int k) { return k == 93 ? 1.0 : std::abs(k - 93) == 1 ? 0.5 : 0.0; };
  const double expectedDb = 20.0 * std::log10((1.0 - t) * hann(h) + t * hann(h + 1));
  EXPECT_NEAR(d.inputSpectrumDb[nearest], expectedDb, 0.1);
  EXPECT_NEAR(d.outputSpectrumDb[nearest], expectedDb, 0.1);
  EXPECT_LT(d.inputSpectrumDb[kSpectrumBins - 1], -60.0f);

  rig.Set(kParamAnalyzer, 0);
  rig.Apply();
  rig.RunDc(1024, 0.0f, 0.0f);
  const DisplaySnapshot off = rig.engine->ReadDisplay();
  for (int i = 0; i < kSpectrumBins; ++i) ASSERT_EQ(off.inputSpectrumDb[i], -120.0f) << i;
}

// The editor reads about 30 times a second: a short peak must stand long enough to be seen.
TEST(EngineMeasurement, MeterPeaksHoldForFiftyMilliseconds) {
  Rig rig;
  rig.Set(kParamMix, 0);
  rig.Start();
  std::vector<float> click(32, 0.0f);
  click[5] = 0.9f;
  rig.Run(click, click);
  EXPECT_FLOAT_EQ(rig.engine->ReadMeters().inPeak, 0.9f);
  const int holdFrames = static_cast<int>(std::ceil(0.05 * kFs));
  int elapsed = 0;
  while (elapsed + 32 < holdFrames) {
    rig.RunDc(32, 0.1f, 0.1f);
    elapsed += 32;
    ASSERT_FLOAT_EQ(rig.engine->ReadMeters().inPeak, 0.9f) << elapsed;
    ASSERT_FLOAT_EQ(rig.engine->ReadMeters().outPeak, 0.9f) << elapsed;
  }
  rig.RunDc(64, 0.1f, 0.1f);
  rig.RunDc(32, 0.1f, 0.1f);
  EXPECT_FLOAT_EQ(rig.engine->ReadMeters().inPeak, 0.1f);
  // A larger peak replaces a held one at once.
  click[5] = 1.0f;
  rig.Run(click, click);
  EXPECT_FLOAT_EQ(rig.engine->ReadMeters().outLeftPeak, 1.0f);
}

}  // namespace
}  // namespace halcyra
