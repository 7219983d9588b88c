// The back end's life: its bitmaps, the renderer context made and torn down, and the
// deletion of framebuffers deferred to the end of the frame that may still draw them.
#include "graphics/renderer/gfx_canvas.h"

#include "core/resources.h"
#include "graphics/renderer/gl_backend.h"
#include "graphics/renderer/renderer_fonts.h"

namespace plugfw::gfx {
namespace {

// A framebuffer whose canvas is gone holds GL names nobody can delete any more.
void FreeFramebufferRecord(LayerFramebuffer* framebuffer) {
  *framebuffer = LayerFramebuffer{nullptr, 0, 0, 0, -1};
  delete framebuffer;
}

struct PixelSize {
  int width = 0;
  int height = 0;
};

// The image's size as the back end holds it; none for no image.
PixelSize ImageSize(CanvasContext* canvas, int32_t image) {
  PixelSize size;
  if (canvas == nullptr || image <= 0 || CanvasImageSize(canvas, image, &size.width, &size.height) == 0) {
    return PixelSize();
  }
  return size;
}

}  // namespace

IGfxCanvas::Bitmap::Bitmap(IGfxCanvas& owner, int32_t image, float scale, float drawScale)
    : owner_(owner), generation_(owner.generation_) {
  const PixelSize size = ImageSize(owner.canvas_, image);
  SetBitmap(image, size.width, size.height, scale, drawScale);
}

IGfxCanvas::Bitmap::Bitmap(IGfxCanvas& owner, LayerFramebuffer* framebuffer, int32_t width, int32_t height,
                           float scale, float drawScale)
    : owner_(owner), framebuffer_(framebuffer), generation_(owner.generation_) {
  SetBitmap(framebuffer ? framebuffer->image : 0, width, height, scale, drawScale);
}

IGfxCanvas::Bitmap::~Bitmap() {
  if (framebuffer_ != nullptr) {
    if (CanvasAlive()) {
      owner_.QueueBitmapDeletion(framebuffer_);
    } else {
      FreeFramebufferRecord(framebuffer_);
    }
  } else if (Handle() > 0 && CanvasAlive()) {
    CanvasDeleteImage(owner_.canvas_, Handle());
  }
}

bool IGfxCanvas::Bitmap::CanvasAlive() const {
  return owner_.canvas_ != nullptr && owner_.generation_ == generation_;
}

IGfxCanvas::IGfxCanvas(IGfxEditorDelegate& delegate, int32_t width, int32_t height, int32_t fps,
                       float drawScale)
    : IGfx(delegate, width, height, fps, drawScale) {
  RendererFontCache& fonts = SharedRendererFontCache();
  ScopedLock lock(fonts.Lock());
  fonts.AddUser();
}

IGfxCanvas::~IGfxCanvas() {
  // The platform part is gone: releasing the capture must not reach it.
  cursorHidden_ = false;
  RemoveAllControls();
  DiscardLayers();
  TearDownRenderer();
  RendererFontCache& fonts = SharedRendererFontCache();
  ScopedLock lock(fonts.Lock());
  fonts.RemoveUser();
}

void* IGfxCanvas::CreateRendererContext() {
  if (canvas_ != nullptr) return canvas_;
  // A driver without every entry point (framebuffer objects above all) gets no renderer, and
  // no GL call is made through the empty table.
  if (!gl_.complete) return nullptr;
  // Read now, while the window's own framebuffer is bound: at the end of a frame the main
  // framebuffer is, and compositing into that would draw the frame into itself.
  GLint bound = 0;
  gl_.GetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
  windowFramebuffer_ = static_cast<GLuint>(bound);
  canvas_ = GLCanvasCreate(kGLBackendAntiAlias, gl_);
  if (canvas_ != nullptr) ++generation_;
  return canvas_;
}

void IGfxCanvas::DestroyRendererContext() {
  ScopedContext context(*this);
  if (!context.Current() && canvas_ != nullptr) GLCanvasForgetContext(canvas_);
  // Controls may hold layers whose framebuffers are deleted through the canvas.
  RemoveAllControls();
  DiscardLayers();
  TearDownRenderer();
}

void IGfxCanvas::TearDownRenderer() {
  // Whatever a frame left open is deleted now, while the canvas still stands.
  inFrame_ = false;
  {
    ScopedLock hold(&bitmapCache_.Lock());
    bitmapCache_.Clear();
  }
  FlushDeferredImageDeletes();
  if (mainFramebuffer_ != nullptr) {
    ReleaseFramebuffer(mainFramebuffer_);
    mainFramebuffer_ = nullptr;
  }
  if (canvas_ != nullptr) {
    CanvasDelete(canvas_);
    canvas_ = nullptr;
  }
  hasCanvasClip_ = false;
}

void IGfxCanvas::ReleaseFramebuffer(LayerFramebuffer* framebuffer) {
  if (framebuffer == nullptr) return;
  if (canvas_ != nullptr && framebuffer->canvas == canvas_) {
    DeleteLayerFramebuffer(framebuffer);
  } else {
    FreeFramebufferRecord(framebuffer);
  }
}

void IGfxCanvas::QueueBitmapDeletion(LayerFramebuffer* framebuffer) {
  if (framebuffer == nullptr) return;
  if (inFrame_) {
    ScopedLock hold(&deletionLock_);
    deferredDeletions_.push_back(framebuffer);
    return;
  }
  ReleaseFramebuffer(framebuffer);
}

void IGfxCanvas::FlushDeferredImageDeletes() {
  ScopedLock hold(&deletionLock_);
  while (!deferredDeletions_.empty()) {
    LayerFramebuffer* framebuffer = deferredDeletions_.back();
    deferredDeletions_.pop_back();
    ReleaseFramebuffer(framebuffer);
  }
}

const uint8_t* IGfxCanvas::FindModuleResource(const char* name, const char* type, int32_t* size) {
  *size = 0;
  return FindResourceData(name, type, size, GetWinModuleHandle());
}

}  // namespace plugfw::gfx
