#include "effect/factory_recipes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <limits>
#include <ostream>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace halcyra {
namespace {

enum Model : int {
  kDigitalClassic = 0,
  kDualStereo,
  kDimension,
  kEnsemble,
  kTriChorus,
  kAnalogBbd,
  kVintageEnsemble,
  kMicroPitch,
  kVibrato,
  kRandomChorus,
  kMultiBand,
  kDiffusedChorus,
};

int VoiceField(int voiceNumber, int field) { return VoiceParamIndex(voiceNumber - 1, field); }
int VoiceDetune(int voiceNumber) { return VoiceField(voiceNumber, kVoiceDetuneOffset); }
int VoicePanIndex(int voiceNumber) { return VoiceField(voiceNumber, kVoicePan); }

bool SameRecipe(const FactoryRecipe& a, const FactoryRecipe& b) {
  return a.name == b.name && std::equal(std::begin(a.values), std::end(a.values), std::begin(b.values));
}

// Declared first so that, in the default order, these threads make the table's very first calls.
TEST(FactoryRecipeTable, ConcurrentFirstCallsSeeOneCompleteTable) {
  constexpr int kThreads = 8;
  std::atomic<int> waiting{0};
  std::atomic<bool> start{false};
  std::vector<const FactoryRecipe*> seen(kThreads, nullptr);
  std::vector<std::vector<FactoryRecipe>> copies(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      waiting.fetch_add(1);
      while (!start.load(std::memory_order_acquire)) std::this_thread::yield();
      const FactoryRecipe* table = FactoryRecipes();
      seen[t] = table;
      copies[t].assign(table, table + kFactoryRecipeCount);
    });
  }
  while (waiting.load() < kThreads) std::this_thread::yield();
  start.store(true, std::memory_order_release);
  for (std::thread& thread : threads) thread.join();

  const FactoryRecipe* table = FactoryRecipes();
  ASSERT_NE(table, nullptr);
  EXPECT_STREQ(table[kFactoryRecipeCount - 1].name, "Petalon Space");
  for (int t = 0; t < kThreads; ++t) {
    SCOPED_TRACE(t);
    EXPECT_EQ(seen[t], table);
    for (int i = 0; i < kFactoryRecipeCount; ++i) EXPECT_TRUE(SameRecipe(copies[t][i], table[i])) << i;
  }
  EXPECT_EQ(FactoryRecipes(), table);
}

// One row of the recipe menu's shown columns.
struct MenuRow {
  int index;
  const char* name;
  int model;
  int voices;
  float mix;
  float depth;
  float rate;
  float baseDelay;
};

void PrintTo(const MenuRow& row, std::ostream* os) { *os << row.index << " \"" << row.name << "\""; }

