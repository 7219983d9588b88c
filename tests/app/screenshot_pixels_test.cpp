// A capture's pixels made ready for the PNG encoder, the black capture that counts as failed, and
// the Save Screenshot command's file name.

#include "app/screenshot_pixels.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace plugfw {
namespace {

TEST(ScreenshotPixels, BlueGreenRedXBecomesOpaqueRedGreenBlue) {
  std::vector<uint8_t> pixels = {10, 20, 30, 0, 1, 2, 3, 77, 255, 255, 255, 255};
  BgrxToOpaqueRgba(pixels.data(), 3);
  EXPECT_EQ(pixels, (std::vector<uint8_t>{30, 20, 10, 255, 3, 2, 1, 255, 255, 255, 255, 255}));
}

TEST(ScreenshotPixels, OnlyAPictureWithoutAnyColourIsBlack) {
  // What the capture's fourth byte holds says nothing about the picture.
  const std::vector<uint8_t> black = {0, 0, 0, 0, 0, 0, 0, 255, 0, 0, 0, 17};
  EXPECT_TRUE(AllBlack(black.data(), 3));
  for (size_t channel = 0; channel < 3; ++channel) {
    std::vector<uint8_t> oneDot = black;
    oneDot[4 + channel] = 1;
    EXPECT_FALSE(AllBlack(oneDot.data(), 3)) << channel;
  }
}

TEST(ScreenshotFileName, TemporaryFolderProductAndTimeWithoutAnyLimit) {
  EXPECT_EQ(ScreenshotFileName("C:\\Temp\\", "HALCYRA", "20261011_142530"),
            "C:\\Temp\\HALCYRA_screenshot_20261011_142530.png");
  // A folder far past the 260 characters of a fixed buffer, with multi-byte text, is kept whole.
  std::string folder = "C:\\Users\\J\xC3\xBCrgen\\";
  while (folder.size() < 600) folder += "very long folder name\\";
  const std::string name = ScreenshotFileName(folder, "HALCYRA", "20261011_142530");
  EXPECT_EQ(name, folder + "HALCYRA_screenshot_20261011_142530.png");
}

}  // namespace
}  // namespace plugfw
