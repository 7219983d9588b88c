#pragma once
// IGfxCanvas: the graphics framework's drawing back end on the vector canvas and its OpenGL 2
// back end. Every frame draws into an offscreen main framebuffer of the editor's pixel size,
// which the end of the frame composites into the window's framebuffer as one textured
// rectangle; layers are further framebuffers drawing can be redirected to.
//
// UI thread only, with the window's GL context current. Every GL call goes through this
// object's own table, which the platform fills from its context before making the renderer
// context. Without a canvas (no renderer context yet, or a driver that lacks an entry point)
// every drawing operation does nothing and makes no GL call. The platform window derives from
// this class: everything platform stays pure or overridable here.

#include <cstdint>
#include <memory>
#include <vector>

#include "core/scoped_lock.h"
#include "graphics/gfx.h"
#include "graphics/renderer/canvas.h"
#include "graphics/renderer/gl_functions.h"
#include "graphics/resource_cache.h"

namespace plugfw::gfx {

struct LayerFramebuffer;

class IGfxCanvas : public IGfx {
 public:
  // A canvas image, or a layer's framebuffer with its image. It belongs to the IGfxCanvas that
  // made it and must not outlive it; deleted once that canvas is gone it frees only memory.
  class Bitmap : public APIBitmap {
   public:
    // UI thread. A plain image (id 0: none, size 0), deleted with the bitmap.
    Bitmap(IGfxCanvas& owner, int32_t image, float scale, float drawScale = 1.f);
    // UI thread. Takes the framebuffer over; the bitmap is its pixel size.
    Bitmap(IGfxCanvas& owner, LayerFramebuffer* framebuffer, int32_t width, int32_t height, float scale,
           float drawScale);
    // UI thread. A framebuffer's deletion waits for the end of an open frame.
    ~Bitmap() override;

    LayerFramebuffer* Framebuffer() const { return framebuffer_; }

   private:
    bool CanvasAlive() const;

    IGfxCanvas& owner_;
    LayerFramebuffer* framebuffer_ = nullptr;
    uint32_t generation_;
  };

  static constexpr const char* kDrawingApiName = "Canvas | GL2";

  // UI thread. Holds one reference on the process's RendererFontCache for its whole life.
  IGfxCanvas(IGfxEditorDelegate& delegate, int32_t width, int32_t height, int32_t fps, float drawScale);
  // UI thread. Removes the controls and layers (their bitmaps are this class's), tears a
  // renderer context still standing down with the GL context the caller keeps current, and
  // drops the font cache reference.
  ~IGfxCanvas() override;

