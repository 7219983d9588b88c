#include "app/screenshot_pixels.h"

#include <utility>

namespace plugfw {

namespace {
constexpr size_t kBytesPerPixel = 4;
constexpr uint8_t kOpaque = 255;
}  // namespace

void BgrxToOpaqueRgba(uint8_t* pixels, size_t pixelCount) {
  for (size_t i = 0; i < pixelCount; ++i) {
    uint8_t* pixel = pixels + i * kBytesPerPixel;
    std::swap(pixel[0], pixel[2]);
    pixel[3] = kOpaque;
  }
}

bool AllBlack(const uint8_t* pixels, size_t pixelCount) {
  for (size_t i = 0; i < pixelCount; ++i) {
    const uint8_t* pixel = pixels + i * kBytesPerPixel;
    if ((pixel[0] | pixel[1] | pixel[2]) != 0) return false;
  }
  return true;
}

std::string ScreenshotFileName(const std::string& folder, const char* product, const char* timeText) {
  return folder + (product != nullptr ? product : "") + "_screenshot_" +
         (timeText != nullptr ? timeText : "") + ".png";
}

}  // namespace plugfw
