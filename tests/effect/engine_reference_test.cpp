// The fast engine against its reference path, which computes every transcendental function
// exactly and runs every stage on every sample with nothing skipped or cached: over every factory
// recipe at three rates, with random automation that also switches stages fully out and back in,
// and random block sizes, the two outputs never differ by more than 1e-6 (-120 dBFS) on any sample.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "effect/chorus_engine.h"
#include "effect/factory_recipes.h"
#include "tests/effect/engine_automation.h"

namespace halcyra {
namespace {

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
  BlockDriver driver(seed, seed + 1);
  const long total = static_cast<long>(0.12 * rate);
  std::vector<float> outL[3], outR[3];
  for (int e = 0; e < 3; ++e) outL[e].resize(BlockDriver::kMaxBlock), outR[e].resize(BlockDriver::kMaxBlock);
  FastPaths differences;
  Difference* tracked[] = {nullptr, &differences.baseline, &differences.wide};
  for (long frame = 0; frame < total;) {
    const int block = driver.Next(frame, params);
    const TransportInput transport{120.0, frame / rate * 2.0, true, true, true};
    for (int e = 0; e < 3; ++e) driver.Feed(*engines[e], params, transport, outL[e].data(), outR[e].data());
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
