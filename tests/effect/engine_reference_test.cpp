// The fast engine against its reference path, which computes every transcendental function
// exactly: over every factory recipe at three rates, with random automation and block sizes, the
// two outputs never differ by more than 1e-6 (-120 dBFS) on any sample.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "effect/chorus_engine.h"
#include "effect/factory_recipes.h"

namespace halcyra {
namespace {

// A small deterministic generator (the standard distributions differ between libraries).
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  uint64_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return state_;
  }
  double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }

 private:
  uint64_t state_;
};

// What automation moves, with the largest value it may set: the loop and the drive stay where
// the output keeps within full scale, so the comparison is of the engine, not of float rounding.
struct Automated {
  int index;
  float limit;
};
const Automated kAutomated[] = {
    {kParamDepth, 20},          {kParamRate, 20},
    {kParamBaseDelay, 60},      {kParamMix, 100},
    {kParamFeedback, 70},       {kParamDetune, 25},
    {kParamDrift, 100},         {kParamTone, 12},
    {kParamWetLp, 20000},       {kParamResonance, 60},
    {kParamAnalogDrive, 9},     {kParamWidth, 200},
    {kParamDiffusion, 100},     {kParamVoiceTilt, 12},
    {kParamStereoPhase, 360},   {kParamSkew, 90},
    {kParamEnvelopeDepth, 100}, {kParamDuck, 100},
    {kParamModel, 11},          {kParamWave, 6},
    {kParamStages, 6},          {kParamInterpolation, 1},
    {kParamVoices, 8},          {kParamProcessBand, 5},
    {kParamEnvelopeRate, 100},  {VoiceParamIndex(1, kVoiceDetuneOffset), 50},
};

void Automate(float* params, Random& random) {
  const int changes = random.Below(3);
  for (int c = 0; c < changes; ++c) {
    const Automated& a = kAutomated[random.Below(static_cast<int>(std::size(kAutomated)))];
    const ParamDefinition* d = GetParamDefinition(a.index);
    const double low = d->minValue, high = std::min(d->maxValue, a.limit);
    params[a.index] = static_cast<float>(low + (high - low) * random.Unit());
  }
}

// Program material: two detuned tones with a little noise.
float Source(long n, int channel, Random& noise) {
  const double t = static_cast<double>(n);
  return static_cast<float>(0.2 * std::sin(0.031 * t + channel) + 0.1 * std::sin(0.0071 * t) +
                            0.02 * (noise.Unit() - 0.5));
}

struct Difference {
  double worst = 0.0;
  long frame = -1;
};

// The fast path's two instruction sets for the voices: the SSE2 baseline and, where this processor
// has them, AVX2 with FMA.
struct FastPaths {
  Difference baseline;
  Difference wide;
};

FastPaths CompareRecipe(const FactoryRecipe& recipe, double rate, uint64_t seed) {
  ChorusEngine baseline(MathPath::kFast), wide(MathPath::kFast), reference(MathPath::kReference);
  baseline.UseWideVoices(false);
  wide.UseWideVoices(true);
  float params[kParamCount];
  std::copy(std::begin(recipe.values), std::end(recipe.values), params);
  ChorusEngine* engines[] = {&reference, &baseline, &wide};
  for (ChorusEngine* engine : engines) {
    engine->SetParameters(params);
    engine->Reset(rate);
  }
  Random random(seed), noise(seed + 1);
  const long total = static_cast<long>(0.12 * rate);
  std::vector<float> inL(512), inR(512), scL(512);
  std::vector<float> outL[3], outR[3];
  for (int e = 0; e < 3; ++e) outL[e].resize(512), outR[e].resize(512);
  FastPaths differences;
  Difference* tracked[] = {nullptr, &differences.baseline, &differences.wide};
  for (long frame = 0; frame < total;) {
    const int block = 1 + random.Below(512);
    for (int n = 0; n < block; ++n) {
      inL[n] = Source(frame + n, 0, noise);
      inR[n] = Source(frame + n, 1, noise);
      scL[n] = 0.5f * inR[n];
    }
    Automate(params, random);
    const bool sidechain = random.Below(4) == 0;
    const float* in[2] = {inL.data(), inR.data()};
    const float* side[2] = {scL.data(), nullptr};
    for (int e = 0; e < 3; ++e) {
      float* out[2] = {outL[e].data(), outR[e].data()};
      engines[e]->SetParameters(params);
      engines[e]->SetTransport(120.0, frame / rate * 2.0, true, true, true);
      engines[e]->Process(in, out, block, false, side, sidechain);
    }
    for (int e = 1; e < 3; ++e) {
      for (int n = 0; n < block; ++n) {
        const double d =
            std::max(std::fabs(double{outL[e][n]} - outL[0][n]), std::fabs(double{outR[e][n]} - outR[0][n]));
        if (d > tracked[e]->worst) *tracked[e] = {d, frame + n};
      }
    }
    frame += block;
  }
  return differences;
}

TEST(EngineReference, FastPathStaysWithinOneMicroOfTheExactFormulas) {
  const FactoryRecipe* recipes = FactoryRecipes();
  for (double rate : {44100.0, 48000.0, 96000.0}) {
    for (int r = 0; r < kFactoryRecipeCount; ++r) {
      const FastPaths d = CompareRecipe(recipes[r], rate, static_cast<uint64_t>(r * 7 + rate));
      EXPECT_LE(d.baseline.worst, 1e-6)
          << "SSE2: " << recipes[r].name << " at " << rate << " Hz, frame " << d.baseline.frame;
      EXPECT_LE(d.wide.worst, 1e-6) << "AVX2: " << recipes[r].name << " at " << rate << " Hz, frame "
                                    << d.wide.frame;
    }
  }
}

// Where the processor has AVX2 and FMA the engine uses them for its voices unless told not to.
TEST(EngineReference, FastPathTakesTheWideVoicesWhereThereAreAny) {
  ChorusEngine fast(MathPath::kFast), reference(MathPath::kReference);
  EXPECT_EQ(fast.UsesWideVoices(), WideVoiceLanesAvailable());
  EXPECT_FALSE(reference.UsesWideVoices());
  fast.UseWideVoices(false);
  EXPECT_FALSE(fast.UsesWideVoices());
}

// Both paths share one body of code: without any transcendental function in play (every voice
// off, the filters' coefficients worked out exactly in both) they agree to the last bit.
TEST(EngineReference, PathsAgreeExactlyWhereNothingIsApproximated) {
  ChorusEngine fast(MathPath::kFast), reference(MathPath::kReference);
  float params[kParamCount];
  FillParamDefaults(params);
  for (int v = 0; v < kVoiceCount; ++v) params[VoiceParamIndex(v, kVoiceEnabled)] = 0;
  std::vector<float> in(4096), fastOut(4096), refOut(4096);
  for (int n = 0; n < 4096; ++n) in[n] = static_cast<float>(0.5 * std::sin(0.05 * n));
  const float* inputs[2] = {in.data(), in.data()};
  for (auto [engine, out] : {std::pair{&fast, &fastOut}, std::pair{&reference, &refOut}}) {
    engine->SetParameters(params);
    engine->Reset(48000.0);
    float* outputs[2] = {out->data(), nullptr};
    engine->Process(inputs, outputs, 4096, false, nullptr, false);
  }
  EXPECT_EQ(fastOut, refOut);
}

}  // namespace
}  // namespace halcyra