  // ---- Overrides of IGfx, in slot order. ----
  // UI thread, with the GL context current: every override below.
  // Binds the window's framebuffer and clears it, then draws into the main framebuffer,
  // which keeps its pixels from frame to frame so that partial redraws fit.
  void BeginFrame() override;
  // Reads the window's framebuffer name while it is bound, then makes the canvas. Null (and
  // no canvas) when the GL table is incomplete or the shaders fail.
  void* CreateRendererContext() override;
  // Removes the controls, then frees bitmaps, deferred deletions, the main framebuffer and
  // the canvas, in that order, with the GL context made current. When it cannot be, no GL
  // call is made (it would reach whatever context is current): memory is freed and the GL
  // objects are left to the context's own deletion.
  void DestroyRendererContext() override;
  // Flushes the frame into the main framebuffer and, in the same flush, composites that into
  // the window's, which stays bound.
  void EndFrame() override;
  void DrawBitmap(const BitmapRef& bitmap, const Rect& dest, int32_t srcX, int32_t srcY,
                  const Blend* blend = nullptr) override;
  // A dash length that is not a positive number draws the line solid.
  void DrawDottedLine(const Colour& colour, float x1, float y1, float x2, float y2,
                      const Blend* blend = nullptr, float thickness = 1.f, float dashLength = 2.f) override;
  void DrawDottedRect(const Colour& colour, const Rect& bounds, const Blend* blend = nullptr,
                      float thickness = 1.f, float dashLength = 2.f) override;
  // Rows broken to the bounds' width, placed by the style's alignment as one block.
  void DrawMultiLineText(const TextStyle& style, const char* text, const Rect& bounds,
                         const Blend* blend = nullptr) override;
  Colour GetRendererRecord() const override { return ColourBlack; }
  void* GetDrawContext() override { return canvas_; }
  const char* GetDrawingApiName() const override { return kDrawingApiName; }
  // This class keeps its bitmaps in a cache of its own, the framework's static one is not used:
  // a bitmap handed over here (a rescaled one, say) is taken into it, once, and owned there.
  void CacheBitmap(const BitmapRef& bitmap, const char* name) override;
  void UncacheBitmap(APIBitmap* bitmap) override;
  // True for extensions containing png, jpg or jpeg, in any case.
  bool BitmapExtSupported(const char* extension) override;
  void DrawFastDropShadow(const Rect& inner, const Rect& outer, float dropOffset = 5.f, float roundness = 0.f,
                          float blur = 10.f, const Blend* blend = nullptr) override;
  // RGBA bytes, rows bottom-up, premultiplied; empty without a framebuffer to read.
  void GetLayerBitmapData(DrawLayer& layer, HeapBuffer& pixels) override;
  // Tints the blurred mask with the shadow's pattern and puts it behind the layer's content.
  void ApplyShadowMask(DrawLayer& layer, HeapBuffer& mask, const LayerShadow& shadow) override;
  void UpdateLayer() override;
  void PathClear() override;
  void PathClose() override;
  void PathArc(float cx, float cy, float r, float startAngle, float endAngle, int32_t winding = 0) override;
  void PathMoveTo(float x, float y) override;
  void PathLineTo(float x, float y) override;
  void PathSetWinding(bool hole) override;
  void PathCubicBezierTo(float c1x, float c1y, float c2x, float c2y, float x2, float y2) override;
  void PathQuadraticBezierTo(float cx, float cy, float x2, float y2) override;
  void PathStroke(const FillPattern& pattern, float thickness, const StrokeOptions& options = {},
                  const Blend* blend = nullptr) override;
  void PathFill(const FillPattern& pattern, const FillOptions& options = {},
                const Blend* blend = nullptr) override;
  void PathSetTransform(const PathTransform& transform) override;
  void SetClipRegion(const Rect& clip) override;
  // Remakes the main framebuffer at the editor's pixel size, cleared once. When the GL context
  // cannot be made current, at the start of the next frame instead.
  void ResizeDrawSurface() override;
  // Looked for in this object's bitmap cache at the target scale first, so a bitmap redrawn
  // for the scale is made once. Decoding needs the GL context: without it, nothing is loaded
  // (nor cached) this time. The same holds for the two loaders below.
  BitmapRef LoadBitmapFromMemory(const char* name, const void* data, int32_t size, int32_t frames = 1,
                                 bool framesHorizontal = false, int32_t targetScale = 0) override;
  // The image of the best scale found, decoded once into this object's bitmap cache; drawn at
  // its own scale, not redrawn. Empty for a name found nowhere or a type not supported.
  BitmapRef LoadBitmapScaled(const char* name, int32_t frames = 1, bool framesHorizontal = false,
                             int32_t targetScale = 0) override;
  // Cached in this object's bitmap cache, which owns the result; null without the GL context.
  APIBitmap* LoadBitmapDataFromMemory(const char* name, const void* data, int32_t size, float scale) override;
  // The caller owns the result; an image that does not decode gives a bitmap of size 0, and
  // none is made without the GL context.
  APIBitmap* LoadBitmapData(const char* path, float scale, ResourceLocation location,
                            const char* extension) override;
  std::unique_ptr<APIBitmap> CreateOffscreenBitmap(int32_t width, int32_t height, float scale,
                                                   float drawScale, bool cacheable) override;
  // The embedded font also answers to its other identifier ("KESTRALYN" and "Roboto-Regular").
  bool LoadFontIntoRenderer(const char* fontId, PlatformFont& font) override;
  int32_t AlphaByteIndex() const override { return kAlphaByte; }
  bool LayerPixelsFlipped() const override { return true; }
  // An unknown font, or a size or scale that makes no glyphs, measures 0 and an unset rect.
  float DoMeasureText(const TextStyle& style, const char* text, Rect& bounds) override;
  void DoDrawText(const TextStyle& style, const char* text, const Rect& bounds,
                  const Blend* blend = nullptr) override;

  // ---- Own operations. ----
  // Any thread: pure. A gradient pattern as a two-colour canvas paint in editor units: the
  // first and last stops' colours, alpha times the blend's weight. A singular transform counts
  // as the identity.
  static CanvasPaint PatternToCanvasPaint(const FillPattern& pattern, const Blend* blend);
  // UI thread: this and the two below. The canvas's composite operation for the blend's kind (null: source
  // over); a kind outside the table leaves it as it is.
  void SetCanvasBlendMode(const Blend* blend);
  // Deletes the framebuffer now, or at the end of the frame while one is open.
  void QueueBitmapDeletion(LayerFramebuffer* framebuffer);
  // Deletes every framebuffer queued, the last queued first.
  void FlushDeferredImageDeletes();

  // UI thread.
  CanvasContext* Canvas() const { return canvas_; }
  bool InFrame() const { return inFrame_; }
  // UI thread. The GL functions of the context this object draws in.
  const GLFunctions& GL() const { return gl_; }

