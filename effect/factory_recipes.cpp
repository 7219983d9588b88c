#include "effect/factory_recipes.h"

#include <array>
#include <iterator>

#include "effect/voice_state.h"

namespace halcyra {
namespace {

// Menu texts, in menu order: the default set, one recipe per structure, the varied recipes, then three
// hand-made ones.
constexpr const char* kRecipeNames[] = {
    "Gentle Classic",
    // 1..12
    "Digital Double",
    "Wide Dual Stereo",
    "Restrained Dimension",
    "Silken Ensemble",
    "Three Voice Guitar",
    "Warm BBD",
    "Vintage Strings",
    "Micro Pitch Spread",
    "Solo Vibrato",
    "Random Petalon",
    "Moving Bands",
    "Diffused Halo",
    // 13..36
    "Vocal Double",
    "Acoustic Shimmer",
    "Clean Electric",
    "Piano Width",
    "Pad Ensemble",
    "String Swell",
    "Bass Upper Petalon",
    "Drum Air",
    "Subtle Master",
    "Slow Dimension",
    "Deep Ensemble",
    "Bright Tri",
    "Dark BBD",
    "Wandering Vintage",
    "Tight Micro Pitch",
    "Gentle Vibrato",
    "Random Drift",
    "Split High Sparkle",
    "Diffused Vocal",
    "Quarter Pulse",
    "Dotted Motion",
    "Hold Rhythm",
    "Envelope Petalon",
    "Ducked Guitar",
    // 37..39
    "Neutral Calibration",
    "External Duck",
    "Petalon Space",
};
static_assert(std::size(kRecipeNames) == kFactoryRecipeCount, "one name per recipe");

constexpr int VoiceIndex(int voiceNumber, int field) { return VoiceParamIndex(voiceNumber - 1, field); }

// Recipes 1..12 present one structure each, model i - 1.
constexpr int kFirstStructureRecipe = 1;
constexpr int kLastStructureRecipe = 12;
constexpr int kTriChorusShowcase = 5;
constexpr int kMicroPitchShowcase = 8;
constexpr int kVibratoShowcase = 9;

void ApplyStructureShowcase(int recipe, float* values) {
  values[kParamModel] = static_cast<float>(recipe - kFirstStructureRecipe);
  values[kParamMix] = 35.0f;
  values[kParamVoices] = recipe == kTriChorusShowcase ? 3.0f : recipe == kVibratoShowcase ? 1.0f : 4.0f;
  const bool vibrato = recipe == kVibratoShowcase;
  values[kParamDepth] = vibrato ? 1.5f : 3.2f;
  values[kParamBaseDelay] = vibrato ? 7.0f : 18.0f;
  if (recipe == kMicroPitchShowcase) {
    // Pairs of voices a little apart in pitch: odd voices on the global detune, even ones below it.
    values[kParamDetune] = 7.0f;
    for (int voice = 1; voice <= kVoiceCount; ++voice) {
      values[VoiceIndex(voice, kVoiceDetuneOffset)] = voice % 2 == 0 ? -14.0f : 0.0f;
    }
  }
}

// Recipes 13..36 step through the structures twice while the main controls cycle with their own
// periods. The arithmetic is in 32-bit floats, as the values are stored.
constexpr int kFirstVariedRecipe = 13;
constexpr int kLastVariedRecipe = 36;
constexpr float kVariedDelayOffsets[kVoiceCount] = {-1.0f, 0.0f, 1.0f, -1.0f, 0.0f, 1.0f, -1.0f, 0.0f};
constexpr float kVariedRateRatioStep = 0.027f;

void ApplyVariation(int recipe, float* values) {
  const float mod4 = static_cast<float>(recipe % 4);
  const float mod5 = static_cast<float>(recipe % 5);
  const float mod6 = static_cast<float>(recipe % 6);
  values[kParamModel] = static_cast<float>((recipe - kFirstVariedRecipe) % kStructureCount);
  values[kParamMix] = mod4 * 7.0f + 22.0f;
  values[kParamDepth] = mod5 * 0.7f + 1.2f;
  values[kParamRate] = mod6 * 0.12f + 0.12f;
  values[kParamVoices] = mod4 + 2.0f;
  values[kParamBaseDelay] = mod5 * 3.0f + 12.0f;
  values[kParamWetLp] = mod4 * 2500.0f + 9000.0f;
  for (int voice = 1; voice <= kVoiceCount; ++voice) {
    values[VoiceIndex(voice, kVoiceDelayOffset)] = kVariedDelayOffsets[voice - 1];
    values[VoiceIndex(voice, kVoiceRateRatio)] = 1.0f + kVariedRateRatioStep * static_cast<float>(voice - 1);
  }
}

// Hand-set values that replace what the rules above gave.
struct RecipeSetting {
  int recipe;
  int param;
  float value;
};

constexpr RecipeSetting kRecipeSettings[] = {
    {13, kParamModel, 7.0f},
    {13, kParamDetune, 6.0f},
    {13, VoiceIndex(2, kVoiceDetuneOffset), -12.0f},
    {19, kParamProcessBand, 3.0f},
    {19, kParamMonoBass, 100.0f},
    {19, kParamSplitHigh, 700.0f},
    {21, kParamMix, 10.0f},
    {21, kParamDepth, 0.8f},
    {21, kParamFeedback, 0.0f},
    {22, kParamModel, 2.0f},
    {22, kParamRate, 0.12f},
    {22, kParamDepth, 1.2f},
    {23, kParamModel, 3.0f},
    {23, kParamVoices, 6.0f},
    {23, kParamDepth, 5.0f},
    {24, kParamModel, 4.0f},
    {24, kParamVoices, 3.0f},
    {24, kParamTone, 3.0f},
    {25, kParamModel, 5.0f},
    {25, kParamWetLp, 5000.0f},
    {25, kParamAnalogDrive, 6.0f},
    {26, kParamModel, 6.0f},
    {26, kParamDrift, 15.0f},
    {27, kParamModel, 7.0f},
    {27, kParamDetune, 5.0f},
    {27, VoiceIndex(2, kVoiceDetuneOffset), -10.0f},
    {28, kParamModel, 8.0f},
    {28, kParamVoices, 1.0f},
    {28, kParamMix, 100.0f},
    {28, kParamDepth, 0.7f},
    {29, kParamModel, 9.0f},
    {29, kParamDrift, 20.0f},
    {30, kParamModel, 10.0f},
    {30, kParamProcessBand, 3.0f},
    {31, kParamModel, 11.0f},
    {31, kParamDiffusion, 40.0f},
    {32, kParamSync, 1.0f},
    {32, kParamDivision, 4.0f},
    {32, kParamWave, 1.0f},
    {33, kParamSync, 1.0f},
    {33, kParamDivision, 7.0f},
    {34, kParamSync, 1.0f},
    {34, kParamDivision, 5.0f},
    {34, kParamWave, 6.0f},
    {35, kParamEnvelopeDepth, 70.0f},
    {35, kParamEnvelopeRate, 25.0f},
    {36, kParamDuck, 70.0f},
    {36, kParamDuckThreshold, -30.0f},
    // Recipe 37 is the defaults with the wet path muted: no rule above touches it.
    {37, kParamMix, 0.0f},
    {38, kParamEnvelopeDetector, 2.0f},
    {38, kParamDuck, 75.0f},
    {38, kParamEnvelopeDepth, 20.0f},
    {39, kParamModel, 11.0f},
    {39, kParamVoices, 6.0f},
    {39, kParamDiffusion, 80.0f},
    {39, kParamFeedback, 60.0f},
    {39, kParamMix, 55.0f},
    {39, kParamBaseDelay, 30.0f},
};

void BuildRecipe(int recipe, FactoryRecipe& out) {
  out.name = kRecipeNames[recipe];
  FillParamDefaults(out.values);
  if (recipe >= kFirstStructureRecipe && recipe <= kLastStructureRecipe) {
    ApplyStructureShowcase(recipe, out.values);
  }
  if (recipe >= kFirstVariedRecipe && recipe <= kLastVariedRecipe) ApplyVariation(recipe, out.values);
  for (const RecipeSetting& setting : kRecipeSettings) {
    if (setting.recipe == recipe) out.values[setting.param] = setting.value;
  }
  SpreadRecipePans(out.values);
}

std::array<FactoryRecipe, kFactoryRecipeCount> BuildRecipes() {
  std::array<FactoryRecipe, kFactoryRecipeCount> recipes{};
  for (int i = 0; i < kFactoryRecipeCount; ++i) BuildRecipe(i, recipes[i]);
  return recipes;
}

}  // namespace

const FactoryRecipe* FactoryRecipes() {
  // A function-local static: the language makes concurrent first calls wait for one construction.
  static const std::array<FactoryRecipe, kFactoryRecipeCount> recipes = BuildRecipes();
  return recipes.data();
}

void SpreadRecipePans(float values[kParamCount]) {
  if (values == nullptr) return;
  const int model = static_cast<int>(SanitizeParamValue(kParamModel, values[kParamModel]));
  const int voices =
      ActiveVoiceCount(model, static_cast<int>(SanitizeParamValue(kParamVoices, values[kParamVoices])));
  // The sanitised count is 1..8, so the spread stays inside the voice slots.
  if (voices == 1) {
    values[VoiceIndex(1, kVoicePan)] = 0.0f;
    return;
  }
  for (int voice = 1; voice <= voices; ++voice) {
    const double pan = static_cast<double>(voice - 1) * 200.0 / static_cast<double>(voices - 1) - 100.0;
    values[VoiceIndex(voice, kVoicePan)] = static_cast<float>(pan);
  }
}

}  // namespace halcyra
