#include "graphics/svg_image.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <cmath>
#include <vector>

#define NANOSVG_IMPLEMENTATION
#include "nanosvg.h"

namespace plugfw::gfx {
namespace {

Colour ColourFromSvg(unsigned int abgr) {
  return Colour(static_cast<int32_t>((abgr >> 24) & 0xff), static_cast<int32_t>(abgr & 0xff),
                static_cast<int32_t>((abgr >> 8) & 0xff), static_cast<int32_t>((abgr >> 16) & 0xff));
}

PatternExtend ExtendFromSpread(char spread) {
  switch (spread) {
    case NSVG_SPREAD_REFLECT:
      return PatternExtend::kReflect;
    case NSVG_SPREAD_REPEAT:
      return PatternExtend::kRepeat;
    default:
      return PatternExtend::kPad;
  }
}

}  // namespace

SvgImage::~SvgImage() {
  if (image_) nsvgDelete(image_);
}

std::unique_ptr<SvgImage> ParseSvg(const void* data, int32_t size, const char* units, float dpi) {
  if (!data || size <= 0) return nullptr;
  // The parser writes into its input and needs a terminating NUL.
  std::vector<char> text(static_cast<const char*>(data), static_cast<const char*>(data) + size);
  text.push_back('\0');
  NSVGimage* image = nsvgParse(text.data(), units ? units : "px", dpi);
  if (!image) return nullptr;
  auto parsed = std::make_unique<SvgImage>(image);
  // Text that holds no SVG parses into an image of no size and no shapes; an image missing
  // either has nothing to draw.
  if (!image->shapes || !(image->width > 0.f && image->height > 0.f)) return nullptr;
  return parsed;
}

FillPattern SvgPaintToPattern(const NSVGpaint& paint, float opacity) {
  const float scaled = std::isfinite(opacity) ? opacity * 255.f : 0.f;
  const int32_t alpha = std::clamp(static_cast<int32_t>(std::lround(scaled)), 0, 255);
  if (paint.type == NSVG_PAINT_COLOR) {
    Colour colour = ColourFromSvg(paint.color);
    // The parser keeps fill-opacity and stroke-opacity in the colour's alpha byte.
    colour.alpha = (alpha * colour.alpha + 127) / 255;
    return colour;
  }
  if (paint.type == NSVG_PAINT_LINEAR_GRADIENT || paint.type == NSVG_PAINT_RADIAL_GRADIENT) {
    FillPattern pattern(paint.type == NSVG_PAINT_LINEAR_GRADIENT ? PatternType::kLinear
                                                                 : PatternType::kRadial);
    const NSVGgradient& gradient = *paint.gradient;
    pattern.extend = ExtendFromSpread(gradient.spread);
    for (int32_t i = 0; i < gradient.nstops && i < kMaxPatternStops; ++i) {
      pattern.AddStop(ColourFromSvg(gradient.stops[i].color), gradient.stops[i].offset);
    }
    const float* m = gradient.xform;
    pattern.transform = PathTransform(m[0], m[1], m[2], m[3], m[4], m[5]);
    return pattern;
  }
  return Colour(alpha, 0, 0, 0);
}

}  // namespace plugfw::gfx
