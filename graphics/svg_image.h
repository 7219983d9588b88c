#pragma once
// SvgImage: one image parsed by nanosvg, owned, and the parse of an SVG text into one.
// UI thread; Any thread may parse its own copy.

#include <memory>

#include "graphics/bitmap_ref.h"
#include "graphics/fill_pattern.h"

struct NSVGpaint;

namespace plugfw::gfx {

class SvgImage {
 public:
  explicit SvgImage(NSVGimage* image) : image_(image) {}
  ~SvgImage();
  SvgImage(const SvgImage&) = delete;
  SvgImage& operator=(const SvgImage&) = delete;

  NSVGimage* Get() const { return image_; }
  SvgRef Ref() const { return SvgRef{image_}; }

 private:
  NSVGimage* image_;
};

// Parses size bytes of SVG text (no NUL needed); null when the data is not a usable image:
// one with no shapes or of no size counts as failed.
std::unique_ptr<SvgImage> ParseSvg(const void* data, int32_t size, const char* units, float dpi);

// The pattern an SVG paint gives at the shape's opacity: a colour as a solid pattern, a
// linear or radial gradient with its spread, first sixteen stops and transform.
FillPattern SvgPaintToPattern(const NSVGpaint& paint, float opacity);

}  // namespace plugfw::gfx
