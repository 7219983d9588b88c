#include "effect/chorus_engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace halcyra {
namespace {

constexpr double kFs = 48000.0;
constexpr double kPi = 3.14159265358979323846;

// Drives one engine with a parameter set; outputs are kept per call.
struct Rig {
  explicit Rig(double fs = kFs) : engine(std::make_unique<ChorusEngine>()) {
    FillParamDefaults(params);
    rate = fs;
  }
  void Set(int index, float value) { params[index] = value; }
  void Start() {
    engine->SetParameters(params);
    engine->Reset(rate);
  }
  void Apply() { engine->SetParameters(params); }
  // Runs the given stereo input, returns left and right.
  void Run(const std::vector<float>& inL, const std::vector<float>& inR, bool bypass = false) {
    outL.assign(inL.size(), 0.0f);
    outR.assign(inL.size(), 0.0f);
    const float* in[2] = {inL.data(), inR.data()};
    float* out[2] = {outL.data(), outR.data()};
    engine->Process(in, out, static_cast<int>(inL.size()), bypass, nullptr, false);
  }
  void RunDc(int frames, float left, float right) {
    Run(std::vector<float>(frames, left), std::vector<float>(frames, right));
  }
  // The wet sum is then 0 and the output shows the dry path alone.
  void AllVoicesOff() {
    for (int v = 0; v < kVoiceCount; ++v) Set(VoiceParamIndex(v, kVoiceEnabled), 0);
  }
  void OneVoiceStill(float baseMs) {
    Set(kParamVoices, 1);
    Set(kParamDepth, 0);
    Set(kParamBaseDelay, baseMs);
    Set(kParamMix, 100);
    Set(kParamSpread, 0);
  }
  std::unique_ptr<ChorusEngine> engine;
  float params[kParamCount];
  double rate;
  std::vector<float> outL, outR;
};

int PeakIndex(const std::vector<float>& x) {
  int best = 0;
  for (int i = 1; i < static_cast<int>(x.size()); ++i)
    if (std::fabs(x[i]) > std::fabs(x[best])) best = i;
  return best;
}

std::vector<float> Impulse(int frames, int at) {
  std::vector<float> x(frames, 0.0f);
  x[at] = 1.0f;
  return x;
}

TEST(ChorusEngineTest, MixZeroIsExactDryWithZeroLatencyForEveryStructure) {
  for (int model = 0; model < kStructureCount; ++model) {
    Rig rig;
    rig.Set(kParamMix, 0);
    rig.Set(kParamModel, model);
    rig.Set(kParamVoices, 8);
    rig.Set(kParamDetune, 7);
    rig.Start();
    std::vector<float> noise(2048);
    uint32_t s = 99;
    for (float& x : noise) {
      s = s * 1664525u + 1013904223u;
      x = static_cast<float>(static_cast<int32_t>(s)) / 2147483648.0f;
    }
    std::vector<float> impulse = Impulse(2048, 300);
    rig.Run(noise, impulse);
    for (int n = 0; n < 2048; ++n) {
      ASSERT_EQ(rig.outL[n], noise[n]) << "model " << model << " at " << n;
      ASSERT_EQ(rig.outR[n], impulse[n]) << "model " << model << " at " << n;
    }
  }
}

TEST(ChorusEngineTest, PassesThroughBeforeResetReplacingNonFinite) {
  ChorusEngine engine;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  std::vector<float> left = {0.5f, nan, inf, -inf, -0.25f};
  std::vector<float> outL(5, 9.0f), outR(5, 9.0f);
  const float* in[2] = {left.data(), nullptr};
  float* out[2] = {outL.data(), outR.data()};
  engine.Process(in, out, 5, false, nullptr, false);
  EXPECT_EQ(outL, (std::vector<float>{0.5f, 0.0f, 0.0f, 0.0f, -0.25f}));
  EXPECT_EQ(outR, std::vector<float>(5, 0.0f));  // a missing right channel is silence here
}

TEST(ChorusEngineTest, SampleRateHandling) {
  struct Case {
    double requested;
    double expected;
  };
  const Case cases[] = {{0.0, 48000.0},
                        {std::numeric_limits<double>::quiet_NaN(), 48000.0},
                        {std::numeric_limits<double>::infinity(), 48000.0},
                        {8000.0, 8000.0},
                        {1000.0, 8000.0},
                        {44100.0, 44100.0},
                        {384000.0, 384000.0},
                        {500000.0, 384000.0}};
  for (const Case& c : cases) {
    ChorusEngine engine;
    engine.Reset(c.requested);
    EXPECT_EQ(engine.SampleRate(), c.expected) << c.requested;
    EXPECT_EQ(engine.ReadDisplay().sampleRate, c.expected) << c.requested;
  }
}

TEST(ChorusEngineTest, BaseDelayPlacesTheWetImpulseAtEveryRate) {
  struct Case {
    double fs;
    float baseMs;
    float offsetMs;
    int expected;
  };
  const Case cases[] = {
      {48000.0, 10.0f, 0.0f, 480},   {48000.0, 10.0f, 5.0f, 720}, {48000.0, 0.5f, -20.0f, 2},
      {8000.0, 10.0f, 0.0f, 80},     {44100.0, 10.0f, 0.0f, 441}, {96000.0, 10.0f, 0.0f, 960},
      {384000.0, 10.0f, 0.0f, 3840},
  };
  for (const Case& c : cases) {
    Rig rig(c.fs);
    rig.OneVoiceStill(c.baseMs);
    rig.Set(VoiceParamIndex(0, kVoiceDelayOffset), c.offsetMs);
    rig.Start();
    const int frames = 8192;
    rig.Run(Impulse(frames, 100), Impulse(frames, 100));
    EXPECT_EQ(PeakIndex(rig.outL), 100 + c.expected) << c.fs << " " << c.baseMs;
    EXPECT_NEAR(rig.outL[100 + c.expected], 1.0f, 1e-6);
    for (float x : rig.outL) ASSERT_TRUE(std::isfinite(x));
  }
}

TEST(ChorusEngineTest, ReadDelayClamps) {
  EXPECT_EQ(ChorusEngine::ClampedDelaySamples(-5.0, kFs), 2.0);
  EXPECT_EQ(ChorusEngine::ClampedDelaySamples(std::nan(""), kFs), 2.0);
  EXPECT_EQ(ChorusEngine::ClampedDelaySamples(10.0, kFs), 480.0);
  EXPECT_EQ(ChorusEngine::ClampedDelaySamples(1000.0, kFs), 0.235 * kFs);
}

// All voices off: the wet sum is 0, so the output shows the smoothed values directly.
TEST(ChorusEngineTest, ContinuousParameterGlidesWithTwentyMillisecondOnePole) {
  Rig rig;
  rig.AllVoicesOff();
  rig.Set(kParamMix, 0);
  rig.Start();
  rig.RunDc(64, 1.0f, 1.0f);
  EXPECT_EQ(rig.outL.back(), 1.0f);
  rig.Set(kParamMix, 100);
  rig.Apply();
  rig.RunDc(1920, 1.0f, 1.0f);
  // After k steps the dry share is e^(-k / 960).
  EXPECT_NEAR(rig.outL[959], std::exp(-1.0), 1e-4);
  EXPECT_NEAR(rig.outL[1919], std::exp(-2.0), 1e-4);
}

TEST(ChorusEngineTest, FirstBlockAfterResetAppliesParametersAtOnce) {
  Rig rig;
  rig.AllVoicesOff();
  rig.Set(kParamMix, 50);
  rig.Start();
  rig.RunDc(4, 1.0f, 1.0f);
  EXPECT_EQ(rig.outL[0], 0.5f);
}

TEST(ChorusEngineTest, BypassCrossfadesInThreeMilliseconds) {
  for (bool byRequest : {false, true}) {
    Rig rig;
    rig.AllVoicesOff();
    rig.Set(kParamMix, 100);
    rig.Start();
    rig.RunDc(64, 1.0f, 1.0f);
    EXPECT_EQ(rig.outL.back(), 0.0f);
    if (!byRequest) {
      rig.Set(kParamBypass, 1);
      rig.Apply();
    }
    std::vector<float> dc(6000, 1.0f);  // 6000 samples: within 1e-12, so snapped
    rig.Run(dc, dc, byRequest);
    EXPECT_NEAR(rig.outL[143], 1.0 - std::exp(-1.0), 1e-4) << byRequest;
    EXPECT_EQ(rig.outL[5999], 1.0f) << byRequest;  // exact raw input once settled
  }
}

// Depth 0 makes Dimension read like Digital Classic, so only its cross-blend differs.
TEST(ChorusEngineTest, ModelChangeCrossfadesInFiveMillisecondsAndDimensionBlendsFifteenPercent) {
  Rig rig;
  rig.OneVoiceStill(2.0f);
  rig.Start();
  rig.RunDc(1000, 1.0f, 0.0f);
  EXPECT_NEAR(rig.outR.back(), 0.0f, 1e-7);
  rig.Set(kParamModel, static_cast<float>(Structure::kDimension));
  rig.Apply();
  rig.RunDc(4000, 1.0f, 0.0f);
  EXPECT_NEAR(rig.outR[239], 0.15 * (1.0 - std::exp(-1.0)), 1e-5);
  EXPECT_NEAR(rig.outR.back(), 0.15, 1e-6);
  EXPECT_NEAR(rig.outL.back(), 0.85, 1e-6);
}

// Ramp Up makes the delay linear in the phase, so the wet impulse position reads the phase.
TEST(ChorusEngineTest, StereoPhaseOffsetsTheRightChannelDelay) {
  struct Case {
    float stereoPhase;
    int rightDelay;
  };
  const Case cases[] = {{0.0f, 288}, {90.0f, 408}, {180.0f, 528}};
  for (const Case& c : cases) {
    Rig rig;
    rig.OneVoiceStill(10.0f);
    rig.Set(kParamDepth, 5);
    rig.Set(kParamRate, 0.01f);
    rig.Set(kParamWave, static_cast<float>(WaveShape::kRampUp));
    rig.Set(kParamPhase, 36);  // ramp value -0.8 on the left
    rig.Set(kParamStereoPhase, c.stereoPhase);
    rig.Start();
    rig.Run(Impulse(2000, 0), Impulse(2000, 0));
    EXPECT_EQ(PeakIndex(rig.outL), 288) << c.stereoPhase;
    EXPECT_EQ(PeakIndex(rig.outR), c.rightDelay) << c.stereoPhase;
  }
}

// With Ramp Up, depth and a centred voice, the display motion is 2 frac(phase) - 1.
struct PhaseRig : Rig {
  PhaseRig() {
    OneVoiceStill(10.0f);
    Set(kParamVoices, 8);
    Set(kParamDepth, 4);
    Set(kParamStereoPhase, 0);
    Set(kParamWave, static_cast<float>(WaveShape::kRampUp));
    for (int v = 0; v < kVoiceCount; ++v) Set(VoiceParamIndex(v, kVoicePhaseOffset), 0);
  }
  double Phase(int voice) { return (engine->ReadDisplay().voiceMotion[voice] + 1.0) / 2.0; }
  void RunSilence(int frames) { RunDc(frames, 0.0f, 0.0f); }
};

TEST(ChorusEngineTest, ModulationRateFreeSyncedAndRatio) {
  struct Case {
    float rate;
    bool sync;
    float ratio;
    double expectedHz;
  };
  const Case cases[] = {{1.5f, false, 1.0f, 1.5},
                        {1.5f, false, 0.5f, 0.75},
                        {0.01f, true, 1.0f, 2.0},
                        {0.01f, true, 0.25f, 0.5}};
  for (const Case& c : cases) {
    PhaseRig rig;
    rig.Set(kParamRate, c.rate);
    rig.Set(kParamSync, c.sync ? 1 : 0);
    rig.Set(VoiceParamIndex(0, kVoiceRateRatio), c.ratio);
    rig.Start();
    rig.engine->SetTransport(120.0, 0.0, false, true, false);
    rig.RunSilence(4800);  // 0.1 s
    EXPECT_NEAR(rig.Phase(0), c.expectedHz * 0.1, 1e-4) << c.rate << " " << c.sync << " " << c.ratio;
    EXPECT_NEAR(rig.engine->ReadDisplay().voiceRateHz[0], c.expectedHz, 1e-5);
  }
}

TEST(ChorusEngineTest, SyncWithoutHostTempoUsesFallback) {
  PhaseRig rig;
  rig.Set(kParamSync, 1);
  rig.Set(kParamTempoFallback, 90);
  rig.Start();
  rig.engine->SetTransport(0.0, 0.0, false, false, false);
  rig.RunSilence(4800);
  EXPECT_NEAR(rig.Phase(0), 1.5 * 0.1, 1e-4);
}

TEST(ChorusEngineTest, HumanizeDeviatesEachVoiceByAtMostFivePercent) {
  PhaseRig rig;
  rig.Set(kParamRate, 2.0f);
  rig.Set(kParamHumanize, 100);
  rig.Start();
  rig.RunSilence(480);
  const DisplaySnapshot d = rig.engine->ReadDisplay();
  double largest = 0.0;
  for (int v = 0; v < kVoiceCount; ++v) {
    const double deviation = d.voiceRateHz[v] / 2.0 - 1.0;
    EXPECT_LE(std::fabs(deviation), 0.05 + 1e-6) << v;
    largest = std::max(largest, std::fabs(deviation));
  }
  EXPECT_GT(largest, 0.005);
}

TEST(ChorusEngineTest, PanLawAndSpread) {
  struct Case {
    float spread;
    float pan;
    float left;
    float right;
  };
  const Case cases[] = {
      {100, -100, 1.0f, 0.0f}, {100, 100, 0.0f, 1.0f}, {50, -100, 1.0f, 0.5f}, {0, -100, 1.0f, 1.0f}};
  for (const Case& c : cases) {
    Rig rig;
    rig.OneVoiceStill(1.0f);
    rig.Set(kParamSpread, c.spread);
    rig.Set(VoiceParamIndex(0, kVoicePan), c.pan);
    rig.Start();
    rig.RunDc(500, 1.0f, 1.0f);
    EXPECT_NEAR(rig.outL.back(), c.left, 1e-6) << c.spread << " " << c.pan;
    EXPECT_NEAR(rig.outR.back(), c.right, 1e-6) << c.spread << " " << c.pan;
  }
}

TEST(ChorusEngineTest, FourIdenticalVoicesSoundLikeOne) {
  auto render = [](int voices) {
    Rig rig;
    rig.Set(kParamMix, 100);
    rig.Set(kParamVoices, static_cast<float>(voices));
    for (int v = 0; v < kVoiceCount; ++v) {
      rig.Set(VoiceParamIndex(v, kVoicePhaseOffset), 0);
      rig.Set(VoiceParamIndex(v, kVoicePan), 0);
    }
    rig.Start();
    std::vector<float> sine(4000);
    for (int n = 0; n < 4000; ++n) sine[n] = static_cast<float>(std::sin(0.05 * n));
    rig.Run(sine, sine);
    return rig.outL;
  };
  const std::vector<float> one = render(1), four = render(4);
  for (int n = 0; n < 4000; ++n) ASSERT_NEAR(four[n], one[n], 1e-6) << n;
}

// A disabled voice fades out over 5 ms while the normalisation follows its weight.
TEST(ChorusEngineTest, DisabledVoiceFadesOutInFiveMilliseconds) {
  Rig rig;
  rig.OneVoiceStill(1.0f);
  rig.Set(kParamVoices, 2);
  rig.Set(kParamSpread, 100);
  rig.Set(VoiceParamIndex(0, kVoicePan), -100);
  rig.Set(VoiceParamIndex(1, kVoicePan), 100);
  rig.Start();
  rig.RunDc(500, 1.0f, 1.0f);
  EXPECT_NEAR(rig.outL.back(), 0.5, 1e-6);
  EXPECT_NEAR(rig.outR.back(), 0.5, 1e-6);

  rig.Set(VoiceParamIndex(1, kVoiceEnabled), 0);
  rig.Apply();
  rig.RunDc(8000, 1.0f, 1.0f);
  const double decay = 1.0 - (1.0 - std::exp(-1.0 / (kFs * 0.005)));
  for (int n : {0, 239, 1000}) {
    const double weight = std::pow(decay, n + 1);
    EXPECT_NEAR(rig.outR[n], weight / (1.0 + weight), 1e-5) << n;
    EXPECT_NEAR(rig.outL[n], 1.0 / (1.0 + weight), 1e-5) << n;
  }
  EXPECT_EQ(rig.outR.back(), 0.0f);
  EXPECT_FALSE(rig.engine->ReadDisplay().voiceActive[1]);
}

TEST(ChorusEngineTest, VoiceTiltSpreadsAcrossActiveVoices) {
  Rig rig;
  rig.Set(kParamVoices, 4);
  rig.Set(kParamVoiceTilt, 12);
  rig.Start();
  rig.RunDc(64, 0.0f, 0.0f);
  const DisplaySnapshot d = rig.engine->ReadDisplay();
  const double norm = 20.0 * std::log10(0.25);  // four active voices share the level
  const double expected[4] = {-6, -2, 2, 6};
  for (int v = 0; v < 4; ++v) EXPECT_NEAR(d.voiceLevelDb[v], expected[v] + norm, 1e-4) << v;

  Rig single;
  single.Set(kParamVoices, 1);
  single.Set(kParamVoiceTilt, 12);
  single.Start();
  single.RunDc(64, 0.0f, 0.0f);
  EXPECT_NEAR(single.engine->ReadDisplay().voiceLevelDb[0], 0.0, 1e-5);
}

TEST(ChorusEngineTest, StructuresCapTheirVoices) {
  struct Case {
    Structure model;
    int active;
  };
  const Case cases[] = {
      {Structure::kDigitalClassic, 8}, {Structure::kTriChorus, 3}, {Structure::kVibrato, 1}};
  for (const Case& c : cases) {
    Rig rig;
    rig.Set(kParamVoices, 8);
    rig.Set(kParamModel, static_cast<float>(c.model));
    rig.Start();
    rig.RunDc(64, 0.0f, 0.0f);
    const DisplaySnapshot d = rig.engine->ReadDisplay();
    int active = 0;
    for (int v = 0; v < kVoiceCount; ++v) active += d.voiceActive[v];
    EXPECT_EQ(active, c.active) << static_cast<int>(c.model);
  }
}

double MeasureFrequency(const std::vector<float>& x, int from, double fs) {
  int crossings = 0, first = -1, last = -1;
  for (int n = from + 1; n < static_cast<int>(x.size()); ++n) {
    if (x[n - 1] < 0.0f && x[n] >= 0.0f) {
      if (first < 0) first = n;
      last = n;
      ++crossings;
    }
  }
  return (crossings - 1) * fs / (last - first);
}

TEST(ChorusEngineTest, DetuneShiftsPitch) {
  struct Case {
    Structure model;
    float cents;
  };
  const Case cases[] = {{Structure::kMicroPitch, 25},
                        {Structure::kMicroPitch, -25},
                        {Structure::kMicroPitch, 0},
                        {Structure::kDigitalClassic, 25}};
  for (const Case& c : cases) {
    Rig rig;
    rig.OneVoiceStill(10.0f);
    rig.Set(kParamModel, static_cast<float>(c.model));
    rig.Set(kParamDetune, c.cents);
    rig.Start();
    const int frames = 96000;
    std::vector<float> sine(frames);
    for (int n = 0; n < frames; ++n) sine[n] = static_cast<float>(std::sin(2.0 * kPi * 500.0 * n / kFs));
    rig.Run(sine, sine);
    const double expected = 500.0 * std::exp2(c.cents / 1200.0);
    EXPECT_NEAR(MeasureFrequency(rig.outL, 9600, kFs), expected, 1.0)
        << static_cast<int>(c.model) << " " << c.cents;
  }
}

TEST(ChorusEngineTest, TransportJumpRelocksPhaseOnlyWithTransportReset) {
  for (bool reset : {true, false}) {
    PhaseRig rig;
    rig.Set(kParamSync, 1);
    rig.Set(kParamTransportReset, reset ? 1 : 0);
    rig.Start();
    double position = 0.0;
    const int block = 480;
    const double step = block * 120.0 / (60.0 * kFs);
    for (int i = 0; i < 5; ++i) {
      rig.engine->SetTransport(120.0, position, true, true, true);
      rig.RunSilence(block);
      position += step;
    }
    const double before = rig.Phase(0);
    position = 10.25;  // a jump: the locked phase becomes 0.25 plus what follows
    for (int i = 0; i < 10; ++i) {
      rig.engine->SetTransport(120.0, position, true, true, true);
      rig.RunSilence(block);
      position += step;
    }
    const double locked = Frac(0.25 + 10 * step);
    if (reset) {
      EXPECT_NEAR(rig.Phase(0), locked, 1e-3);
    } else {
      EXPECT_NEAR(rig.Phase(0), Frac(before + 10 * step), 1e-3);
    }
  }
}

TEST(ChorusEngineTest, ZeroFramesDoesNothing) {
  Rig rig;
  rig.Start();
  rig.RunDc(64, 0.5f, 0.5f);
  const MeterSnapshot before = rig.engine->ReadMeters();
  rig.Run({}, {});
  EXPECT_EQ(rig.engine->ReadMeters().inPeak, before.inPeak);
  EXPECT_EQ(before.inPeak, 0.5f);
}

}  // namespace
}  // namespace halcyra
