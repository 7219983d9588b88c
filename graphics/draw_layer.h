#pragma once
// DrawLayer and LayerShadow: an offscreen drawing target that a control may draw into and
// composite later, and the shadow a layer can cast. UI thread, inside one control's Draw.

#include <memory>

#include "graphics/api_bitmap.h"
#include "graphics/fill_pattern.h"
#include "graphics/rect.h"

namespace plugfw::gfx {

class IControl;

struct DrawLayer {
  std::unique_ptr<APIBitmap> bitmap;
  IControl* control = nullptr;  // the control it was started for, or none
  Rect controlRect;             // that control's rect at the time; unset without one
  Rect bounds;                  // pixel-aligned, editor units
  bool invalid = false;

  DrawLayer() = default;
  DrawLayer(std::unique_ptr<APIBitmap> layerBitmap, IControl* owner, const Rect& ownerRect,
            const Rect& layerBounds)
      : bitmap(std::move(layerBitmap)), control(owner), controlRect(ownerRect), bounds(layerBounds) {}
};

using LayerPtr = std::unique_ptr<DrawLayer>;

struct LayerShadow {
  FillPattern pattern = ColourDropShadow;
  float blurSize = 0.f;
  float xOffset = 0.f;
  float yOffset = 0.f;
  float opacity = 1.f;
  bool drawForeground = true;
};

}  // namespace plugfw::gfx
