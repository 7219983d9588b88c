#include "effect/chorus_engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "tests/effect/engine_rig.h"

namespace halcyra {
namespace {

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

// The wet path filters every impulse alike, so a delayed voice's output is the output at the
// 2-sample minimum, shifted.
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
  const int frames = 8192;
  auto render = [frames](double fs, float baseMs, float offsetMs) {
    Rig rig(fs);
    rig.OneVoiceStill(baseMs);
    rig.Set(VoiceParamIndex(0, kVoiceDelayOffset), offsetMs);
    rig.Start();
    rig.Run(Impulse(frames, 100), Impulse(frames, 100));
    return rig.outL;
  };
  for (const Case& c : cases) {
    const std::vector<float> out = render(c.fs, c.baseMs, c.offsetMs);
    const std::vector<float> shortest = render(c.fs, 0.0f, -20.0f);
    const int shift = c.expected - 2;
    EXPECT_EQ(PeakIndex(out), PeakIndex(shortest) + shift) << c.fs << " " << c.baseMs;
    EXPECT_GT(std::fabs(out[PeakIndex(out)]), 0.1f);
    for (int n = 0; n < 100 + shift; ++n) ASSERT_EQ(out[n], 0.0f) << n;
    for (int n = 100 + shift; n + shift < frames && n < 100 + shift + 400; ++n) {
      ASSERT_NEAR(out[n], shortest[n - shift], 1e-6) << c.fs << " " << n;
    }
  }
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

// Depth 0 makes Dimension read like Digital Classic, so only its cross-blend differs: with a signal
// on the left alone, the right carries the blend share b and the left 1 - b.
TEST(ChorusEngineTest, ModelChangeCrossfadesInFiveMillisecondsAndDimensionBlendsFifteenPercent) {
  Rig rig;
  rig.OneVoiceStill(2.0f);
  rig.Start();
  rig.RunSine(1000, 1.0f, 0.0f);
  for (float x : rig.outR) ASSERT_NEAR(x, 0.0f, 1e-12);  // only the width stage's rounding
  rig.Set(kParamModel, static_cast<float>(Structure::kDimension));
  rig.Apply();
  rig.RunSine(4000, 1.0f, 0.0f);
  auto share = [&rig](int from, int to) {  // right / left over a stretch of whole periods
    double left = 0.0, right = 0.0;
    for (int n = from; n < to; ++n) {
      left += std::fabs(rig.outL[n]);
      right += std::fabs(rig.outR[n]);
    }
    return right / left;
  };
  const double b240 = 0.15 * (1.0 - std::exp(-240.0 / 240.0));
  EXPECT_NEAR(share(216, 264), b240 / (1.0 - b240), 0.01);
  EXPECT_NEAR(share(3808, 4000), 0.15 / 0.85, 1e-4);
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
    rig.RunSine(2000, 1.0f, 1.0f);
    double loudest = 0.0;
    for (int n = 0; n < 2000; ++n) {
      // Both channels pass the same filters, so the pan gains stand in a fixed ratio.
      ASSERT_NEAR(c.right * rig.outL[n], c.left * rig.outR[n], 1e-6) << c.spread << " " << c.pan << " " << n;
      loudest =
          std::max(loudest, static_cast<double>(std::max(std::fabs(rig.outL[n]), std::fabs(rig.outR[n]))));
    }
    EXPECT_GT(loudest, 0.9) << c.spread << " " << c.pan;
  }
}

// Three voices render as a pair and a lone voice whose lane partner is a muted copy.
TEST(ChorusEngineTest, IdenticalVoicesSoundLikeOne) {
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
  const std::vector<float> one = render(1);
  for (int voices : {2, 3, 4, 8}) {
    const std::vector<float> many = render(voices);
    for (int n = 0; n < 4000; ++n) ASSERT_NEAR(many[n], one[n], 1e-6) << voices << " voices, " << n;
  }
}

// A disabled voice fades out over 5 ms while the normalisation follows its weight; the display
// shows each voice's gain at the end of a block.
TEST(ChorusEngineTest, DisabledVoiceFadesOutInFiveMilliseconds) {
  Rig rig;
  rig.OneVoiceStill(1.0f);
  rig.Set(kParamVoices, 2);
  rig.Start();
  rig.RunSine(500, 1.0f, 1.0f);
  EXPECT_NEAR(rig.engine->ReadDisplay().voiceLevelDb[1], 20.0 * std::log10(0.5), 1e-4);

  rig.Set(VoiceParamIndex(1, kVoiceEnabled), 0);
  rig.Apply();
  const double decay = std::exp(-1.0 / (kFs * 0.005));
  int elapsed = 0;
  for (int frames : {1, 239, 760}) {
    rig.RunSine(frames, 1.0f, 1.0f);
    elapsed += frames;
    const double weight = std::pow(decay, elapsed);
    const DisplaySnapshot d = rig.engine->ReadDisplay();
    EXPECT_NEAR(d.voiceLevelDb[1], 20.0 * std::log10(weight / (1.0 + weight)), 1e-3) << elapsed;
    EXPECT_NEAR(d.voiceLevelDb[0], 20.0 * std::log10(1.0 / (1.0 + weight)), 1e-3) << elapsed;
  }
  rig.RunSine(8000, 1.0f, 1.0f);
  EXPECT_FALSE(rig.engine->ReadDisplay().voiceActive[1]);
  EXPECT_EQ(rig.engine->ReadDisplay().voiceLevelDb[1], -120.0f);
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
    // One engine, as a host keeps it, reset in turn at each rate: the shift stays the same.
    for (double fs : {kFs, 96000.0, 44100.0}) {
      rig.rate = fs;
      rig.Start();
      const int frames = static_cast<int>(2.0 * fs);
      std::vector<float> sine(frames);
      for (int n = 0; n < frames; ++n) sine[n] = static_cast<float>(std::sin(2.0 * kPi * 500.0 * n / fs));
      rig.Run(sine, sine);
      const double expected = 500.0 * std::exp2(c.cents / 1200.0);
      EXPECT_NEAR(MeasureFrequency(rig.outL, frames / 10, fs), expected, 1.0)
          << static_cast<int>(c.model) << " " << c.cents << " at " << fs << " Hz";
    }
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
