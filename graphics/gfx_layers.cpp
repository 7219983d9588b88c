// The drawing interface's clip and offscreen layers, and a layer's drop shadow.

#include <algorithm>
#include <cmath>

#include "graphics/control.h"
#include "graphics/gfx.h"
#include "graphics/layer_blur.h"

namespace plugfw::gfx {
namespace {

// Offscreen targets larger than this on a side are refused: no back end makes them, and
// the pixel count must stay within 32 bits.
constexpr float kMaxLayerPixels = 16384.f;
constexpr int32_t kBytesPerPixel = 4;

}  // namespace

void IGfx::PathClipRegion(const Rect& r) {
  const Rect area = layers_.empty() ? currentClip_ : layers_.back()->bounds;
  const Rect clip = r.Unset() ? area : r.Intersection(area);
  PathSetTransform(kIdentityTransform);
  SetClipRegion(clip);
  PathSetTransform(transform_);
}

bool IGfx::StartLayer(IControl* control, const Rect& r, bool cacheable) {
  const float scale = GetBackingScale();
  const Rect aligned = r.PixelAligned(scale);
  const float pixelWidth = std::ceil(std::ceil(aligned.Width()) * scale);
  const float pixelHeight = std::ceil(std::ceil(aligned.Height()) * scale);
  std::unique_ptr<APIBitmap> bitmap;
  if (!r.Empty() && pixelWidth >= 1.f && pixelHeight >= 1.f && pixelWidth <= kMaxLayerPixels &&
      pixelHeight <= kMaxLayerPixels) {
    bitmap = CreateOffscreenBitmap(static_cast<int32_t>(pixelWidth), static_cast<int32_t>(pixelHeight),
                                   screenScale_, drawScale_, cacheable);
  }
  const bool made = bitmap != nullptr;
  startedLayers_.push_back(std::make_unique<DrawLayer>(
      std::move(bitmap), control, control ? control->GetRect() : Rect(), made ? aligned : Rect()));
  PushLayer(startedLayers_.back().get());
  return made;
}

void IGfx::PushLayer(DrawLayer* layer) {
  if (!layer) return;
  layers_.push_back(layer);
  UpdateLayer();
  transform_ = kIdentityTransform;
  PathSetTransform(transform_);
  PathClipRegion(layer->bounds);
  PathClear();
}

DrawLayer* IGfx::PopLayer() {
  DrawLayer* layer = nullptr;
  if (!layers_.empty()) {
    layer = layers_.back();
    layers_.pop_back();
  }
  UpdateLayer();
  transform_ = kIdentityTransform;
  PathSetTransform(transform_);
  PathClipRegion(Rect());
  PathClear();
  return layer;
}

LayerPtr IGfx::EndLayer() {
  DrawLayer* layer = PopLayer();
  const auto started = std::find_if(startedLayers_.begin(), startedLayers_.end(),
                                    [layer](const LayerPtr& owned) { return owned.get() == layer; });
  if (!layer || started == startedLayers_.end()) return nullptr;
  LayerPtr handed = std::move(*started);
  startedLayers_.erase(started);
  return handed;
}

void IGfx::DiscardLayers() {
  layers_.clear();
  startedLayers_.clear();
}

void IGfx::ApplyLayerDropShadow(DrawLayer& layer, const LayerShadow& shadow) {
  if (!layer.bitmap) return;
  const int32_t width = layer.bitmap->Width();
  const int32_t height = layer.bitmap->Height();
  HeapBuffer pixels(HeapBuffer::kBlockGranularity);
  GetLayerBitmapData(layer, pixels);
  if (width <= 0 || height <= 0 || pixels.Size() < width * height * kBytesPerPixel) return;
  const float blurPixels = layer.bitmap->Scale() * layer.bitmap->DrawScale() * shadow.blurSize;
  BlurAlphaChannel(pixels.Data(), width, height, AlphaByteIndex(), blurPixels);
  ApplyShadowMask(layer, pixels, shadow);
}

}  // namespace plugfw::gfx
