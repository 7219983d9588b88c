// Frames and their targets: the persistent main framebuffer every frame draws into, its
// composite into the window's framebuffer, layers re-targeting the drawing, offscreen bitmaps
// and the main framebuffer's remaking when the editor's size or scale changes.
//
// A target's canvas frame is begun at its pixel size over the screen scale, so one canvas
// unit is exactly screen-scale pixels on every target: nothing is stretched by the
// truncation of a float product, and clips aligned to the pixel grid stay aligned. The
// composite joins the frame's own flush: one program bind and one vertex upload a frame.
#include <cmath>

#include "graphics/renderer/gfx_canvas.h"
#include "graphics/renderer/gl_backend.h"

namespace plugfw::gfx {
namespace {

// Larger surfaces are refused by every driver; the cap keeps the sizes far from overflow.
constexpr float kMaxSurfacePixels = 16384.f;
constexpr GLbitfield kClearAll = GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT;

// The truncated size, 0 for anything that is not a positive number.
int32_t TruncatedSize(float size) {
  if (!(size > 0.f)) return 0;
  return static_cast<int32_t>(std::fmin(size, kMaxSurfacePixels));
}

// A window not yet on a screen may report no scale.
float UsableRatio(float ratio) { return std::isfinite(ratio) && ratio > 0.f ? ratio : 1.f; }

void ClearBoundFramebuffer(const GLFunctions& gl, int32_t width, int32_t height) {
  gl.Viewport(0, 0, width, height);
  gl.ClearColor(0.f, 0.f, 0.f, 0.f);
  gl.Clear(kClearAll);
}

void BeginCanvasFrameAt(CanvasContext* canvas, GLuint framebuffer, int32_t pixelWidth, int32_t pixelHeight,
                        float screenScale) {
  const float ratio = UsableRatio(screenScale);
  GLCanvasDrawInto(canvas, framebuffer, pixelWidth, pixelHeight);
  CanvasBeginFrame(canvas, static_cast<float>(pixelWidth) / ratio, static_cast<float>(pixelHeight) / ratio,
                   ratio);
}

}  // namespace

int32_t IGfxCanvas::MainCanvasWidth() const { return TruncatedSize(static_cast<float>(width_) * drawScale_); }
int32_t IGfxCanvas::MainCanvasHeight() const {
  return TruncatedSize(static_cast<float>(height_) * drawScale_);
}

int32_t IGfxCanvas::MainPixelWidth() const {
  return TruncatedSize(static_cast<float>(MainCanvasWidth()) * UsableRatio(screenScale_));
}

int32_t IGfxCanvas::MainPixelHeight() const {
  return TruncatedSize(static_cast<float>(MainCanvasHeight()) * UsableRatio(screenScale_));
}

void IGfxCanvas::BindWindowFramebuffer() { gl_.BindFramebuffer(GL_FRAMEBUFFER, windowFramebuffer_); }

void IGfxCanvas::BeginMainCanvasFrame(GLuint framebuffer) {
  BeginCanvasFrameAt(canvas_, framebuffer, MainPixelWidth(), MainPixelHeight(), screenScale_);
}

GLuint IGfxCanvas::MainTarget() const {
  return mainFramebuffer_ ? mainFramebuffer_->framebuffer : windowFramebuffer_;
}

void IGfxCanvas::TargetDrawing() {
  const DrawLayer* top = TopLayer();
  const auto* layerBitmap = top ? dynamic_cast<const Bitmap*>(top->bitmap.get()) : nullptr;
  if (layerBitmap != nullptr && layerBitmap->Framebuffer() != nullptr) {
    BeginCanvasFrameAt(canvas_, layerBitmap->Framebuffer()->framebuffer, layerBitmap->Width(),
                       layerBitmap->Height(), screenScale_);
    return;
  }
  // A layer that got no bitmap keeps the drawing where it was; its unset clip lets nothing
  // through. Outside a frame nothing is drawn but into layers, so the window gets its binding
  // back once they are gone.
  BeginMainCanvasFrame(top == nullptr && !inFrame_ ? windowFramebuffer_ : MainTarget());
}

void IGfxCanvas::ResendDrawingState() {
  PathSetTransform(kIdentityTransform);
  if (hasCanvasClip_) SetClipRegion(canvasClip_);
  PathSetTransform(transform_);
}

void IGfxCanvas::BeginFrame() {
  if (drawSurfaceStale_) ResizeDrawSurface();
  inFrame_ = true;
  IGfx::BeginFrame();
  if (canvas_ == nullptr) return;
  // Explicitly: whatever an earlier call left bound, the clear is the window's, never the
  // main framebuffer's, whose pixels the partial redraws of this frame build on.
  BindWindowFramebuffer();
  ClearBoundFramebuffer(gl_, MainPixelWidth(), MainPixelHeight());
  BeginMainCanvasFrame(MainTarget());
}

void IGfxCanvas::EndFrame() {
  if (canvas_ != nullptr) {
    if (mainFramebuffer_ != nullptr) CompositeMainFramebuffer();
    CanvasEndFrame(canvas_);
  }
  inFrame_ = false;
  FlushDeferredImageDeletes();
}

void IGfxCanvas::CompositeMainFramebuffer() {
  // Queued after what the frame drew into the main framebuffer, and flushed with it.
  BeginMainCanvasFrame(windowFramebuffer_);
  const float ratio = UsableRatio(screenScale_);
  const float width = static_cast<float>(MainPixelWidth()) / ratio;
  const float height = static_cast<float>(MainPixelHeight()) / ratio;
  CanvasSave(canvas_);
  CanvasResetTransform(canvas_);
  CanvasBeginPath(canvas_);
  CanvasRect(canvas_, 0.f, 0.f, width, height);
  CanvasFillPaint(canvas_, CanvasImagePattern(0.f, 0.f, width, height, 0.f, mainFramebuffer_->image, 1.f));
  CanvasFill(canvas_);
  CanvasBeginPath(canvas_);
  CanvasRestore(canvas_);
}

void IGfxCanvas::UpdateLayer() {
  if (canvas_ == nullptr) return;
  CanvasEndFrame(canvas_);
  TargetDrawing();
}

LayerFramebuffer* IGfxCanvas::MakeClearedFramebuffer(int32_t width, int32_t height) {
  if (inFrame_) CanvasEndFrame(canvas_);
  LayerFramebuffer* framebuffer = CreateLayerFramebuffer(canvas_, width, height, 0);
  if (framebuffer != nullptr) {
    gl_.BindFramebuffer(GL_FRAMEBUFFER, framebuffer->framebuffer);
    ClearBoundFramebuffer(gl_, width, height);
  }
  if (inFrame_) {
    // The interrupted frame goes on where it was drawing, with its clip and transform.
    TargetDrawing();
    ResendDrawingState();
  } else {
    BindWindowFramebuffer();
  }
  return framebuffer;
}

std::unique_ptr<APIBitmap> IGfxCanvas::CreateOffscreenBitmap(int32_t width, int32_t height, float scale,
                                                             float drawScale, bool /*cacheable*/) {
  if (canvas_ == nullptr || width <= 0 || height <= 0) return nullptr;
  LayerFramebuffer* framebuffer = MakeClearedFramebuffer(width, height);
  if (framebuffer == nullptr) return nullptr;
  std::unique_ptr<APIBitmap> bitmap(new (std::nothrow)
                                        Bitmap(*this, framebuffer, width, height, scale, drawScale));
  if (!bitmap) ReleaseFramebuffer(framebuffer);
  return bitmap;
}

void IGfxCanvas::ResizeDrawSurface() {
  if (canvas_ == nullptr && mainFramebuffer_ == nullptr) return;
  ScopedContext context(*this);
  // Without it GL would reach whatever context is current, a host's maybe: the surface keeps
  // its size until a frame, which has the context, remakes it.
  drawSurfaceStale_ = !context.Current();
  if (drawSurfaceStale_) return;
  // What the frame drew so far goes into the old surface, whose deletion waits for the frame.
  if (inFrame_ && canvas_ != nullptr) CanvasEndFrame(canvas_);
  LayerFramebuffer* old = mainFramebuffer_;
  mainFramebuffer_ = nullptr;
  QueueBitmapDeletion(old);
  // Cleared once, here: frames never clear it, since partial redraws build on its pixels.
  if (canvas_ != nullptr) mainFramebuffer_ = MakeClearedFramebuffer(MainPixelWidth(), MainPixelHeight());
}

}  // namespace plugfw::gfx