 protected:
  // UI thread. The bytes of a module resource, which live as long as the module; null when
  // there is none. Read from the window's module (GetWinModuleHandle).
  virtual const uint8_t* FindModuleResource(const char* name, const char* type, int32_t* size);

  // UI thread, with the context current, before CreateRendererContext: the table the platform
  // fills from its context. The renderer context calls through it as long as it stands.
  GLFunctions& GLTable() { return gl_; }

  // UI thread. For the window and the tests: the frame's targets.
  const LayerFramebuffer* MainFramebuffer() const { return mainFramebuffer_; }
  GLuint WindowFramebuffer() const { return windowFramebuffer_; }

 private:
  static constexpr int32_t kAlphaByte = 3;

  // The platform's GL context made current for a scope, as it answered.
  class ScopedContext {
   public:
    explicit ScopedContext(IGfx& gfx) : gfx_(gfx), current_(gfx.MakeGLContextCurrent()) {}
    ~ScopedContext() { gfx_.ReleaseGLContext(); }
    ScopedContext(const ScopedContext&) = delete;
    ScopedContext& operator=(const ScopedContext&) = delete;
    bool Current() const { return current_; }

   private:
    IGfx& gfx_;
    bool current_;
  };

  struct TextPlacement {
    float x = 0.f;
    float y = 0.f;
    float scale = 0.f;  // glyph pixels per canvas unit
  };

  // Frames and targets (gfx_canvas_frames.cpp).
  int32_t MainCanvasWidth() const;
  int32_t MainCanvasHeight() const;
  int32_t MainPixelWidth() const;
  int32_t MainPixelHeight() const;
  void BindWindowFramebuffer();
  // The main framebuffer, or the window's while there is none.
  GLuint MainTarget() const;
  // Draws into framebuffer from now on (with drawing queued, at its place in the flush), a
  // canvas frame at the main canvas size begun.
  void BeginMainCanvasFrame(GLuint framebuffer);
  // Binds the top layer's framebuffer, or the main one, and begins the canvas frame at its size.
  void TargetDrawing();
  // The clip and the transform sent again after a canvas frame restarted mid-drawing.
  void ResendDrawingState();
  // Queues the main framebuffer's image into the window's framebuffer; the end of the frame
  // flushes it with the frame.
  void CompositeMainFramebuffer();
  // A framebuffer cleared to nothing, made without disturbing an open frame; null when the
  // driver cannot make it.
  LayerFramebuffer* MakeClearedFramebuffer(int32_t width, int32_t height);

  // Deletion (gfx_canvas.cpp): with the canvas that made it alive, else memory only.
  void ReleaseFramebuffer(LayerFramebuffer* framebuffer);
  void TearDownRenderer();

  // Text (gfx_canvas_text.cpp). Sets the canvas's font state for the style; false when the
  // text cannot make glyphs, with bounds unset.
  bool PrepareCanvasText(const TextStyle& style, const char* text, Rect& bounds, TextPlacement& placement);
  // The style's font and size on the canvas and the glyph cache, and the glyphs' scale; false
  // when they make no glyphs.
  bool UseStyleFont(const TextStyle& style, float& scale);
  int32_t TextAlignment(const TextStyle& style, const Rect& bounds, TextPlacement& placement) const;

  // Any thread: pure. The blend's weight within 0..1.
  static float UsableWeight(const Blend* blend);
  void FillWithColour(const Colour& colour, const Blend* blend);
  void FillPaintFromPattern(const FillPattern& pattern, const Blend* blend, bool forStroke);
  // Back to source-over, and a new path unless the drawn one is to be kept.
  void EndPathDrawing(bool keepPath);

  GLFunctions gl_;
  CanvasContext* canvas_ = nullptr;
  LayerFramebuffer* mainFramebuffer_ = nullptr;
  // The main framebuffer no longer has the editor's pixel size: its remaking found no context.
  bool drawSurfaceStale_ = false;
  bool inFrame_ = false;
  // The framebuffer the window draws into, as bound when the renderer context was made.
  GLuint windowFramebuffer_ = 0;
  // Counts renderer contexts made, so a bitmap can tell whether its canvas still stands.
  uint32_t generation_ = 0;
  // The last clip handed to the canvas, in canvas units before the current transform.
  Rect canvasClip_;
  bool hasCanvasClip_ = false;

  CriticalSection deletionLock_;
  std::vector<LayerFramebuffer*> deferredDeletions_;  // last queued at the back
  // This object's bitmaps loaded by name or from memory, owned by the cache.
  BitmapCache bitmapCache_;
};

}  // namespace plugfw::gfx
