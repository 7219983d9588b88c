#include "graphics/layer_blur.h"

#include <algorithm>
#include <cmath>

namespace plugfw::gfx {
namespace {

constexpr int32_t kBytesPerPixel = 4;
constexpr double kKernelSpread = 4.5;

}  // namespace

BlurKernel MakeBlurKernel(float blurPixels) {
  const float size = std::isfinite(blurPixels) ? blurPixels : 0.f;
  const double d = std::clamp(static_cast<double>(size) + 1.0, 1.0, static_cast<double>(kMaxBlurPixels));
  const double e = kKernelSpread / (d * d);
  const int32_t length = static_cast<int32_t>(std::ceil(d));
  BlurKernel kernel;
  kernel.weights.resize(static_cast<size_t>(length));
  for (int32_t i = 0; i < length; ++i) {
    kernel.weights[i] = static_cast<int32_t>(std::lround(std::exp(-static_cast<double>(i) * i * e) * 255.0));
  }
  kernel.norm = kernel.weights[0];
  for (int32_t i = 1; i < length; ++i) kernel.norm += 2 * kernel.weights[i];
  return kernel;
}

uint8_t BlurSample(const uint8_t* row, int32_t stride, int32_t length, int32_t position,
                   const BlurKernel& kernel) {
  const int32_t reach = static_cast<int32_t>(kernel.weights.size()) - 1;
  const uint8_t centre = row[position * stride];
  // Inside a run of equal samples that fills the window, the sum is centre × norm.
  if (position - reach >= 0 && position + reach < length) {
    bool run = true;
    for (int32_t k = -reach; k <= reach && run; ++k) run = row[(position + k) * stride] == centre;
    if (run) return centre;
  }
  int64_t sum = static_cast<int64_t>(kernel.weights[0]) * centre;
  for (int32_t k = 1; k <= reach; ++k) {
    if (position - k >= 0) sum += static_cast<int64_t>(kernel.weights[k]) * row[(position - k) * stride];
    if (position + k < length) sum += static_cast<int64_t>(kernel.weights[k]) * row[(position + k) * stride];
  }
  return static_cast<uint8_t>(std::min<int64_t>(255, sum / kernel.norm));
}

void BlurAlphaChannel(uint8_t* pixels, int32_t width, int32_t height, int32_t alphaIndex, float blurPixels) {
  if (!pixels || width <= 0 || height <= 0 || alphaIndex < 0 || alphaIndex >= kBytesPerPixel) return;
  const BlurKernel kernel = MakeBlurKernel(blurPixels);
  // Each pass writes its rows as the other's columns: the scratch holds one row per column.
  std::vector<uint8_t> scratch(static_cast<size_t>(width) * static_cast<size_t>(height));
  uint8_t* alpha = pixels + alphaIndex;
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = alpha + static_cast<size_t>(y) * width * kBytesPerPixel;
    for (int32_t x = 0; x < width; ++x) {
      scratch[static_cast<size_t>(x) * height + y] = BlurSample(row, kBytesPerPixel, width, x, kernel);
    }
  }
  for (int32_t x = 0; x < width; ++x) {
    const uint8_t* column = scratch.data() + static_cast<size_t>(x) * height;
    for (int32_t y = 0; y < height; ++y) {
      alpha[(static_cast<size_t>(y) * width + x) * kBytesPerPixel] = BlurSample(column, 1, height, y, kernel);
    }
  }
}

}  // namespace plugfw::gfx
