// The graphics context's life: construction with its cache references, destruction.

#include "graphics/gfx.h"

#include "graphics/control.h"
#include "graphics/editor_scale.h"
#include "graphics/gfx_editor_delegate.h"
#include "graphics/resource_cache.h"
#include "graphics/text_entry_control.h"

namespace plugfw::gfx {

IGfx::IGfx(IGfxEditorDelegate& delegate, int32_t width, int32_t height, int32_t fps, float drawScale)
    : width_(width),
      height_(height),
      fps_(fps),
      // Every pixel alignment divides by the scale.
      drawScale_(IsUsableScale(drawScale) ? drawScale : 1.f),
      delegate_(&delegate),
      editGestures_(delegate) {
  // Bitmap cache first, then the SVG cache, wherever both are held.
  BitmapCache& bitmaps = StaticBitmapCache();
  SvgCache& svgs = StaticSvgCache();
  ScopedLock bitmapLock(&bitmaps.Lock());
  bitmaps.AddUser();
  ScopedLock svgLock(&svgs.Lock());
  svgs.AddUser();
}

IGfx::~IGfx() {
  // The platform part is gone by now: releasing the capture must not call into it. A
  // derived class removes the controls in its own destructor while it still stands.
  cursorHidden_ = false;
  RemoveAllControls();
  DiscardLayers();
  BitmapCache& bitmaps = StaticBitmapCache();
  SvgCache& svgs = StaticSvgCache();
  ScopedLock bitmapLock(&bitmaps.Lock());
  if (bitmaps.RemoveUser() == 1) bitmaps.Clear();
  ScopedLock svgLock(&svgs.Lock());
  if (svgs.RemoveUser() == 1) svgs.Clear();
}

void IGfx::DeleteSafely(IGfx* gfx) {
  if (!gfx) return;
  if (gfx->InControlWalk()) {
    gfx->deleteWhenWalkEnds_ = true;
    return;
  }
  delete gfx;
}

}  // namespace plugfw::gfx
