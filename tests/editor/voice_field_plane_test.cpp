// The voice field's plane and texts: where a pan and a delay land, which axis a delay needs.

#include "editor/voice_field_plane.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace halcyra::test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(VoiceFieldPlane, PanRunsLeftToRightAndDelayUpFromTheBottom) {
  EXPECT_FLOAT_EQ(PanToX(-100), 83.f);
  EXPECT_FLOAT_EQ(PanToX(0), 377.5f);
  EXPECT_FLOAT_EQ(PanToX(100), 672.f);
  EXPECT_FLOAT_EQ(PanToX(150), 672.f);
  EXPECT_FLOAT_EQ(PanToX(kNaN), 377.5f);
  EXPECT_FLOAT_EQ(DelayToY(0, 80), 323.f);
  EXPECT_FLOAT_EQ(DelayToY(80, 80), 183.f);
  EXPECT_FLOAT_EQ(DelayToY(40, 80), 253.f);
  EXPECT_FLOAT_EQ(DelayToY(80, 160), 253.f);
  EXPECT_FLOAT_EQ(DelayToY(500, 160), 183.f);
  EXPECT_FLOAT_EQ(DelayToY(-5, 80), 323.f);
  EXPECT_FLOAT_EQ(DelayToY(kNaN, 80), 323.f);
  // An axis below 80 ms or not finite is 80 ms.
  EXPECT_FLOAT_EQ(DelayToY(40, 40), 253.f);
  EXPECT_FLOAT_EQ(DelayToY(40, kNaN), 253.f);
}

TEST(VoiceFieldPlane, TheAxisStepsIn40MsBetween80And240) {
  const double cases[][2] = {{0, 80},    {80, 80},   {80.01, 120}, {130, 160},
                             {160, 160}, {239, 240}, {400, 240},   {-10, 80}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(AxisTarget(c[0]), c[1]) << c[0];
  EXPECT_DOUBLE_EQ(AxisTarget(kNaN), 80.0);
  EXPECT_DOUBLE_EQ(AxisTarget(std::numeric_limits<double>::infinity()), 80.0);
}

TEST(VoiceFieldPlane, TextsCountTheVoicesAndReadTheSelectedOne) {
  DisplaySnapshot display;
  display.voiceActive[0] = display.voiceActive[3] = display.voiceActive[7] = 1;
  EXPECT_EQ(VoiceCountText(display, 4), "3 ACTUAL / 4 REQUESTED");

  display.voiceDelayMs[3] = 12.345f;
  display.voiceRateHz[3] = 0.8f;
  display.voicePanPercent[3] = -30.f;
  display.voiceLevelDb[3] = -3.f;
  EXPECT_EQ(VoiceReadout(display, 3, false, false),
            "V4 / ACTUAL / PRIMARY 12.35ms / CLOCK 0.80Hz / PAN -30 / -3.0dB");
  EXPECT_EQ(VoiceReadout(display, 3, true, false),
            "V4 / ACTUAL / PRIMARY MEAN 12.35ms / CLOCK 0.80Hz / PAN -30 / -3.0dB");
  EXPECT_EQ(VoiceReadout(display, 3, false, true),
            "V4 / ACTUAL / PRIMARY 12.35ms / HEAD 0.80Hz / PAN -30 / -3.0dB");
  // The idle readout, and values that are not finite.
  EXPECT_EQ(VoiceReadout(display, 1, false, false),
            "V2 / INACTIVE / PRIMARY 0.00ms / CLOCK 0.00Hz / PAN +0 / -120.0dB");
  display.voiceDelayMs[1] = display.voiceRateHz[1] = display.voicePanPercent[1] = display.voiceLevelDb[1] =
      std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(VoiceReadout(display, 1, false, false),
            "V2 / INACTIVE / PRIMARY 0.00ms / CLOCK 0.00Hz / PAN +0 / -120.0dB");
  EXPECT_EQ(VoiceReadout(display, 8, false, false), "");
}

}  // namespace
}  // namespace halcyra::test
