// Replaces the global allocator in this binary so that any allocation inside Process fails the test.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "effect/chorus_engine.h"

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
    for (int call = 0; call < 1200; ++call) {
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

}  // namespace
}  // namespace halcyra
