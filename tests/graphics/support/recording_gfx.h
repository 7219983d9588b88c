#pragma once
// RecordingGfx: a graphics context whose back end and platform are a call log. Every
// back-end and platform operation appends one entry (paths, fills with their patterns,
// strokes, clips, transforms, text, bitmaps, layers, cursor calls, menus, text entries)
// and answers measure and load calls deterministically. UI thread, like any IGfx.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "graphics/api_bitmap.h"
#include "graphics/gfx.h"
#include "tests/graphics/support/call_log.h"

namespace plugfw::gfx::test {

// A bitmap with pixels of its own, so layer read-back and shadow masks have data.
class RecordingBitmap : public APIBitmap {
 public:
  RecordingBitmap(int32_t handle, int32_t width, int32_t height, float scale, float drawScale);
  std::vector<uint8_t> pixels;  // RGBA, width × height × 4, rows top-down
};

class RecordingGfx : public IGfx {
 public:
  static constexpr int32_t kFps = 30;
  // Measured text is this many units wide per byte and per unit of size.
  static constexpr float kGlyphWidthPerSize = 0.5f;

  explicit RecordingGfx(IGfxEditorDelegate& delegate, int32_t width = 300, int32_t height = 200,
                        float drawScale = 1.f);
  // Removes the controls while the recording part still stands, so their destructors may
  // still draw or call the platform.
  ~RecordingGfx() override;

  CallLog log;

  // Scripted answers.
  int32_t menuAnswer = -1;  // item number ShowNativePopupMenu picks; -1 dismisses
  bool menuIsAsync = false;
  // Runs inside ShowNativePopupMenu, as anything the platform's modal menu loop dispatches.
  std::function<void()> duringMenu;
  bool failOffscreenBitmaps = false;  // CreateOffscreenBitmap answers null
  bool pixelsFlipped = false;
  std::string clipboard;
  float mouseX = 0.f;
  float mouseY = 0.f;
  int32_t messageBoxAnswer = 1;
  float platformWindowScale = 1.f;  // GetPlatformWindowScale's answer
  // Cleared, the destructor leaves the controls to the graphics context's own.
  bool removeControlsOnDestruction = true;
  std::vector<uint8_t> lastShadowMask;

  // Sets the screen scale alone, without the resize that SetScreenScale carries out.
  using IGfx::SetScreenScaleValue;
  // Stands in for the input dispatch: the pointer holds the control until released.
  void CapturePointer(int64_t touchId, IControl* control) {
    captureMap_[static_cast<intptr_t>(touchId)] = control;
  }
  using IGfx::GetPromptMenu;

  // frame and sizing; BeginFrame still runs the base's frame clock
  void BeginFrame() override;
  void EndFrame() override;
  float GetPlatformWindowScale() const override { return platformWindowScale; }
  void PlatformResize(bool parentResized) override;
  void ResizeDrawSurface() override;
  void AfterResize() override;

  // back end
  void DrawBitmap(const BitmapRef& bitmap, const Rect& dest, int32_t srcX, int32_t srcY,
                  const Blend* blend = nullptr) override;
  Colour GetRendererRecord() const override { return ColourBlack; }
  void* GetDrawContext() override { return nullptr; }
  const char* GetDrawingApiName() const override { return "Recording"; }
  bool BitmapExtSupported(const char* extension) override;
  void GetLayerBitmapData(DrawLayer& layer, HeapBuffer& pixels) override;
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
  APIBitmap* LoadBitmapDataFromMemory(const char* name, const void* data, int32_t size, float scale) override;
  APIBitmap* LoadBitmapData(const char* path, float scale, ResourceLocation location,
                            const char* extension) override;
  std::unique_ptr<APIBitmap> CreateOffscreenBitmap(int32_t width, int32_t height, float scale,
                                                   float drawScale, bool cacheable) override;
  bool LoadFontIntoRenderer(const char* fontId, PlatformFont& font) override;
  int32_t AlphaByteIndex() const override { return 3; }
  bool LayerPixelsFlipped() const override { return pixelsFlipped; }
  float DoMeasureText(const TextStyle& style, const char* text, Rect& bounds) override;
  void DoDrawText(const TextStyle& style, const char* text, const Rect& bounds,
                  const Blend* blend = nullptr) override;

  // platform
  void GetMouseLocation(float& x, float& y) const override;
  void HideMouseCursor(bool hide = true, bool lock = true) override;
  void MoveMouseCursor(float x, float y) override;
  int32_t SetMouseCursor(int32_t kind = kArrowCursor) override;
  void EndPlatformTextEntry() override;
  void* OpenPlatformWindow(void* parent) override;
  void ClosePlatformWindow() override;
  void* GetPlatformWindow() override { return window_; }
  bool GetTextFromClipboard(HeapString& text) override;
  bool SetTextInClipboard(const char* text) override;
  void PopupMenuOpened() override;
  int32_t ShowMessageBox(const char* text, const char* caption, int32_t type,
                         MessageBoxCompletion completion = nullptr) override;
  void PickFileDialog(HeapString& fileName, HeapString& folder, int32_t action, const char* extensions,
                      FileDialogCompletion completion = nullptr) override;
  void PickDirectoryDialog(HeapString& folder, FileDialogCompletion completion = nullptr) override;
  bool PickColorDialog(Colour& colour, const char* prompt = "",
                       ColourCompletion completion = nullptr) override;
  bool OpenWebAddress(const char* address, const char* windowTitle = nullptr,
                      const char* confirmation = nullptr, const char* failure = nullptr) override;
  PlatformFontPtr LoadFontByName(const char* fontId, const char* family, int32_t style) override;
  PlatformFontPtr LoadFontFromMemory(const char* fontId, const void* data, int32_t size) override;
  PlatformFontPtr LoadFontFromFile(const char* fontId, const char* fileOrResourceName) override;
  void CachePlatformFont(const char* fontId, PlatformFont& font) override;
  void ShowNativeTextEntry(int32_t paramIdx, const TextStyle& style, const Rect& bounds, int32_t length,
                           const char* text) override;
  IPopupMenu* ShowNativePopupMenu(IPopupMenu& menu, const Rect& bounds, bool& isAsync) override;

 private:
  GfxCall& AddBlend(GfxCall& call, const Blend* blend);

  void* window_ = nullptr;
  int32_t nextBitmapHandle_ = 1;
};

}  // namespace plugfw::gfx::test
