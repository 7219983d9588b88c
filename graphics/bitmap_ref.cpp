#include "graphics/bitmap_ref.h"

#include <cstdio>
#include <cstdlib>

#include "nanosvg.h"

namespace plugfw::gfx {

BitmapRef::BitmapRef(APIBitmap* apiBitmap, int32_t frames, bool horizontal, const char* sourceName)
    : bitmap(apiBitmap), frameCount(frames), framesHorizontal(horizontal), name(sourceName) {
  if (bitmap && bitmap->Scale() > 0.f) {
    width = static_cast<int32_t>(static_cast<float>(bitmap->Width()) / bitmap->Scale());
    height = static_cast<int32_t>(static_cast<float>(bitmap->Height()) / bitmap->Scale());
  }
}

float SvgRef::Width() const { return image ? image->width : 0.f; }
float SvgRef::Height() const { return image ? image->height : 0.f; }

}  // namespace plugfw::gfx
