#include "graphics/renderer/glyph_blur.h"

#include <cmath>

namespace plugfw::gfx {
namespace {

constexpr int32_t kAlphaBits = 16;
constexpr int32_t kFractionBits = 7;

// One line of count pixels, step bytes apart: forward from the second pixel, then back.
void BlurLine(uint8_t* p, int32_t count, int32_t step, int32_t alpha) {
  int32_t z = 0;
  for (int32_t i = 1; i < count; ++i) {
    uint8_t& pixel = p[i * step];
    z += (alpha * ((static_cast<int32_t>(pixel) << kFractionBits) - z)) >> kAlphaBits;
    pixel = static_cast<uint8_t>(z >> kFractionBits);
  }
  p[(count - 1) * step] = 0;
  z = 0;
  for (int32_t i = count - 2; i >= 0; --i) {
    uint8_t& pixel = p[i * step];
    z += (alpha * ((static_cast<int32_t>(pixel) << kFractionBits) - z)) >> kAlphaBits;
    pixel = static_cast<uint8_t>(z >> kFractionBits);
  }
  p[0] = 0;
}

void BlurColumns(uint8_t* block, int32_t w, int32_t h, int32_t stride, int32_t alpha) {
  for (int32_t x = 0; x < w; ++x) BlurLine(block + x, h, stride, alpha);
}

void BlurRows(uint8_t* block, int32_t w, int32_t h, int32_t stride, int32_t alpha) {
  for (int32_t y = 0; y < h; ++y) BlurLine(block + y * stride, w, 1, alpha);
}

}  // namespace

void GlyphBlur(uint8_t* block, int32_t w, int32_t h, int32_t stride, int32_t blur) {
  if (!block || w < 2 || h < 2 || blur < 1) return;
  // Two one-pole passes per axis approximate a Gaussian of sigma blur / sqrt(3).
  float sigma = static_cast<float>(blur) * 0.57735f;
  auto alpha = static_cast<int32_t>((1 << kAlphaBits) * (1.0f - std::exp(-2.3f / (sigma + 1.0f))));
  BlurColumns(block, w, h, stride, alpha);
  BlurRows(block, w, h, stride, alpha);
  BlurColumns(block, w, h, stride, alpha);
  BlurRows(block, w, h, stride, alpha);
}

}  // namespace plugfw::gfx
