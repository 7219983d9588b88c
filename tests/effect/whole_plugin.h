#pragma once
// What a plug-in object must hold when creation answers one, whatever the build's wrapper: every
// parameter with its display texts, every recipe preset, both channel lists and the names, and it
// must process. Included by the creation tests of each build; the plug-in class is that build's.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "effect/factory_recipes.h"
#include "effect/halcyra.h"
#include "effect/param_table.h"
#include "effect/state_chunk.h"

namespace halcyra::test {

inline void ExpectWholePlugin(Halcyra& plugin) {
  EXPECT_STREQ(plugin.PluginName(), "HALCYRA");
  EXPECT_STREQ(plugin.MakerName(), "KESTRALYN");
  ASSERT_EQ(plugin.NParams(), kParamCount);
  for (int i = 0; i < kParamCount; ++i) {
    const ParamDefinition& row = *GetParamDefinition(i);
    if (row.kind != ParamKind::kStepped) continue;
    EXPECT_EQ(plugin.GetParam(i)->DisplayTextCount(), int32_t(row.maxValue - row.minValue) + 1) << row.name;
  }
  ASSERT_EQ(plugin.NPresets(), kFactoryRecipeCount);
  for (int i = 0; i < kFactoryRecipeCount; ++i) {
    const plugfw::PluginPreset& preset = *plugin.GetPreset(i);
    EXPECT_TRUE(preset.initialised) << i;
    EXPECT_STREQ(preset.name, FactoryRecipes()[i].name);
    EXPECT_EQ(preset.chunk.Size(), kStateChunkBytes) << i;
  }
  EXPECT_EQ(plugin.ChannelCount(plugfw::IODirection::kInput), 4);
  EXPECT_EQ(plugin.ChannelCount(plugfw::IODirection::kOutput), 2);

  // And it is a chorus: a sine in gives a finite, audible output.
  plugin.SetActive(true);
  constexpr int32_t kFrames = 512;
  std::vector<float> inputs[4], outputs[2];
  for (auto& channel : inputs) channel.assign(kFrames, 0.0f);
  for (auto& channel : outputs) channel.assign(kFrames, 0.0f);
  for (int32_t n = 0; n < kFrames; ++n) inputs[0][n] = inputs[1][n] = 0.5f * std::sin(0.05f * n);
  float* in[4] = {inputs[0].data(), inputs[1].data(), inputs[2].data(), inputs[3].data()};
  float* out[2] = {outputs[0].data(), outputs[1].data()};
  plugin.ProcessAudio(in, out, kFrames);
  double energy = 0.0;
  for (const auto& channel : outputs) {
    for (float sample : channel) {
      ASSERT_TRUE(std::isfinite(sample));
      energy += double(sample) * sample;
    }
  }
  EXPECT_GT(energy, 1.0);
  plugin.SetActive(false);
}

}  // namespace halcyra::test
