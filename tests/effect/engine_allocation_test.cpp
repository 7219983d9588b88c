// The engine's processing road allocates nothing: every call of Process and SetParameters runs under
// the program's counting allocator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "effect/chorus_engine.h"
#include "effect/factory_recipes.h"
#include "tests/core/counting_allocator.h"

namespace halcyra {
namespace {

using plugfw::test::AllocationCounter;

TEST(EngineAllocationTest, CounterSeesAllocations) {
  std::vector<int>* probe = nullptr;
  long seen = 0;
  {
    AllocationCounter counter;
    probe = new std::vector<int>(10);
    seen = counter.Count();
  }
  delete probe;
  EXPECT_GE(seen, 1);
}

TEST(EngineAllocationTest, ProcessNeverAllocates) {
  const double rates[] = {8000.0, 48000.0, 384000.0};
  std::vector<float> inL(512), inR(512), outL(512), outR(512);
  for (int n = 0; n < 512; ++n) {
    inL[n] = static_cast<float>((n % 97) / 97.0 - 0.5);
    inR[n] = static_cast<float>((n % 53) / 53.0 - 0.5);
  }
  const float* in[2] = {inL.data(), inR.data()};
  float* out[2] = {outL.data(), outR.data()};
  for (double rate : rates) {
    auto engine = std::make_unique<ChorusEngine>();
    float params[kParamCount];
    FillParamDefaults(params);
    engine->SetParameters(params);
    engine->Reset(rate);
    AllocationCounter counter;
    for (int call = 0; call < 700; ++call) {
      params[kParamModel] = static_cast<float>((call / 10) % kStructureCount);
      params[kParamVoices] = static_cast<float>(1 + (call / 120) % 8);
      params[kParamSync] = static_cast<float>((call / 7) % 2);
      params[kParamDetune] = (call / 13) % 2 ? 12.0f : 0.0f;
      params[kParamDepth] = static_cast<float>(call % 20);
      params[kParamDrift] = 50.0f;
      params[kParamHumanize] = 50.0f;
      params[kParamInterpolation] = static_cast<float>((call / 31) % 2);
      engine->SetParameters(params);
      engine->SetTransport(120.0, call * 0.1, (call / 50) % 2 == 0, true, true);
      const int frames = 1 + (call * 37) % 512;
      engine->Process(in, out, frames, call % 300 == 0, nullptr, false);
    }
    EXPECT_EQ(counter.Count(), 0) << rate;
  }
}

// Deterministic program material with the faults a host can hand over: NaN and infinities.
void FillHostileInput(std::vector<float>& left, std::vector<float>& right, int block) {
  uint32_t state = 0x9E3779B9u + static_cast<uint32_t>(block);
  for (size_t n = 0; n < left.size(); ++n) {
    state = state * 1664525u + 1013904223u;
    const float x = static_cast<float>(state >> 8) / 8388608.0f - 1.0f;
    left[n] = x;
    right[n] = 0.5f * x + 0.3f * static_cast<float>(std::sin(0.01 * static_cast<double>(n)));
  }
  const float faults[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity()};
  left[(block * 37) % left.size()] = faults[block % 3];
  right[(block * 91) % right.size()] = faults[(block + 1) % 3];
}

// Runs blocks of hostile input with a sidechain; false at the first output sample that is not finite
// or not within `bound`. `allocations` counts what the engine's calls allocated.
bool RunHostileBlocks(ChorusEngine& engine, int blocks, double bound, std::string& failure,
                      long& allocations) {
  constexpr int kFrames = 512;
  std::vector<float> inL(kFrames), inR(kFrames), outL(kFrames), outR(kFrames);
  const float* in[2] = {inL.data(), inR.data()};
  float* out[2] = {outL.data(), outR.data()};
  for (int block = 0; block < blocks; ++block) {
    FillHostileInput(inL, inR, block);
    {
      AllocationCounter counter;
      engine.SetTransport(120.0, block * 0.5, true, true, true);
      engine.Process(in, out, kFrames, false, in, true);
      allocations += counter.Count();
    }
    for (int n = 0; n < kFrames; ++n) {
      for (float x : {outL[n], outR[n]}) {
        if (!std::isfinite(x) || std::fabs(x) > bound) {
          failure =
              "block " + std::to_string(block) + " frame " + std::to_string(n) + ": " + std::to_string(x);
          return false;
        }
      }
    }
  }
  return true;
}

TEST(EngineSoakTest, EveryRecipeAtEveryRateStaysFiniteBoundedAndAllocationFree) {
  const FactoryRecipe* recipes = FactoryRecipes();  // built before counting: first use allocates
  const double rates[] = {8000.0, 22050.0, 44100.0, 48000.0, 96000.0, 192000.0, 384000.0};
  auto engine = std::make_unique<ChorusEngine>();
  for (double rate : rates) {
    for (int r = 0; r < kFactoryRecipeCount; ++r) {
      engine->SetParameters(recipes[r].values);
      engine->Reset(rate);
      long allocations = 0;
      std::string failure;
      const bool bounded = RunHostileBlocks(*engine, 3, 64.0, failure, allocations);
      EXPECT_TRUE(bounded) << recipes[r].name << " at " << rate << " Hz, " << failure;
      EXPECT_EQ(allocations, 0) << recipes[r].name << " at " << rate;
    }
  }
}

// Every parameter at its minimum, then at its maximum, then NaN: extreme but never unbounded.
TEST(EngineSoakTest, ExtremeAndNonFiniteParametersStayFinite) {
  float lowest[kParamCount], highest[kParamCount], nan[kParamCount];
  for (int p = 0; p < kParamCount; ++p) {
    lowest[p] = GetParamDefinition(p)->minValue;
    highest[p] = GetParamDefinition(p)->maxValue;
    nan[p] = std::numeric_limits<float>::quiet_NaN();
  }
  highest[kParamBypass] = 0;
  highest[kParamMonitor] = 0;
  const float* sets[] = {lowest, highest, nan};
  for (double rate : {8000.0, 48000.0, 384000.0}) {
    for (const float* set : sets) {
      auto engine = std::make_unique<ChorusEngine>();
      engine->SetParameters(set);
      engine->Reset(rate);
      long allocations = 0;
      std::string failure;
      const bool bounded = RunHostileBlocks(*engine, 8, 1e7, failure, allocations);
      EXPECT_TRUE(bounded) << rate << " set " << (set - sets[0]) << " " << failure;
      EXPECT_EQ(allocations, 0);
    }
  }
}

// With the noise off, zero in gives exactly zero out for every recipe, from the first sample on.
TEST(EngineSoakTest, EveryRecipeIsExactlySilentOnSilence) {
  const FactoryRecipe* recipes = FactoryRecipes();
  std::vector<float> zeros(512, 0.0f), outL(512), outR(512);
  const float* in[2] = {zeros.data(), zeros.data()};
  float* out[2] = {outL.data(), outR.data()};
  for (int r = 0; r < kFactoryRecipeCount; ++r) {
    float values[kParamCount];
    std::copy(recipes[r].values, recipes[r].values + kParamCount, values);
    values[kParamAnalogNoise] = 0;
    auto engine = std::make_unique<ChorusEngine>();
    engine->SetParameters(values);
    engine->Reset(48000.0);
    for (int block = 0; block < 20; ++block) {
      engine->Process(in, out, 512, false, nullptr, false);
      for (int n = 0; n < 512; ++n) {
        ASSERT_EQ(outL[n], 0.0f) << recipes[r].name << " block " << block << " frame " << n;
        ASSERT_EQ(outR[n], 0.0f) << recipes[r].name << " block " << block << " frame " << n;
      }
    }
  }
}

// With the editor reading, the spectra run too, and its arrival works them out at once: still
// nothing allocates.
TEST(EngineAllocationTest, MeasurementForAReaderNeverAllocates) {
  auto engine = std::make_unique<ChorusEngine>();
  float params[kParamCount];
  FillParamDefaults(params);
  params[kParamVoices] = 8;
  engine->SetParameters(params);
  engine->Reset(48000.0);
  std::vector<float> inL(512, 0.25f), inR(512, -0.25f), outL(512), outR(512);
  const float* in[2] = {inL.data(), inR.data()};
  float* out[2] = {outL.data(), outR.data()};
  AllocationCounter counter;
  for (int call = 0; call < 64; ++call) {
    engine->SetDisplayReaderPresent(call % 16 < 12);
    params[kParamAnalyzer] = static_cast<float>(call % 32 < 28);
    engine->SetParameters(params);
    engine->Process(in, out, 1 + (call * 97) % 512, false, nullptr, false);
  }
  EXPECT_EQ(counter.Count(), 0);
}

}  // namespace
}  // namespace halcyra
