// Layers read back and shadowed: a layer's pixels as the framework's shadow blur wants them,
// and the blurred mask tinted and put behind the layer's content.
#include <algorithm>
#include <cstdint>

#include "graphics/renderer/gfx_canvas.h"
#include "graphics/renderer/gl_backend.h"

namespace plugfw::gfx {
namespace {

constexpr int64_t kBytesPerPixel = 4;

const IGfxCanvas::Bitmap* LayerBitmapOf(const DrawLayer& layer) {
  const auto* bitmap = dynamic_cast<const IGfxCanvas::Bitmap*>(layer.bitmap.get());
  return bitmap != nullptr && bitmap->Framebuffer() != nullptr ? bitmap : nullptr;
}

int64_t PixelBytes(const APIBitmap& bitmap) {
  return static_cast<int64_t>(bitmap.Width()) * bitmap.Height() * kBytesPerPixel;
}

}  // namespace

void IGfxCanvas::GetLayerBitmapData(DrawLayer& layer, HeapBuffer& pixels) {
  const Bitmap* bitmap = LayerBitmapOf(layer);
  const int64_t size = bitmap ? PixelBytes(*bitmap) : 0;
  if (canvas_ == nullptr || size <= 0 || size > INT32_MAX) {
    pixels.Resize(0, true);
    return;
  }
  pixels.Resize(static_cast<int32_t>(size), true);
  if (pixels.Size() < size) return;
  // Pushing flushes what was drawn so far and binds the layer's framebuffer.
  PushLayer(&layer);
  gl_.PixelStorei(GL_PACK_ALIGNMENT, 4);
  gl_.ReadPixels(0, 0, bitmap->Width(), bitmap->Height(), GL_RGBA, GL_UNSIGNED_BYTE, pixels.Data());
  PopLayer();
}

void IGfxCanvas::ApplyShadowMask(DrawLayer& layer, HeapBuffer& mask, const LayerShadow& shadow) {
  const Bitmap* layerBitmap = LayerBitmapOf(layer);
  if (canvas_ == nullptr || layerBitmap == nullptr || mask.Size() < PixelBytes(*layerBitmap)) return;
  const int32_t width = layerBitmap->Width();
  const int32_t height = layerBitmap->Height();
  const float scale = layerBitmap->Scale();
  const float drawScale = layerBitmap->DrawScale();

  if (!shadow.drawForeground) {
    PushLayer(&layer);
    CanvasCompositeFactors(canvas_, kBlendZero, kBlendZero);
    PathRect(layer.bounds);
    CanvasFillColour(canvas_, CanvasColour{0.f, 0.f, 0.f, 0.f});
    CanvasFill(canvas_);
    EndPathDrawing(false);
    PopLayer();
  }

  // The mask was read back bottom row first: flipped, it stands upright like the layer.
  Bitmap maskBitmap(
      *this, CanvasCreateImageRgba(canvas_, width, height, kImageFlipY | kImagePremultiplied, mask.Data()),
      scale, drawScale);
  if (maskBitmap.Handle() <= 0) return;
  DrawLayer tinted(CreateOffscreenBitmap(width, height, scale, drawScale, false), nullptr, Rect(),
                   layer.bounds);
  if (!tinted.bitmap) return;

  PathTransformSave();
  PushLayer(&layer);
  PushLayer(&tinted);
  DrawBitmap(BitmapRef(&maskBitmap, 1, false, ""), layer.bounds, 0, 0);
  // The pattern moves against the offset, so that it lands in place once the shadow is moved.
  PathRect(layer.bounds);
  PathTransformTranslate(-shadow.xOffset, -shadow.yOffset);
  const Blend onMask{kBlendSourceIn, 1.f};
  PathFill(shadow.pattern, FillOptions(), &onMask);
  PopLayer();
  const Blend behind{kBlendDestinationOver, std::clamp(shadow.opacity, 0.f, 1.f)};
  DrawBitmap(BitmapRef(tinted.bitmap.get(), 1, false, ""),
             layer.bounds.Offset(shadow.xOffset, shadow.yOffset), 0, 0, &behind);
  PopLayer();
  PathTransformRestore();
}

}  // namespace plugfw::gfx