const MenuRow kMenu[] = {
    {0, "Gentle Classic", kDigitalClassic, 2, 35, 3, 0.35f, 18},
    {1, "Digital Double", kDigitalClassic, 4, 35, 3.2f, 0.35f, 18},
    {2, "Wide Dual Stereo", kDualStereo, 4, 35, 3.2f, 0.35f, 18},
    {3, "Restrained Dimension", kDimension, 4, 35, 3.2f, 0.35f, 18},
    {4, "Silken Ensemble", kEnsemble, 4, 35, 3.2f, 0.35f, 18},
    {5, "Three Voice Guitar", kTriChorus, 3, 35, 3.2f, 0.35f, 18},
    {6, "Warm BBD", kAnalogBbd, 4, 35, 3.2f, 0.35f, 18},
    {7, "Vintage Strings", kVintageEnsemble, 4, 35, 3.2f, 0.35f, 18},
    {8, "Micro Pitch Spread", kMicroPitch, 4, 35, 3.2f, 0.35f, 18},
    {9, "Solo Vibrato", kVibrato, 1, 35, 1.5f, 0.35f, 7},
    {10, "Random Petalon", kRandomChorus, 4, 35, 3.2f, 0.35f, 18},
    {11, "Moving Bands", kMultiBand, 4, 35, 3.2f, 0.35f, 18},
    {12, "Diffused Halo", kDiffusedChorus, 4, 35, 3.2f, 0.35f, 18},
    {13, "Vocal Double", kMicroPitch, 3, 29, 3.3f, 0.24f, 21},
    {14, "Acoustic Shimmer", kDualStereo, 4, 36, 4, 0.36f, 24},
    {15, "Clean Electric", kDimension, 5, 43, 1.2f, 0.48f, 12},
    {16, "Piano Width", kEnsemble, 2, 22, 1.9f, 0.6f, 15},
    {17, "Pad Ensemble", kTriChorus, 3, 29, 2.6f, 0.72f, 18},
    {18, "String Swell", kAnalogBbd, 4, 36, 3.3f, 0.12f, 21},
    {19, "Bass Upper Petalon", kVintageEnsemble, 5, 43, 4, 0.24f, 24},
    {20, "Drum Air", kMicroPitch, 2, 22, 1.2f, 0.36f, 12},
    {21, "Subtle Master", kVibrato, 3, 10, 0.8f, 0.48f, 15},
    {22, "Slow Dimension", kDimension, 4, 36, 1.2f, 0.12f, 18},
    {23, "Deep Ensemble", kEnsemble, 6, 43, 5, 0.72f, 21},
    {24, "Bright Tri", kTriChorus, 3, 22, 4, 0.12f, 24},
    {25, "Dark BBD", kAnalogBbd, 3, 29, 1.2f, 0.24f, 12},
    {26, "Wandering Vintage", kVintageEnsemble, 4, 36, 1.9f, 0.36f, 15},
    {27, "Tight Micro Pitch", kMicroPitch, 5, 43, 2.6f, 0.48f, 18},
    {28, "Gentle Vibrato", kVibrato, 1, 100, 0.7f, 0.6f, 21},
    {29, "Random Drift", kRandomChorus, 3, 29, 4, 0.72f, 24},
    {30, "Split High Sparkle", kMultiBand, 4, 36, 1.2f, 0.12f, 12},
    {31, "Diffused Vocal", kDiffusedChorus, 5, 43, 1.9f, 0.24f, 15},
    {32, "Quarter Pulse", kMicroPitch, 2, 22, 2.6f, 0.36f, 18},
    {33, "Dotted Motion", kVibrato, 3, 29, 3.3f, 0.48f, 21},
    {34, "Hold Rhythm", kRandomChorus, 4, 36, 4, 0.6f, 24},
    {35, "Envelope Petalon", kMultiBand, 5, 43, 1.2f, 0.72f, 12},
    {36, "Ducked Guitar", kDiffusedChorus, 2, 22, 1.9f, 0.12f, 15},
    {37, "Neutral Calibration", kDigitalClassic, 2, 0, 3, 0.35f, 18},
    {38, "External Duck", kDigitalClassic, 2, 35, 3, 0.35f, 18},
    {39, "Petalon Space", kDiffusedChorus, 6, 55, 3, 0.35f, 30},
};

// The menu's last column: every further value that differs from the default, leaving out the voice
// delay offsets and rate ratios of recipes 13..36 and all pans.
struct OtherSetting {
  int recipe;
  int param;
  float value;
};

const OtherSetting kOtherSettings[] = {
    {8, kParamDetune, 7},
    {8, VoiceDetune(2), -14},
    {8, VoiceDetune(4), -14},
    {8, VoiceDetune(6), -14},
    {8, VoiceDetune(8), -14},
    {13, kParamDetune, 6},
    {13, kParamWetLp, 11500},
    {13, VoiceDetune(2), -12},
    {14, kParamWetLp, 14000},
    {15, kParamWetLp, 16500},
    {16, kParamWetLp, 9000},
    {17, kParamWetLp, 11500},
    {18, kParamWetLp, 14000},
    {19, kParamWetLp, 16500},
    {19, kParamMonoBass, 100},
    {19, kParamProcessBand, 3},
    {19, kParamSplitHigh, 700},
    {20, kParamWetLp, 9000},
    {21, kParamWetLp, 11500},
    {22, kParamWetLp, 14000},
    {23, kParamWetLp, 16500},
    {24, kParamWetLp, 9000},
    {24, kParamTone, 3},
    {25, kParamWetLp, 5000},
    {25, kParamAnalogDrive, 6},
    {26, kParamDrift, 15},
    {26, kParamWetLp, 14000},
    {27, kParamDetune, 5},
    {27, kParamWetLp, 16500},
    {27, VoiceDetune(2), -10},
    {28, kParamWetLp, 9000},
    {29, kParamDrift, 20},
    {29, kParamWetLp, 11500},
    {30, kParamWetLp, 14000},
    {30, kParamProcessBand, 3},
    {31, kParamWetLp, 16500},
    {31, kParamDiffusion, 40},
    {32, kParamSync, 1},
    {32, kParamWave, 1},
    {32, kParamWetLp, 9000},
    {33, kParamSync, 1},
    {33, kParamDivision, 7},
    {33, kParamWetLp, 11500},
    {34, kParamSync, 1},
    {34, kParamDivision, 5},
    {34, kParamWave, 6},
    {34, kParamWetLp, 14000},
    {35, kParamWetLp, 16500},
    {35, kParamEnvelopeDepth, 70},
    {35, kParamEnvelopeRate, 25},
    {36, kParamWetLp, 9000},
    {36, kParamDuck, 70},
    {36, kParamDuckThreshold, -30},
    {38, kParamEnvelopeDepth, 20},
    {38, kParamEnvelopeDetector, 2},
    {38, kParamDuck, 75},
    {39, kParamFeedback, 60},
    {39, kParamDiffusion, 80},
};

