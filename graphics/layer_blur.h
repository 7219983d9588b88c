#pragma once
// The blur of a layer's drop shadow: a Gaussian kernel in whole-number weights, run over the
// alpha byte of RGBA pixels, once along the rows and once along the columns. Any thread,
// on its own buffer.

#include <cstdint>
#include <vector>

namespace plugfw::gfx {

// Blurs wider than this many pixels are cut to it: the cost grows with the width, and a
// shadow that wide has long since faded into a haze.
inline constexpr float kMaxBlurPixels = 256.f;

struct BlurKernel {
  std::vector<int32_t> weights;  // weights[0] the centre, then outwards
  int32_t norm = 0;              // weights[0] + 2 * the rest
};

// For a blur of blurPixels device pixels: d = max(1, blurPixels + 1) (at most
// kMaxBlurPixels), weights[i] = round(255 * exp(-i² * 4.5 / d²)) for i below ceil(d).
// A non-finite size counts as 0.
BlurKernel MakeBlurKernel(float blurPixels);

// One output sample: the weighted sum of the samples of the window that lie inside the
// row (those beyond its ends count as 0, so edges fade), divided by the norm and capped
// at 255.
uint8_t BlurSample(const uint8_t* row, int32_t stride, int32_t length, int32_t position,
                   const BlurKernel& kernel);

// Blurs the alpha byte (at alphaIndex within each 4-byte pixel) of width × height pixels in
// place. Every pixel stays where it is, whichever way the rows run in memory.
void BlurAlphaChannel(uint8_t* pixels, int32_t width, int32_t height, int32_t alphaIndex, float blurPixels);

}  // namespace plugfw::gfx
