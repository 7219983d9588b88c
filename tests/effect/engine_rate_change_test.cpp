// One engine taken through several sample rates, reset at each, against a fresh engine made at that
// rate and fed the same blocks: Reset rebuilds everything the engine derives from the rate, so the
// two play the same samples to the last bit, over every recipe, with automation, on both maths
// paths. The transport stays stopped, since Clear keeps the transport state by design.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "effect/chorus_engine.h"
#include "effect/factory_recipes.h"
#include "tests/effect/engine_automation.h"

namespace halcyra {
namespace {

constexpr double kRates[] = {44100.0, 48000.0, 96000.0, 192000.0, 22050.0};
// Enough for the filters, the detector, the pitch ramps and the nearer voices to reach the output
// at every rate, and short enough for the sanitiser builds.
constexpr double kSecondsPerRate = 0.0125;

bool SameBits(const float* a, const float* b, int count) {
  return std::memcmp(a, b, sizeof(float) * static_cast<std::size_t>(count)) == 0;
}

// What the editor shows that the rate enters: the voices' delays, rates and motion, the effective
// depth and rate, the correlations and the meters.
bool SameMeasurement(const ChorusEngine& a, const ChorusEngine& b) {
  const DisplaySnapshot da = a.ReadDisplay(), db = b.ReadDisplay();
  const MeterSnapshot ma = a.ReadMeters(), mb = b.ReadMeters();
  const float scalarsA[] = {da.depthMs,    da.rateHz,      da.inputCorrelation, da.outputCorrelation,
                            da.envelopeDb, da.duckDb,      ma.inPeak,           ma.wetPeak,
                            ma.outPeak,    ma.outLeftPeak, ma.outRightPeak};
  const float scalarsB[] = {db.depthMs,    db.rateHz,      db.inputCorrelation, db.outputCorrelation,
                            db.envelopeDb, db.duckDb,      mb.inPeak,           mb.wetPeak,
                            mb.outPeak,    mb.outLeftPeak, mb.outRightPeak};
  return SameBits(da.voiceDelayMs, db.voiceDelayMs, kSnapshotVoices) &&
         SameBits(da.voiceRateHz, db.voiceRateHz, kSnapshotVoices) &&
         SameBits(da.voiceMotion, db.voiceMotion, kSnapshotVoices) &&
         SameBits(scalarsA, scalarsB, static_cast<int>(std::size(scalarsA))) &&
         da.sampleRate == db.sampleRate;
}

struct Outcome {
  long firstDifferentFrame = -1;
  bool measurementAgrees = true;
};

// Both engines set to `params` and reset at `rate`, then fed the same blocks and automation.
Outcome RunBoth(ChorusEngine& reused, ChorusEngine& fresh, float* params, double rate, BlockDriver& driver) {
  ChorusEngine* engines[] = {&reused, &fresh};
  for (ChorusEngine* engine : engines) {
    engine->SetParameters(params);
    engine->Reset(rate);
  }
  const TransportInput stopped{120.0, 0.0, false, true, false};
  std::vector<float> outL[2], outR[2];
  for (int e = 0; e < 2; ++e) outL[e].resize(BlockDriver::kMaxBlock), outR[e].resize(BlockDriver::kMaxBlock);
  Outcome outcome;
  const long total = static_cast<long>(kSecondsPerRate * rate);
  for (long frame = 0; frame < total;) {
    const int block = driver.Next(frame, params);
    for (int e = 0; e < 2; ++e) driver.Feed(*engines[e], params, stopped, outL[e].data(), outR[e].data());
    if (outcome.firstDifferentFrame < 0) {
      for (int n = 0; n < block; ++n) {
        if (!SameBits(&outL[0][n], &outL[1][n], 1) || !SameBits(&outR[0][n], &outR[1][n], 1)) {
          outcome.firstDifferentFrame = frame + n;
          break;
        }
      }
    }
    frame += block;
  }
  outcome.measurementAgrees = SameMeasurement(reused, fresh);
  return outcome;
}

TEST(EngineRateChange, AResetEngineSoundsExactlyLikeAFreshOneAtEveryRate) {
  const FactoryRecipe* recipes = FactoryRecipes();
  for (MathPath path : {MathPath::kFast, MathPath::kReference}) {
    const char* pathName = path == MathPath::kFast ? "fast" : "reference";
    for (int r = 0; r < kFactoryRecipeCount; ++r) {
      ChorusEngine reused(path);
      float params[kParamCount];
      std::copy(std::begin(recipes[r].values), std::end(recipes[r].values), params);
      BlockDriver driver(static_cast<uint64_t>(r) + 11, static_cast<uint64_t>(r) + 12);
      for (double rate : kRates) {
        ChorusEngine fresh(path);
        const Outcome o = RunBoth(reused, fresh, params, rate, driver);
        EXPECT_EQ(o.firstDifferentFrame, -1)
            << pathName << ": " << recipes[r].name << " after a reset to " << rate << " Hz";
        EXPECT_TRUE(o.measurementAgrees)
            << pathName << ": " << recipes[r].name << " after a reset to " << rate << " Hz";
      }
    }
  }
}

}  // namespace
}  // namespace halcyra
