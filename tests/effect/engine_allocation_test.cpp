// Replaces the global allocator in this binary so that any allocation inside Process fails the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "effect/chorus_engine.h"
#include "effect/factory_recipes.h"

namespace {
std::atomic<bool> g_counting{false};
std::atomic<long> g_allocations{0};

void* CountedAllocate(std::size_t size) {
  if (g_counting.load(std::memory_order_relaxed)) g_allocations.fetch_add(1, std::memory_order_relaxed);
  void* block = std::malloc(size == 0 ? 1 : size);
  return block;
}

// Out of line so that the compiler cannot pair an inlined free with operator new.
__attribute__((noinline)) void CountedRelease(void* block) noexcept { std::free(block); }
}  // namespace

void* operator new(std::size_t size) {
  void* block = CountedAllocate(size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return CountedAllocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return CountedAllocate(size); }
void operator delete(void* block) noexcept { CountedRelease(block); }
void operator delete[](void* block) noexcept { CountedRelease(block); }
void operator delete(void* block, std::size_t) noexcept { CountedRelease(block); }
void operator delete[](void* block, std::size_t) noexcept { CountedRelease(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { CountedRelease(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { CountedRelease(block); }

namespace halcyra {
namespace {

TEST(EngineAllocationTest, CounterSeesAllocations) {
  g_allocations = 0;
  g_counting = true;
  std::vector<int>* probe = new std::vector<int>(10);
  g_counting = false;
  delete probe;
  EXPECT_GE(g_allocations.load(), 1);
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
    g_allocations = 0;
    g_counting = true;
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
    g_counting = false;
    EXPECT_EQ(g_allocations.load(), 0) << rate;
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

// Runs blocks of hostile input with a sidechain, counting the allocations inside the engine's calls;
// false at the first output sample that is not finite or not within `bound`.
bool RunHostileBlocks(ChorusEngine& engine, int blocks, double bound, std::string& failure) {
  constexpr int kFrames = 512;
  std::vector<float> inL(kFrames), inR(kFrames), outL(kFrames), outR(kFrames);
  const float* in[2] = {inL.data(), inR.data()};
  float* out[2] = {outL.data(), outR.data()};
  for (int block = 0; block < blocks; ++block) {
    FillHostileInput(inL, inR, block);
    g_counting = true;
    engine.SetTransport(120.0, block * 0.5, true, true, true);
    engine.Process(in, out, kFrames, false, in, true);
    g_counting = false;
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
      g_allocations = 0;
      std::string failure;
      const bool bounded = RunHostileBlocks(*engine, 3, 64.0, failure);
      EXPECT_TRUE(bounded) << recipes[r].name << " at " << rate << " Hz, " << failure;
      EXPECT_EQ(g_allocations.load(), 0) << recipes[r].name << " at " << rate;
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
      g_allocations = 0;
      std::string failure;
      const bool bounded = RunHostileBlocks(*engine, 8, 1e7, failure);
      EXPECT_TRUE(bounded) << rate << " set " << (set - sets[0]) << " " << failure;
      EXPECT_EQ(g_allocations.load(), 0);
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
  g_allocations = 0;
  g_counting = true;
  for (int call = 0; call < 64; ++call) {
    engine->SetDisplayReaderPresent(call % 16 < 12);
    params[kParamAnalyzer] = static_cast<float>(call % 32 < 28);
    engine->SetParameters(params);
    engine->Process(in, out, 1 + (call * 97) % 512, false, nullptr, false);
  }
  g_counting = false;
  EXPECT_EQ(g_allocations.load(), 0);
}

}  // namespace
}  // namespace halcyra
