#include "effect/halcyra.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "effect/factory_recipes.h"
#include "effect/state_chunk.h"

namespace halcyra {
namespace {

using plugfw::HeapBuffer;
using plugfw::IODirection;
using Call = plugfw::test::HeadlessWrapper::Call;

std::unique_ptr<Halcyra> MakePlugin() {
  auto plugin = CreatePluginInstance({});
  EXPECT_NE(plugin, nullptr);
  return plugin;
}

// Tails worked out by hand from the tail rule: 0.24 s for every pass of the feedback loop until it
// is 200 dB down (one pass without feedback), 47 × 0.0432 = 2.0304 s while diffusion is in,
// 4 ln(1e10) / (10π) = 2.9317424 s for the filters and 0.1 s more; in samples, rounded up.
constexpr int32_t kDefaultTail = 157044;         // 3.2717424 s at 48 kHz
constexpr int32_t kDefaultTailAt96kHz = 314088;  // the same at 96 kHz
constexpr int32_t kHalfFeedbackTail = 548724;    // feedback 50 %: 35 passes, 11.4317424 s
constexpr int32_t kPetalonSpaceTail = 784423;    // recipe 39: 60 %, 47 passes, diffused: 16.3421424 s
constexpr int32_t kDiffusedVocalTail = 254503;   // recipe 31: diffusion 40 %, one pass: 5.3021424 s

HeapBuffer StateOf(const Halcyra& plugin) {
  HeapBuffer chunk;
  EXPECT_TRUE(plugin.WriteState(chunk));
  return chunk;
}

bool SameBytes(const HeapBuffer& a, const HeapBuffer& b) {
  return a.Size() == b.Size() && std::memcmp(a.Data(), b.Data(), a.Size()) == 0;
}

// A legal value for every parameter, drawn at random within its range.
void RandomValidValues(std::mt19937& random, float values[kParamCount]) {
  for (int i = 0; i < kParamCount; ++i) {
    const ParamDefinition& definition = *GetParamDefinition(i);
    std::uniform_real_distribution<float> within(definition.minValue, definition.maxValue);
    values[i] = definition.kind == ParamKind::kStepped ? std::round(within(random)) : within(random);
  }
}

TEST(Halcyra, ConstructionDefinesTheParametersFromTheTable) {
  auto plugin = MakePlugin();
  ASSERT_EQ(plugin->NParams(), kParamCount);
  EXPECT_STREQ(plugin->PluginName(), "HALCYRA");
  EXPECT_STREQ(plugin->MakerName(), "KESTRALYN");
  EXPECT_EQ(plugin->UniqueId(), plugfw::FourCharCode("Hlcy"));
  EXPECT_EQ(plugin->VersionNumber(), 256);
  EXPECT_EQ(plugin->MinEditorWidth(), 393);
  EXPECT_EQ(plugin->MaxEditorHeight(), 2400);
  for (int i = 0; i < kParamCount; ++i) {
    const ParamDefinition& definition = *GetParamDefinition(i);
    const plugfw::IParam& param = *plugin->GetParam(i);
    SCOPED_TRACE(definition.name);
    EXPECT_STREQ(param.Name(), definition.name);
    EXPECT_EQ(param.Value(), static_cast<double>(definition.defaultValue));
    EXPECT_EQ(param.Min(), static_cast<double>(definition.minValue));
    EXPECT_EQ(param.Max(), static_cast<double>(definition.maxValue));
    EXPECT_EQ(param.Step(), ParamStep(definition.kind));
    if (definition.kind == ParamKind::kStepped) {
      const int min = static_cast<int>(definition.minValue);
      EXPECT_EQ(param.DisplayTextCount(), static_cast<int>(definition.maxValue) - min + 1);
      plugfw::HeapString shown;
      param.FormatParamDisplay(min, false, shown);
      EXPECT_STREQ(shown.Get(), ParamValueLabel(i, min));
    }
  }
  // The exponential shape puts a rate's geometric middle at the middle of the knob.
  const plugfw::IParam& rate = *plugin->GetParam(FindParamIndex("rate"));
  EXPECT_NEAR(rate.FromNormalized(0.5), std::sqrt(rate.Min() * rate.Max()), 1e-3);
}

TEST(Halcyra, ConstructionStoresTheRecipesAsPresetsAndTheDefaultsAsTheOtherBank) {
  auto plugin = MakePlugin();
  ASSERT_EQ(plugin->NPresets(), kFactoryRecipeCount);
  for (int r = 0; r < kFactoryRecipeCount; ++r) {
    const plugfw::PluginPreset& preset = *plugin->GetPreset(r);
    SCOPED_TRACE(FactoryRecipes()[r].name);
    EXPECT_TRUE(preset.initialised);
    EXPECT_STREQ(preset.name, FactoryRecipes()[r].name);
    StateChunkContents state;
    ASSERT_TRUE(ParseStateChunk(preset.chunk, 0, state));
    EXPECT_EQ(state.recipeIndex, r);
    EXPECT_EQ(state.activeBank, 0);
    EXPECT_EQ(std::memcmp(state.current, FactoryRecipes()[r].values, sizeof state.current), 0);
    EXPECT_EQ(std::memcmp(state.inactive, FactoryRecipes()[r].values, sizeof state.inactive), 0);
  }
  for (int i = 0; i < kParamCount; ++i) EXPECT_EQ(plugin->InactiveBankValue(i), ParamDefault(i));
  EXPECT_EQ(plugin->RecipeIndex(), 0);
  EXPECT_FALSE(plugin->ActiveBank());
  EXPECT_FALSE(plugin->IsActive());
  EXPECT_EQ(plugin->TailSamples(), kDefaultTail);
}

TEST(Halcyra, DefaultStateIsTheDefaultChunk) {
  auto plugin = MakePlugin();
  float defaults[kParamCount];
  FillParamDefaults(defaults);
  HeapBuffer expected;
  ASSERT_TRUE(WriteStateChunk(expected, defaults, defaults, 0, 0));
  EXPECT_TRUE(SameBytes(StateOf(*plugin), expected));
}

TEST(Halcyra, RandomValidStatesRoundTripBitExactly) {
  std::mt19937 random(20261210);
  for (int round = 0; round < 25; ++round) {
    float current[kParamCount];
    float inactive[kParamCount];
    RandomValidValues(random, current);
    RandomValidValues(random, inactive);
    HeapBuffer chunk;
    chunk.Append("pre", 3);
    ASSERT_TRUE(WriteStateChunk(chunk, current, inactive, round % kFactoryRecipeCount, round % 2));
    auto plugin = MakePlugin();
    ASSERT_EQ(plugin->ReadState(chunk, 3), 3 + kStateChunkBytes);
    HeapBuffer written;
    written.Append("pre", 3);
    ASSERT_TRUE(plugin->WriteState(written));
    ASSERT_TRUE(SameBytes(chunk, written)) << "round " << round;
    EXPECT_EQ(plugin->CountOf(Call::kSendToUI), static_cast<size_t>(kParamCount));
    EXPECT_EQ(plugin->CountOf(Call::kSendToHost), 0u);  // the VST3 reader tells the host itself
  }
}

// A saved project with every parameter at an extreme of its range reloads unchanged.
TEST(Halcyra, EveryParameterAtMinimumMaximumAndDefaultSurvivesWriteAndRead) {
  for (int extreme = 0; extreme < 3; ++extreme) {
    auto plugin = MakePlugin();
    for (int i = 0; i < kParamCount; ++i) {
      plugfw::IParam& param = *plugin->GetParam(i);
      param.Set(extreme == 0 ? param.Min() : extreme == 1 ? param.Max() : param.GetDefault());
    }
    plugin->StoreBank();
    const HeapBuffer saved = StateOf(*plugin);
    auto reloaded = MakePlugin();
    ASSERT_EQ(reloaded->ReadState(saved, 0), kStateChunkBytes) << "extreme " << extreme;
    EXPECT_TRUE(SameBytes(StateOf(*reloaded), saved));
  }
}

struct Observed {
  HeapBuffer state;
  int32_t tail;
  size_t logged;
};

Observed Observe(const Halcyra& plugin) { return {StateOf(plugin), plugin.TailSamples(), plugin.log.size()}; }

TEST(Halcyra, RefusedStatesChangeNothing) {
  auto plugin = MakePlugin();
  // Away from every default, so an overwrite by a refused chunk's values would show.
  plugin->RecallRecipe(7);
  plugin->SwapBanks();
  plugin->RecallRecipe(12);
  plugin->GetParam(FindParamIndex("analog-noise"))->Set(1);
  const Observed before = Observe(*plugin);

  float values[kParamCount];
  FillParamDefaults(values);
  const auto chunkWith = [&](auto spoil) {
    float current[kParamCount];
    std::memcpy(current, values, sizeof current);
    int32_t recipe = 3, bank = 0;
    spoil(current, recipe, bank);
    HeapBuffer chunk;
    WriteStateChunk(chunk, current, values, recipe, bank);
    return chunk;
  };
  const int voices = FindParamIndex("voices");
  std::vector<std::pair<HeapBuffer, int32_t>> refused;
  refused.emplace_back(chunkWith([](float*, int32_t& recipe, int32_t&) { recipe = 40; }), 0);
  refused.emplace_back(chunkWith([](float*, int32_t& recipe, int32_t&) { recipe = -1; }), 0);
  refused.emplace_back(chunkWith([](float*, int32_t&, int32_t& bank) { bank = 2; }), 0);
  refused.emplace_back(chunkWith([&](float* v, int32_t&, int32_t&) { v[voices] = 2.5f; }), 0);
  refused.emplace_back(chunkWith([&](float* v, int32_t&, int32_t&) { v[127] = std::nanf(""); }), 0);
  refused.emplace_back(chunkWith([&](float* v, int32_t&, int32_t&) { v[0] = 1e9f; }), 0);
  HeapBuffer longer = chunkWith([](float*, int32_t&, int32_t&) {});
  longer.Append("x", 1);
  refused.emplace_back(std::move(longer), 0);
  HeapBuffer shorter = chunkWith([](float*, int32_t&, int32_t&) {});
  shorter.Resize(kStateChunkBytes - 1);
  refused.emplace_back(std::move(shorter), 0);
  refused.emplace_back(chunkWith([](float*, int32_t&, int32_t&) {}), -4);
  refused.emplace_back(HeapBuffer(), 0);

  for (size_t c = 0; c < refused.size(); ++c) {
    EXPECT_EQ(plugin->ReadState(refused[c].first, refused[c].second), -1) << "case " << c;
    const Observed after = Observe(*plugin);
    EXPECT_TRUE(SameBytes(after.state, before.state)) << "case " << c;
    EXPECT_EQ(after.tail, before.tail) << "case " << c;
    EXPECT_EQ(after.logged, before.logged) << "case " << c;
  }
}

TEST(Halcyra, TwoSwapsRestoreBothBanks) {
  auto plugin = MakePlugin();
  plugin->RecallRecipe(9);
  const HeapBuffer start = StateOf(*plugin);
  plugin->SwapBanks();
  EXPECT_TRUE(plugin->ActiveBank());
  EXPECT_EQ(plugin->MatchRecipe(), 0);  // bank B held the defaults
  EXPECT_EQ(plugin->InactiveBankValue(0), FactoryRecipes()[9].values[0]);
  plugin->SwapBanks();
  EXPECT_FALSE(plugin->ActiveBank());
  EXPECT_TRUE(SameBytes(StateOf(*plugin), start));
}

TEST(Halcyra, StoreThenSwapKeepsTheValuesAndFlipsTheBank) {
  auto plugin = MakePlugin();
  plugin->RecallRecipe(21);
  float before[kParamCount];
  plugin->CurrentValues(before);
  plugin->StoreBank();
  EXPECT_EQ(plugin->RecipeIndex(), 21);
  plugin->SwapBanks();
  float after[kParamCount];
  plugin->CurrentValues(after);
  EXPECT_EQ(std::memcmp(before, after, sizeof before), 0);
  EXPECT_TRUE(plugin->ActiveBank());
  EXPECT_EQ(plugin->RecipeIndex(), 21);
}

// A bulk change reaches the host as one begin, value and end per parameter, like single edits.
TEST(Halcyra, BulkChangesTellTheHostAsEditsOfEveryParameter) {
  auto plugin = MakePlugin();
  plugin->logUiSends = false;
  plugin->RecallRecipe(3);
  ASSERT_EQ(plugin->log.size(), static_cast<size_t>(3 * kParamCount));
  for (int i = 0; i < kParamCount; ++i) {
    EXPECT_EQ(plugin->log[3 * i].call, Call::kBeginEdit);
    EXPECT_EQ(plugin->log[3 * i + 1].call, Call::kSendToHost);
    EXPECT_EQ(plugin->log[3 * i + 1].paramIdx, i);
    EXPECT_DOUBLE_EQ(plugin->log[3 * i + 1].value, plugin->GetParam(i)->GetNormalized());
    EXPECT_EQ(plugin->log[3 * i + 2].call, Call::kEndEdit);
  }
  plugin->log.clear();
  plugin->SwapBanks();
  EXPECT_EQ(plugin->CountOf(Call::kSendToHost), static_cast<size_t>(kParamCount));
}

TEST(Halcyra, RecallAndMatch) {
  auto plugin = MakePlugin();
  EXPECT_EQ(plugin->MatchRecipe(), 0);
  const HeapBuffer start = StateOf(*plugin);
  for (int32_t outside : {-1, 40, 1000}) {
    plugin->RecallRecipe(outside);
    EXPECT_TRUE(SameBytes(StateOf(*plugin), start));
    EXPECT_TRUE(plugin->log.empty());
  }
  for (int r = 0; r < kFactoryRecipeCount; ++r) {
    plugin->RecallRecipe(r);
    ASSERT_EQ(plugin->RecipeIndex(), r);
    ASSERT_EQ(plugin->MatchRecipe(), r) << FactoryRecipes()[r].name;
  }
  plugin->RecallRecipe(0);
  plugfw::IParam& mix = *plugin->GetParam(FindParamIndex("mix"));
  mix.Set(mix.Value() + 1.0);
  EXPECT_EQ(plugin->MatchRecipe(), -1);
  EXPECT_FALSE(plugin->ActiveBank());
  EXPECT_EQ(plugin->InactiveBankValue(0), ParamDefault(0));
}

TEST(Halcyra, TheTailFollowsTheValuesAndTheRate) {
  auto plugin = MakePlugin();
  EXPECT_EQ(plugin->TailSamples(), kDefaultTail);
  plugin->GetParam(kParamFeedback)->Set(50);
  EXPECT_EQ(plugin->TailSamples(), kHalfFeedbackTail);
  plugin->GetParam(kParamAnalogNoise)->Set(1);
  plugin->OnParamChange(kParamAnalogNoise, plugfw::ParamSource::kUI, -1);
  EXPECT_EQ(plugin->TailSamples(), kInfiniteTailSamples);
  plugin->RecallRecipe(39);
  EXPECT_EQ(plugin->TailSamples(), kPetalonSpaceTail);
  plugin->RecallRecipe(31);
  EXPECT_EQ(plugin->TailSamples(), kDiffusedVocalTail);
  plugin->RecallRecipe(0);
  EXPECT_EQ(plugin->TailSamples(), kDefaultTail);
  plugin->SetSampleRate(96000);
  plugin->ResetProcessing();
  EXPECT_EQ(plugin->TailSamples(), kDefaultTailAt96kHz);
}

// --- block entry -------------------------------------------------------------------------

struct Block {
  explicit Block(int32_t frames)
      : frames(frames), in(4, std::vector<float>(frames)), out(2, std::vector<float>(frames, 7.0f)) {
    for (int32_t i = 0; i < frames; ++i) {
      in[0][i] = static_cast<float>(0.5 * std::sin(0.031 * i));
      in[1][i] = static_cast<float>(0.4 * std::sin(0.017 * i + 1.0));
    }
  }
  float* inputs[4];
  float* outputs[2];
  float** Inputs() {
    for (int c = 0; c < 4; ++c) inputs[c] = in[c].data();
    return inputs;
  }
  float** Outputs() {
    for (int c = 0; c < 2; ++c) outputs[c] = out[c].data();
    return outputs;
  }
  int32_t frames;
  std::vector<std::vector<float>> in;
  std::vector<std::vector<float>> out;
};

std::unique_ptr<Halcyra> ActivePlugin(int recipe = 5) {
  auto plugin = MakePlugin();
  plugin->RecallRecipe(recipe);
  plugin->SetActive(true);
  return plugin;
}

TEST(HalcyraBlock, ZeroFramesChangeNothingAndAnInactivePluginIsSilent) {
  auto plugin = MakePlugin();
  Block block(300);
  plugin->ProcessAudio(block.Inputs(), block.Outputs(), 0);
  EXPECT_EQ(block.out[0][0], 7.0f);
  plugin->ProcessAudio(block.Inputs(), block.Outputs(), 300);
  for (const auto& channel : block.out)
    for (float sample : channel) ASSERT_EQ(sample, 0.0f);
  plugin->SetActive(true);
  plugin->SetActive(false);
  Block again(64);
  plugin->ProcessAudio(again.Inputs(), again.Outputs(), 64);
  for (float sample : again.out[1]) ASSERT_EQ(sample, 0.0f);
}

TEST(HalcyraBlock, LongBlocksRunAsSlicesOfAtMost512Frames) {
  auto plugin = ActivePlugin();
  Block block(1300);
  plugin->ProcessAudio(block.Inputs(), block.Outputs(), 1300);

  // The engine by itself, given the same values, in 512, 512 and 276 frames.
  ChorusEngine engine;
  float values[kParamCount];
  plugin->CurrentValues(values);
  engine.SetParameters(values);
  engine.Reset(48000);
  engine.SetTransport(120, 0, false, false, false);
  std::vector<float> left(1300), right(1300);
  const float silence[512] = {};
  const float* const sidechain[2] = {silence, silence};
  for (int32_t offset : {0, 512, 1024}) {
    const int32_t n = offset == 1024 ? 276 : 512;
    const float* const in[2] = {block.in[0].data() + offset, block.in[1].data() + offset};
    float* const out[2] = {left.data() + offset, right.data() + offset};
    engine.Process(in, out, n, false, sidechain, false);
  }
  EXPECT_EQ(std::memcmp(left.data(), block.out[0].data(), 1300 * sizeof(float)), 0);
  EXPECT_EQ(std::memcmp(right.data(), block.out[1].data(), 1300 * sizeof(float)), 0);
  float energy = 0;
  for (float s : left) energy += s * s;
  EXPECT_GT(energy, 1.0f);
}

TEST(HalcyraBlock, MonoInputFeedsBothSidesAndMonoOutputGetsTheAverage) {
  auto stereo = ActivePlugin();
  Block reference(700);
  reference.in[1] = reference.in[0];
  stereo->ProcessAudio(reference.Inputs(), reference.Outputs(), 700);

  auto monoIn = ActivePlugin();
  monoIn->SetChannelsConnected(IODirection::kInput, 1, 3, false);
  Block block(700);
  block.in[1].assign(700, 0.9f);  // not connected: must not be heard
  monoIn->ProcessAudio(block.Inputs(), block.Outputs(), 700);
  EXPECT_EQ(block.out[0], reference.out[0]);
  EXPECT_EQ(block.out[1], reference.out[1]);

  auto monoOut = ActivePlugin();
  monoOut->SetChannelsConnected(IODirection::kInput, 1, 3, false);
  monoOut->SetChannelsConnected(IODirection::kOutput, 1, 1, false);
  Block single(700);
  monoOut->ProcessAudio(single.Inputs(), single.Outputs(), 700);
  for (int32_t i = 0; i < 700; ++i) {
    const float average =
        static_cast<float>((static_cast<double>(reference.out[0][i]) + reference.out[1][i]) * 0.5);
    ASSERT_EQ(single.out[0][i], average) << i;
  }
  EXPECT_EQ(single.out[1][0], 7.0f);  // the disconnected output is not written
}

TEST(HalcyraBlock, InPlaceBuffersGiveTheSameOutput) {
  auto separate = ActivePlugin();
  Block reference(900);
  separate->ProcessAudio(reference.Inputs(), reference.Outputs(), 900);
  auto inPlace = ActivePlugin();
  Block block(900);
  float* shared[4] = {block.in[0].data(), block.in[1].data(), block.in[2].data(), block.in[3].data()};
  inPlace->ProcessAudio(shared, shared, 900);
  EXPECT_EQ(block.in[0], reference.out[0]);
  EXPECT_EQ(block.in[1], reference.out[1]);
}

TEST(HalcyraBlock, AnUnusableSampleRateResetsAt48kHzWithoutLatency) {
  for (double rate : {0.0, -44100.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
    auto plugin = MakePlugin();
    plugin->SetSampleRate(rate);
    plugin->ResetProcessing();
    EXPECT_EQ(plugin->PluginSampleRate(), 48000.0) << rate;
    EXPECT_EQ(plugin->Engine().SampleRate(), 48000.0) << rate;
    EXPECT_EQ(plugin->LatencySamples(), 0);
    EXPECT_TRUE(plugin->IsActive());
  }
  auto plugin = MakePlugin();
  plugin->SetSampleRate(44100);
  plugin->SetActive(true);
  EXPECT_EQ(plugin->Engine().SampleRate(), 44100.0);
}

TEST(HalcyraEditor, AHostSizeIsHeldToTheNearestTheEditorFills) {
  // With the editor closed, at the scale a display of 96 DPI gives.
  auto plugin = MakePlugin();
  struct Case {
    int32_t width, height;
    bool fills;
    int32_t nearestWidth, nearestHeight;
  } cases[] = {
      {1180, 800, true, 1180, 800},    {1003, 680, true, 1003, 680}, {1770, 1200, true, 1770, 1200},
      {2400, 1600, false, 1770, 1200}, {800, 600, false, 1003, 680}, {1300, 900, false, 1300, 881},
      {1180, 680, false, 1003, 680},   {0, 0, false, 1003, 680},     {-5, 900, false, 1003, 680},
  };
  for (const Case& c : cases) {
    int32_t width = c.width;
    int32_t height = c.height;
    EXPECT_EQ(plugin->ConstrainParentSize(width, height), c.fills) << c.width << "x" << c.height;
    EXPECT_EQ(width, c.nearestWidth) << c.width << "x" << c.height;
    EXPECT_EQ(height, c.nearestHeight) << c.width << "x" << c.height;
  }
}

// The audio thread runs blocks while the UI thread recalls recipes and swaps banks.
TEST(HalcyraThreads, BlocksRunWhileTheEditorChangesValues) {
  auto plugin = ActivePlugin(0);
  std::atomic<bool> stop{false};
  std::thread audio([&] {
    Block block(256);
    while (!stop.load()) {
      plugin->ProcessAudio(block.Inputs(), block.Outputs(), 256);
      for (float s : block.out[0]) ASSERT_TRUE(std::isfinite(s));
    }
  });
  plugin->logUiSends = false;
  for (int round = 0; round < 20; ++round) {
    plugin->RecallRecipe(round % kFactoryRecipeCount);
    plugin->SwapBanks();
    plugin->log.clear();
  }
  stop.store(true);
  audio.join();
  EXPECT_EQ(plugin->RecipeIndex(), 19);
}

// The host automates a parameter and asks for the tail on its processing thread while the musician
// recalls recipes and swaps banks: each change done, the tail is that of its values, whatever the
// audio thread read in the middle of it.
TEST(HalcyraThreads, RecallsAndSwapsLeaveTheTailOfTheirValues) {
  auto plugin = ActivePlugin(0);
  plugin->logUiSends = false;
  const int output = FindParamIndex("output");
  for (int round = 0; round < 100; ++round) {
    std::atomic<bool> stop{false};
    std::atomic<bool> running{false};
    std::thread audio([&] {
      for (int k = 0; !stop.load(); ++k) {
        plugin->GetParam(output)->SetNormalized((k % 7) / 7.0);
        if (plugin->TailSamples() == 0) ADD_FAILURE() << "no tail";
        running.store(true);
      }
    });
    while (!running.load()) std::this_thread::yield();
    // Recall 39, swap to the defaults, swap back, recall the defaults: every step changes the tail.
    switch (round % 4) {
      case 0:
        plugin->RecallRecipe(39);
        break;
      case 3:
        plugin->RecallRecipe(0);
        break;
      default:
        plugin->SwapBanks();
        break;
    }
    const int32_t expected = round % 2 == 0 ? kPetalonSpaceTail : kDefaultTail;
    EXPECT_EQ(plugin->TailSamples(), expected) << "round " << round;
    stop.store(true);
    audio.join();
    ASSERT_EQ(plugin->TailSamples(), expected) << "round " << round;
    plugin->log.clear();
  }
}

TEST(HalcyraThreads, InstancesCreatedTogetherAreEachComplete) {
  std::vector<std::unique_ptr<Halcyra>> made(4);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) threads.emplace_back([&, t] { made[t] = CreatePluginInstance({}); });
  for (auto& thread : threads) thread.join();
  for (const auto& plugin : made) {
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(plugin->NPresets(), kFactoryRecipeCount);
    EXPECT_EQ(plugin->MatchRecipe(), 0);
  }
}

}  // namespace
}  // namespace halcyra