// The menu shows its columns rounded to three decimals; the recipes compute in 32-bit floats.
constexpr float kShownTolerance = 5e-4f;

constexpr int kFirstVariedRecipe = 13;
constexpr int kLastVariedRecipe = 36;
bool IsVariedRecipe(int index) { return index >= kFirstVariedRecipe && index <= kLastVariedRecipe; }

class RecipeMenu : public ::testing::TestWithParam<MenuRow> {};

TEST_P(RecipeMenu, MatchesItsRowAndKeepsEveryOtherDefault) {
  const MenuRow& row = GetParam();
  const FactoryRecipe& recipe = FactoryRecipes()[row.index];
  const float* v = recipe.values;
  EXPECT_STREQ(recipe.name, row.name);
  EXPECT_EQ(v[kParamModel], static_cast<float>(row.model));
  EXPECT_EQ(v[kParamVoices], static_cast<float>(row.voices));
  EXPECT_NEAR(v[kParamMix], row.mix, kShownTolerance);
  EXPECT_NEAR(v[kParamDepth], row.depth, kShownTolerance);
  EXPECT_NEAR(v[kParamRate], row.rate, kShownTolerance);
  EXPECT_NEAR(v[kParamBaseDelay], row.baseDelay, kShownTolerance);

  std::set<int> covered = {kParamModel, kParamVoices, kParamMix, kParamDepth, kParamRate, kParamBaseDelay};
  for (const OtherSetting& setting : kOtherSettings) {
    if (setting.recipe != row.index) continue;
    EXPECT_EQ(v[setting.param], setting.value) << GetParamDefinition(setting.param)->name;
    covered.insert(setting.param);
  }
  for (int i = 0; i < kParamCount; ++i) {
    const int field = VoiceFieldOfParam(i);
    if (covered.count(i) == 1 || field == kVoicePan) continue;
    if (IsVariedRecipe(row.index) && (field == kVoiceDelayOffset || field == kVoiceRateRatio)) continue;
    EXPECT_EQ(v[i], ParamDefault(i)) << GetParamDefinition(i)->name;
  }
}

INSTANTIATE_TEST_SUITE_P(AllRecipes, RecipeMenu, ::testing::ValuesIn(kMenu),
                         [](const ::testing::TestParamInfo<MenuRow>& info) {
                           return "Recipe" + std::to_string(info.param.index);
                         });

TEST(FactoryRecipes, FirstRecipeIsExactlyTheDefaults) {
  // Matching the current values against the recipes relies on this: a fresh instance shows recipe 0.
  const FactoryRecipe& recipe = FactoryRecipes()[0];
  for (int i = 0; i < kParamCount; ++i) EXPECT_EQ(recipe.values[i], ParamDefault(i)) << i;
}

// Voice N of recipes 13 to 36: its delay offset in ms and its rate ratio.
struct VariedVoice {
  int voice;
  float delayOffsetMs;
  float rateRatio;
};

TEST(FactoryRecipes, VariedRecipesOffsetVoiceDelaysAndRatesInAFixedPattern) {
  const VariedVoice voices[] = {{1, -1, 1.0f},  {2, 0, 1.027f}, {3, 1, 1.054f},  {4, -1, 1.081f},
                                {5, 0, 1.108f}, {6, 1, 1.135f}, {7, -1, 1.162f}, {8, 0, 1.189f}};
  for (int index = kFirstVariedRecipe; index <= kLastVariedRecipe; ++index) {
    SCOPED_TRACE(index);
    const float* v = FactoryRecipes()[index].values;
    for (const VariedVoice& voice : voices) {
      EXPECT_EQ(v[VoiceField(voice.voice, kVoiceDelayOffset)], voice.delayOffsetMs) << voice.voice;
      EXPECT_FLOAT_EQ(v[VoiceField(voice.voice, kVoiceRateRatio)], voice.rateRatio) << voice.voice;
    }
  }
}

// Marks a pan that keeps the value it had before the spread.
constexpr float kKept = std::numeric_limits<float>::quiet_NaN();

struct PanCase {
  int recipe;
  std::array<float, kVoiceCount> pans;
};

