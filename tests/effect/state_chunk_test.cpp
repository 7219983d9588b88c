#include "effect/state_chunk.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "effect/factory_recipes.h"
#include "tests/core/failing_allocator.h"

namespace halcyra {
namespace {

using plugfw::HeapBuffer;

struct Defaults {
  Defaults() { FillParamDefaults(values); }
  float values[kParamCount];
};

HeapBuffer DefaultChunk() {
  const Defaults defaults;
  HeapBuffer chunk;
  EXPECT_TRUE(WriteStateChunk(chunk, defaults.values, defaults.values, 0, 0));
  return chunk;
}

uint64_t Fnv1a64(const uint8_t* bytes, int32_t count) {
  uint64_t hash = 1469598103934665603ull;
  for (int32_t i = 0; i < count; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
  return hash;
}

float FloatAt(const HeapBuffer& chunk, int32_t offset) {
  const uint8_t* at = chunk.Data() + offset;
  const uint32_t bits = at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<uint32_t>(at[3]) << 24);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

TEST(StateChunk, DefaultStateHasTheGoldenLayout) {
  const HeapBuffer chunk = DefaultChunk();
  ASSERT_EQ(chunk.Size(), kStateChunkBytes);
  const uint8_t header[12] = {'H', 'K', 'L', 'Y', 1, 0, 0, 0, 128, 0, 0, 0};
  EXPECT_EQ(std::memcmp(chunk.Data(), header, sizeof header), 0);
  for (int i = 0; i < kParamCount; ++i) {
    ASSERT_EQ(FloatAt(chunk, 12 + 4 * i), ParamDefault(i)) << i;
    ASSERT_EQ(FloatAt(chunk, 524 + 4 * i), ParamDefault(i)) << i;
  }
  EXPECT_EQ(FloatAt(chunk, 12 + 4 * FindParamIndex("voices")), 2.0f);
  EXPECT_EQ(FloatAt(chunk, 12 + 4 * FindParamIndex("rate")), 0.35f);
  const uint8_t trailer[8] = {0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(chunk.Data() + 1036, trailer, sizeof trailer), 0);
  // Pins every byte: any change to the table's defaults or the layout shows here.
  EXPECT_EQ(Fnv1a64(chunk.Data(), chunk.Size()), 0x8551037d61024f04ull);
}

TEST(StateChunk, WriterAppendsAfterWhatTheChunkHolds) {
  const Defaults defaults;
  HeapBuffer chunk;
  chunk.Append("abc", 3);
  ASSERT_TRUE(WriteStateChunk(chunk, defaults.values, defaults.values, 39, 1));
  ASSERT_EQ(chunk.Size(), 3 + kStateChunkBytes);
  StateChunkContents state;
  ASSERT_TRUE(ParseStateChunk(chunk, 3, state));
  EXPECT_EQ(state.recipeIndex, 39);
  EXPECT_EQ(state.activeBank, 1);
}

TEST(StateChunk, WriterThatCannotGrowReportsFailureAndLeavesTheChunk) {
  const Defaults defaults;
  HeapBuffer chunk(HeapBuffer::kTextGranularity);  // too small a block for the state
  chunk.Append("abc", 3);
  plugfw::test::FailingAllocatorScope refuse;
  EXPECT_FALSE(WriteStateChunk(chunk, defaults.values, defaults.values, 0, 0));
  EXPECT_EQ(chunk.Size(), 3);
  EXPECT_EQ(std::memcmp(chunk.Data(), "abc", 3), 0);
}

// Everything the writer can be given from legal parameter values must read back: the table's
// bounds are 32-bit floats, and a value at float(0.01) is the "Rate" minimum, not below it.
TEST(StateChunk, EveryParameterAtItsMinimumMaximumAndDefaultPasses) {
  for (int i = 0; i < kParamCount; ++i) {
    const ParamDefinition& definition = *GetParamDefinition(i);
    for (float v : {definition.minValue, definition.maxValue, definition.defaultValue,
                    static_cast<float>(double{definition.minValue})}) {
      Defaults values;
      values.values[i] = v;
      HeapBuffer chunk;
      ASSERT_TRUE(WriteStateChunk(chunk, values.values, values.values, 0, 0));
      StateChunkContents state;
      ASSERT_TRUE(ParseStateChunk(chunk, 0, state)) << definition.name << " = " << v;
      ASSERT_EQ(state.current[i], v);
    }
  }
}

TEST(StateChunk, ValidatorRefusesWhatNoParameterCanHold) {
  const int voices = FindParamIndex("voices");
  const int rate = FindParamIndex("rate");
  const ParamDefinition& rateDefinition = *GetParamDefinition(rate);
  struct Case {
    const char* what;
    int index;
    float value;
  } cases[] = {
      {"not a number", rate, std::numeric_limits<float>::quiet_NaN()},
      {"infinite", rate, std::numeric_limits<float>::infinity()},
      {"just below the minimum", rate, std::nextafter(rateDefinition.minValue, -1.0f)},
      {"just above the maximum", rate, std::nextafter(rateDefinition.maxValue, 100.0f)},
      {"half a voice", voices, 2.5f},
      {"too many voices", voices, 9.0f},
  };
  for (const Case& c : cases) {
    Defaults values;
    values.values[c.index] = c.value;
    EXPECT_FALSE(ValidateStateValues(values.values)) << c.what;
  }
  EXPECT_TRUE(ValidateStateValues(Defaults().values));
}

TEST(StateChunk, ParserRefusesEveryMalformedChunk) {
  const int voices = FindParamIndex("voices");
  const auto putInt = [](HeapBuffer& chunk, int32_t offset, int32_t value) {
    for (int i = 0; i < 4; ++i)
      chunk.Data()[offset + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
  };
  const auto putFloat = [&](HeapBuffer& chunk, int32_t offset, float value) {
    int32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    putInt(chunk, offset, bits);
  };
  struct Case {
    const char* what;
    std::function<void(HeapBuffer&)> spoil;
    int32_t position;
  } cases[] = {
      {"one byte short", [](HeapBuffer& c) { c.Resize(kStateChunkBytes - 1); }, 0},
      {"one byte extra", [](HeapBuffer& c) { c.Append("x", 1); }, 0},
      {"negative position", [](HeapBuffer&) {}, -1},
      {"position past the end", [](HeapBuffer&) {}, kStateChunkBytes + 1},
      {"position inside", [](HeapBuffer&) {}, 1},
      {"magic", [](HeapBuffer& c) { c.Data()[3] = 'X'; }, 0},
      {"version 2", [&](HeapBuffer& c) { putInt(c, 4, 2); }, 0},
      {"count 127", [&](HeapBuffer& c) { putInt(c, 8, 127); }, 0},
      {"recipe 40", [&](HeapBuffer& c) { putInt(c, 1036, 40); }, 0},
      {"recipe -1", [&](HeapBuffer& c) { putInt(c, 1036, -1); }, 0},
      {"active bank 2", [&](HeapBuffer& c) { putInt(c, 1040, 2); }, 0},
      {"current NaN", [&](HeapBuffer& c) { putFloat(c, 12, std::nanf("")); }, 0},
      {"inactive NaN", [&](HeapBuffer& c) { putFloat(c, 524 + 4 * 127, std::nanf("")); }, 0},
      {"current 2.5 voices", [&](HeapBuffer& c) { putFloat(c, 12 + 4 * voices, 2.5f); }, 0},
      {"inactive out of range", [&](HeapBuffer& c) { putFloat(c, 524 + 4 * voices, 0.0f); }, 0},
  };
  for (const Case& c : cases) {
    HeapBuffer chunk = DefaultChunk();
    c.spoil(chunk);
    StateChunkContents state;
    EXPECT_FALSE(ParseStateChunk(chunk, c.position, state)) << c.what;
  }
  HeapBuffer empty;
  StateChunkContents state;
  EXPECT_FALSE(ParseStateChunk(empty, 0, state));
}

TEST(StateChunk, EveryFactoryRecipePassesValidation) {
  for (int r = 0; r < kFactoryRecipeCount; ++r) {
    EXPECT_TRUE(ValidateStateValues(FactoryRecipes()[r].values)) << FactoryRecipes()[r].name;
  }
}

}  // namespace
}  // namespace halcyra
