// Cutting a device buffer into plug-in blocks, and the one-buffer fade ramps; with the device
// name rules that make a saved choice find its device again.

#include "app/audio_blocks.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "app/device_names.h"

namespace plugfw {
namespace {

TEST(ForEachBlock, CoversTheBufferFromItsFirstFrameInBlocksOfAtMost512) {
  using Blocks = std::vector<std::pair<int32_t, int32_t>>;
  const std::pair<int32_t, Blocks> cases[] = {
      {512, {{0, 512}}}, {1024, {{0, 512}, {512, 512}}},
      {256, {{0, 256}}}, {1000, {{0, 512}, {512, 488}}},
      {1, {{0, 1}}},     {1537, {{0, 512}, {512, 512}, {1024, 512}, {1536, 1}}},
      {0, {}},
  };
  for (const auto& [frames, expected] : cases) {
    Blocks seen;
    ForEachBlock(frames, kAppBlockFrames,
                 [&](int32_t start, int32_t length) { seen.emplace_back(start, length); });
    EXPECT_EQ(seen, expected) << frames;
  }
}

TEST(FadeBuffers, OneBufferIsTheWholeRampOnEveryChannel) {
  constexpr int32_t kFrames = 4;
  std::vector<double> in = {1, 1, 1, 1, -2, -2, -2, -2};
  FadeBuffers(in.data(), 2, kFrames, false);
  EXPECT_EQ(in, (std::vector<double>{0, 0.25, 0.5, 0.75, 0, -0.5, -1, -1.5}));
  std::vector<double> out = {1, 1, 1, 1, -2, -2, -2, -2};
  FadeBuffers(out.data(), 2, kFrames, true);
  EXPECT_EQ(out, (std::vector<double>{0.75, 0.5, 0.25, 0, -1.5, -1, -0.5, 0}));
}

TEST(FadeBuffers, ADeviceSizedRampIsMonotonicAndEndsAtExactZero) {
  constexpr int32_t kFrames = 441;
  std::vector<double> out(kFrames, 1.0);
  FadeBuffers(out.data(), 1, kFrames, true);
  EXPECT_EQ(out.back(), 0.0);
  for (int32_t j = 1; j < kFrames; ++j) ASSERT_LT(out[j], out[j - 1]) << j;
}

TEST(AudioDeviceNames, PrefixAndBlanksAreDroppedSoSavedNamesMatch) {
  struct Case {
    const char* library;
    const char* display;
  };
  const Case cases[] = {
      {"Speakers (USB Audio)", "Speakers (USB Audio)"},
      {"DirectSound: Speakers", "Speakers"},
      {"Driver:Line In", "Line In"},
      {"A: B: C", "B: C"},
      {"Trailing ", "Trailing"},
      {"Prefix: \xC3\x9C"
       "ber",
       "\xC3\x9C"
       "ber"},
  };
  for (const Case& c : cases) EXPECT_EQ(AudioDeviceDisplayName(c.library), c.display) << c.library;

  // A name saved with the blank that older builds kept still finds the device.
  EXPECT_TRUE(AudioDeviceNameMatches("Speakers", " Speakers"));
  EXPECT_TRUE(AudioDeviceNameMatches("Speakers", "Speakers"));
  EXPECT_FALSE(AudioDeviceNameMatches("Speakers", "speakers"));
  EXPECT_FALSE(AudioDeviceNameMatches("Speakers", "Speakers 2"));
  EXPECT_FALSE(AudioDeviceNameMatches("", ""));
  EXPECT_FALSE(AudioDeviceNameMatches("Speakers", nullptr));
}

}  // namespace
}  // namespace plugfw