TEST(FactoryRecipes, SpreadThePansOfTheVoicesInUse) {
  const PanCase cases[] = {
      {0, {-100, 100, kKept, kKept, kKept, kKept, kKept, kKept}},
      {1, {-100, -100.0f / 3, 100.0f / 3, 100, kKept, kKept, kKept, kKept}},
      {5, {-100, 0, 100, kKept, kKept, kKept, kKept, kKept}},     // Tri Chorus, 3 voices
      {9, {0, kKept, kKept, kKept, kKept, kKept, kKept, kKept}},  // Vibrato, one voice
      {15, {-100, -50, 0, 50, 100, kKept, kKept, kKept}},
      {21, {0, kKept, kKept, kKept, kKept, kKept, kKept, kKept}},  // Vibrato asking for 3 voices
      {23, {-100, -60, -20, 20, 60, 100, kKept, kKept}},
      {39, {-100, -60, -20, 20, 60, 100, kKept, kKept}},
  };
  for (const PanCase& c : cases) {
    SCOPED_TRACE(c.recipe);
    const float* v = FactoryRecipes()[c.recipe].values;
    for (int voice = 1; voice <= kVoiceCount; ++voice) {
      const int index = VoicePanIndex(voice);
      const float expected = std::isnan(c.pans[voice - 1]) ? ParamDefault(index) : c.pans[voice - 1];
      EXPECT_FLOAT_EQ(v[index], expected) << "voice " << voice;
    }
  }
}

struct SpreadCase {
  float model;
  float voices;
  std::array<float, kVoiceCount> pans;
};

TEST(SpreadRecipePans, CapsTriChorusAndVibratoAndTouchesNothingElse) {
  constexpr float kMarker = 12.5f;  // a pan no spread produces
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const SpreadCase cases[] = {
      {kTriChorus, 4, {-100, 0, 100, kKept, kKept, kKept, kKept, kKept}},
      {kTriChorus, 8, {-100, 0, 100, kKept, kKept, kKept, kKept, kKept}},
      {kTriChorus, 2, {-100, 100, kKept, kKept, kKept, kKept, kKept, kKept}},
      {kVibrato, 8, {0, kKept, kKept, kKept, kKept, kKept, kKept, kKept}},
      {kDigitalClassic, 1, {0, kKept, kKept, kKept, kKept, kKept, kKept, kKept}},
      {kEnsemble, 8, {-100, -500.0f / 7, -300.0f / 7, -100.0f / 7, 100.0f / 7, 300.0f / 7, 500.0f / 7, 100}},
      // Values outside the parameters' ranges are read as the engine reads them.
      {kEnsemble, 12, {-100, -500.0f / 7, -300.0f / 7, -100.0f / 7, 100.0f / 7, 300.0f / 7, 500.0f / 7, 100}},
      {kEnsemble, nan, {-100, 100, kKept, kKept, kKept, kKept, kKept, kKept}},
      {kEnsemble, 0, {0, kKept, kKept, kKept, kKept, kKept, kKept, kKept}},
      {4.4f, 6, {-100, 0, 100, kKept, kKept, kKept, kKept, kKept}},
  };
  for (const SpreadCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "model " << c.model << ", voices " << c.voices);
    std::array<float, kParamCount> values{};
    FillParamDefaults(values.data());
    values[kParamModel] = c.model;
    values[kParamVoices] = c.voices;
    for (int voice = 1; voice <= kVoiceCount; ++voice) values[VoicePanIndex(voice)] = kMarker;
    const std::array<float, kParamCount> before = values;

    SpreadRecipePans(values.data());

    for (int i = 0; i < kParamCount; ++i) {
      if (VoiceFieldOfParam(i) == kVoicePan) continue;
      if (std::isnan(before[i])) {
        EXPECT_TRUE(std::isnan(values[i])) << i;
      } else {
        EXPECT_EQ(values[i], before[i]) << i;
      }
    }
    for (int voice = 1; voice <= kVoiceCount; ++voice) {
      const float expected = std::isnan(c.pans[voice - 1]) ? kMarker : c.pans[voice - 1];
      EXPECT_FLOAT_EQ(values[VoicePanIndex(voice)], expected) << "voice " << voice;
    }
  }
}

TEST(FactoryRecipes, EveryValueIsAValidParameterValue) {
  for (int index = 0; index < kFactoryRecipeCount; ++index) {
    SCOPED_TRACE(index);
    const float* v = FactoryRecipes()[index].values;
    float sanitized[kParamCount];
    SanitizeParams(v, sanitized);
    for (int i = 0; i < kParamCount; ++i) {
      ASSERT_TRUE(std::isfinite(v[i])) << i;
      EXPECT_EQ(sanitized[i], v[i]) << GetParamDefinition(i)->name;
    }
  }
}

// The menu names each recipe once. That no recipe's values hide another's from the menu's matcher is
// the plug-in's to show: it asks its matcher after recalling each (halcyra_test).
TEST(FactoryRecipes, NamesAreDistinct) {
  const FactoryRecipe* table = FactoryRecipes();
  std::set<std::string> names;
  for (int a = 0; a < kFactoryRecipeCount; ++a) {
    ASSERT_NE(table[a].name, nullptr);
    EXPECT_TRUE(names.insert(table[a].name).second) << table[a].name;
  }
}

}  // namespace
}  // namespace halcyra
