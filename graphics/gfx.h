#pragma once
// IGfx: the editor's graphics context, one per open editor. It owns every control, routes
// input to them, tracks what needs drawing, draws through a back end, holds the editor's
// size and scales and reaches the process-wide bitmap and SVG caches. The renderer's
// IGfxCanvas derives from it and the Windows window IGfxWin from that; both fill the
// back-end and platform families of the virtual operations below.
//
// Everything here runs on the UI thread. The only locks are the two caches', always the
// bitmap cache's before the SVG cache's.
//
// The virtual operations stand in their fixed slot order, run by run. Each family's
// bodies live in a file of their own (gfx_<family>.cpp), so a family can be replaced
// without touching the others.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "core/heap_buffer.h"
#include "core/heap_string.h"
#include "core/pointer_list.h"
#include "core/resources.h"
#include "graphics/bitmap_ref.h"
#include "graphics/blend.h"
#include "graphics/colour.h"
#include "graphics/draw_layer.h"
#include "graphics/draw_options.h"
#include "graphics/edit_gesture_ledger.h"
#include "graphics/fill_pattern.h"
#include "graphics/input_events.h"
#include "graphics/path_transform.h"
#include "graphics/platform/platform_font.h"
#include "graphics/popup_menu.h"
#include "graphics/rect.h"
#include "graphics/text_style.h"

namespace plugfw::gfx {

class IControl;
class IGfxEditorDelegate;
class ITextEntryControl;
class RectList;

using PlatformFontPtr = std::unique_ptr<PlatformFont>;

// Where a named resource was found (SearchScaledImage, LoadBitmapData).
using ResourceLocation = plugfw::ResourceLocation;

class IGfx {
 public:
  using ControlFunction = std::function<void(IControl& control)>;
  using KeyHandler = std::function<bool(const KeyEvent& key, bool isKeyUp)>;
  using FrameHook = std::function<void(RectList& dirtyRects)>;
  using MessageBoxCompletion = std::function<void(int32_t result)>;
  using FileDialogCompletion = std::function<void(const HeapString& fileName, const HeapString& folder)>;
  using ColourCompletion = std::function<void(const Colour& colour)>;

  static constexpr int32_t kNoTag = -1;
  static constexpr int32_t kArrowCursor = 0;
  static constexpr float kDefaultMinScale = 0.5f;
  static constexpr float kDefaultMaxScale = 4.f;
  // Every control rectangle grows by this many units on each side before it is collected as
  // dirty or becomes a clip, so antialiased edges are redrawn with the control.
  static constexpr float kControlMargin = 0.75f;

  // UI thread. Takes one user reference on each process-wide cache.
  IGfx(IGfxEditorDelegate& delegate, int32_t width, int32_t height, int32_t fps, float drawScale);
  IGfx(const IGfx&) = delete;
  IGfx& operator=(const IGfx&) = delete;

  // UI thread: deletes gfx now, or - when called from inside one of its control walks, as
  // a control's handler closing the editor would - at the end of the outermost walk, so
  // the walk never touches freed controls. Deleting directly during a walk is an error.
  static void DeleteSafely(IGfx* gfx);

  // ---- Virtual operations, in slot order. UI thread, every one. ----

  // frame
  virtual void BeginFrame();
  // Returns the back end's drawing context, or null when there is none.
  virtual void* CreateRendererContext() { return nullptr; }
  virtual void DestroyRendererContext() {}
  virtual void EndFrame() {}

  // images; an empty bitmap or SVG draws nothing.
  virtual void DrawSvgInBounds(const SvgRef& svg, const Rect& bounds, const Blend* blend = nullptr,
                               const Colour* strokeColour = nullptr, const Colour* fillColour = nullptr);
  virtual void DrawRotatedSvg(const SvgRef& svg, float x, float y, float width, float height, float angle,
                              const Blend* blend = nullptr);
  virtual void DrawBitmap(const BitmapRef& bitmap, const Rect& dest, int32_t srcX, int32_t srcY,
                          const Blend* blend = nullptr) = 0;
  virtual void DrawFittedBitmap(const BitmapRef& bitmap, const Rect& bounds, const Blend* blend = nullptr);
  virtual void DrawRotatedBitmap(const BitmapRef& bitmap, float x, float y, float angle,
                                 const Blend* blend = nullptr);

  // strokes
  virtual void DrawPoint(const Colour& colour, float x, float y, const Blend* blend = nullptr);
  virtual void DrawLine(const Colour& colour, float x1, float y1, float x2, float y2,
                        const Blend* blend = nullptr, float thickness = 1.f);
  virtual void DrawDottedLine(const Colour& colour, float x1, float y1, float x2, float y2,
                              const Blend* blend = nullptr, float thickness = 1.f, float dashLength = 2.f);
  virtual void DrawTriangle(const Colour& colour, float x1, float y1, float x2, float y2, float x3, float y3,
                            const Blend* blend = nullptr, float thickness = 1.f);
  virtual void DrawRect(const Colour& colour, const Rect& bounds, const Blend* blend = nullptr,
                        float thickness = 1.f);
  virtual void DrawRoundRectCorners(const Colour& colour, const Rect& bounds, float topLeft, float topRight,
                                    float bottomRight, float bottomLeft, const Blend* blend = nullptr,
                                    float thickness = 1.f);
  virtual void DrawRoundRect(const Colour& colour, const Rect& bounds, float radius = 5.f,
                             const Blend* blend = nullptr, float thickness = 1.f);
  // Angles in degrees, 0 at 12 o'clock, growing clockwise.
  virtual void DrawArc(const Colour& colour, float cx, float cy, float r, float startAngle, float endAngle,
                       const Blend* blend = nullptr, float thickness = 1.f);
  virtual void DrawCircle(const Colour& colour, float cx, float cy, float r, const Blend* blend = nullptr,
                          float thickness = 1.f);
  virtual void DrawEllipse(const Colour& colour, float cx, float cy, float rx, float ry, float angle = 0.f,
                           const Blend* blend = nullptr, float thickness = 1.f);
  virtual void DrawEllipseInRect(const Colour& colour, const Rect& bounds, const Blend* blend = nullptr,
                                 float thickness = 1.f);
  // Fewer than two points draw nothing.
  virtual void DrawConvexPolygon(const Colour& colour, const float* x, const float* y, int32_t count,
                                 const Blend* blend = nullptr, float thickness = 1.f);
  virtual void DrawDottedRect(const Colour& colour, const Rect& bounds, const Blend* blend = nullptr,
                              float thickness = 1.f, float dashLength = 2.f);

  // fills
  virtual void FillTriangle(const Colour& colour, float x1, float y1, float x2, float y2, float x3, float y3,
                            const Blend* blend = nullptr);
  virtual void FillRect(const Colour& colour, const Rect& bounds, const Blend* blend = nullptr);
  virtual void FillRoundRectCorners(const Colour& colour, const Rect& bounds, float topLeft, float topRight,
                                    float bottomRight, float bottomLeft, const Blend* blend = nullptr);
  virtual void FillRoundRect(const Colour& colour, const Rect& bounds, float radius = 5.f,
                             const Blend* blend = nullptr);
  virtual void FillCircle(const Colour& colour, float cx, float cy, float r, const Blend* blend = nullptr);
  virtual void FillEllipse(const Colour& colour, float cx, float cy, float rx, float ry, float angle = 0.f,
                           const Blend* blend = nullptr);
  virtual void FillEllipseInRect(const Colour& colour, const Rect& bounds, const Blend* blend = nullptr);
  virtual void FillArc(const Colour& colour, float cx, float cy, float r, float startAngle, float endAngle,
                       const Blend* blend = nullptr);
  virtual void FillConvexPolygon(const Colour& colour, const float* x, const float* y, int32_t count,
                                 const Blend* blend = nullptr);

  // text
  // The text's width; bounds becomes its measured box. An empty text measures 0.
  virtual float MeasureText(const TextStyle& style, const char* text, Rect& bounds);
  virtual void DrawMultiLineText(const TextStyle& style, const char* text, const Rect& bounds,
                                 const Blend* blend = nullptr);

  // back-end queries
  virtual Colour GetRendererRecord() const = 0;
  virtual void* GetDrawContext() = 0;
  virtual const char* GetDrawingApiName() const = 0;

  // bitmap cache. CacheBitmap takes the bitmap over; a back end that keeps its bitmaps in a
  // cache of its own makes it (and UncacheBitmap) do nothing and owns them itself.
  virtual BitmapRef RescaleBitmap(const BitmapRef& bitmap, const char* name, int32_t targetScale);
  virtual void CacheBitmap(const BitmapRef& bitmap, const char* name);
  virtual void UncacheBitmap(APIBitmap* bitmap);
  virtual bool BitmapExtSupported(const char* extension) = 0;

  // misc drawing
  virtual void DrawFastDropShadow(const Rect& /*inner*/, const Rect& /*outer*/, float /*dropOffset*/ = 5.f,
                                  float /*roundness*/ = 0.f, float /*blur*/ = 10.f,
                                  const Blend* /*blend*/ = nullptr) {}
  // Lines every spacing units inside bounds; a spacing of 1 or less draws none that way.
  virtual void DrawGrid(const Colour& colour, const Rect& bounds, float spacingX, float spacingY,
                        const Blend* blend = nullptr, float thickness = 1.f);
  // values 0..1 from bottom to top; x positions 0..1 across, or even spacing when null.
  // Fewer than two values draw nothing.
  virtual void DrawData(const Colour& colour, const Rect& bounds, const float* values, int32_t count,
                        const float* xPositions = nullptr, const Blend* blend = nullptr,
                        float thickness = 1.f, const FillPattern* fill = nullptr);

  // fonts
  virtual bool LoadFontData(const char* fontId, const void* data, int32_t size);
  virtual bool LoadFont(const char* fontId, const char* fileOrResourceName);

  // layers
  virtual void ApplyLayerDropShadow(DrawLayer& layer, const LayerShadow& shadow);
  // The layer's pixels as RGBA bytes (empty when there are none).
  virtual void GetLayerBitmapData(DrawLayer& layer, HeapBuffer& pixels) = 0;
  virtual void ApplyShadowMask(DrawLayer& layer, HeapBuffer& mask, const LayerShadow& shadow) = 0;
  // Re-targets drawing after the layer stack changed.
  virtual void UpdateLayer() {}

  // paths
  virtual void PathClear() = 0;
  virtual void PathClose() = 0;
  // Degrees, 0 at 12 o'clock; winding 0 runs clockwise, any other value counter-clockwise.
  virtual void PathArc(float cx, float cy, float r, float startAngle, float endAngle,
                       int32_t winding = 0) = 0;
  virtual void PathMoveTo(float x, float y) = 0;
  virtual void PathLineTo(float x, float y) = 0;
  // Marks the sub-path begun last as a hole (or as solid again).
  virtual void PathSetWinding(bool hole) { (void)hole; }
  virtual void PathCubicBezierTo(float c1x, float c1y, float c2x, float c2y, float x2, float y2) = 0;
  virtual void PathQuadraticBezierTo(float cx, float cy, float x2, float y2) = 0;
  virtual void PathStroke(const FillPattern& pattern, float thickness, const StrokeOptions& options = {},
                          const Blend* blend = nullptr) = 0;
  virtual void PathFill(const FillPattern& pattern, const FillOptions& options = {},
                        const Blend* blend = nullptr) = 0;
  virtual void PathSetTransform(const PathTransform& transform) = 0;

  // clip hooks
  virtual void AfterDrawControl(const Rect& /*clip*/) {}
  virtual void SetClipRegion(const Rect& clip) = 0;

  // reserved: nothing calls them
  virtual void ReservedHookA() {}
  virtual void ReservedHookB() {}
  virtual void ReservedHookC() {}

  // platform input
  virtual void GetMouseLocation(float& x, float& y) const = 0;
  virtual void HideMouseCursor(bool hide = true, bool lock = true) = 0;
  virtual void MoveMouseCursor(float x, float y) = 0;
  // Returns the kind in force before.
  virtual int32_t SetMouseCursor(int32_t kind = kArrowCursor);
  virtual void EndPlatformTextEntry() = 0;

  // platform window
  virtual void* OpenPlatformWindow(void* parent) = 0;
  virtual void ClosePlatformWindow() = 0;
  virtual void* GetPlatformWindow() = 0;
  virtual bool WindowIsOpen() { return GetPlatformWindow() != nullptr; }

  // clipboard and drag
  virtual bool GetTextFromClipboard(HeapString& text) = 0;
  virtual bool SetTextInClipboard(const char* text) = 0;
  virtual bool SetFilePathInClipboard(const char* /*path*/) { return false; }
  virtual bool DragFilesOut(const char* /*path*/) { return false; }
  virtual void PopupMenuOpened() = 0;

  // dialogs; each is modal and returns once the user answered
  virtual int32_t ShowMessageBox(const char* text, const char* caption, int32_t type,
                                 MessageBoxCompletion completion = nullptr) = 0;
  // action 0 opens, 1 saves; extensions separated by spaces.
  virtual void PickFileDialog(HeapString& fileName, HeapString& folder, int32_t action,
                              const char* extensions, FileDialogCompletion completion = nullptr) = 0;
  virtual void PickDirectoryDialog(HeapString& folder, FileDialogCompletion completion = nullptr) = 0;
  // True when the user chose a colour.
  virtual bool PickColorDialog(Colour& colour, const char* prompt = "",
                               ColourCompletion completion = nullptr) = 0;
  virtual bool OpenWebAddress(const char* address, const char* windowTitle = nullptr,
                              const char* confirmation = nullptr, const char* failure = nullptr) = 0;

  // platform identity
  virtual const char* GetPlatformApiName() const { return ""; }
  virtual bool RevealInExplorer(const char* /*path*/, bool /*select*/ = false) { return false; }
  virtual void SetWinModuleHandle(void* /*module*/) {}
  virtual void* GetWinModuleHandle() { return nullptr; }
  virtual void ReservedHookD() {}

  // platform fonts; style 0 regular, 1 bold, 2 italic
  virtual PlatformFontPtr LoadFontByName(const char* fontId, const char* family, int32_t style) = 0;
  virtual PlatformFontPtr LoadFontFromMemory(const char* fontId, const void* data, int32_t size) = 0;
  virtual PlatformFontPtr LoadFontFromFile(const char* fontId, const char* fileOrResourceName) = 0;
  virtual void CachePlatformFont(const char* fontId, PlatformFont& font) = 0;

  // resource identity
  virtual const char* GetResourceBundle() const { return ""; }
  virtual const char* ReservedStringHook() const { return ""; }

  // GL context: true when the editor's context is current afterwards, and only then may GL be
  // called; pair every call with ReleaseGLContext, whatever it answered. None here.
  virtual bool MakeGLContextCurrent() { return false; }
  virtual void ReleaseGLContext() {}

  // native widgets
  virtual void ShowNativeTextEntry(int32_t paramIdx, const TextStyle& style, const Rect& bounds,
                                   int32_t length, const char* text) = 0;
  // The (sub)menu holding the chosen item, or null when dismissed; isAsync is set when the
  // answer comes later through the menu's completion.
  virtual IPopupMenu* ShowNativePopupMenu(IPopupMenu& menu, const Rect& bounds, bool& isAsync) = 0;

  // destruction: removes every control, then drops the cache references (the last
  // graphics object of the process empties both caches).
  virtual ~IGfx();

  // platform sizing
  virtual bool PlatformSupportsTouch() const { return false; }
  virtual float GetPlatformWindowScale() const { return 1.f; }
  virtual void PlatformResize(bool /*parentResized*/) {}
  virtual void ResizeDrawSurface() {}
  virtual void AfterResize() {}
  virtual int32_t ReservedIntHook() { return 0; }

  // resources; target scale 0 means the display's
  virtual BitmapRef LoadBitmapFromMemory(const char* name, const void* data, int32_t size, int32_t frames = 1,
                                         bool framesHorizontal = false, int32_t targetScale = 0);
  virtual BitmapRef LoadBitmapScaled(const char* name, int32_t frames = 1, bool framesHorizontal = false,
                                     int32_t targetScale = 0);
  virtual SvgRef LoadSvgFromMemory(const char* name, const void* data, int32_t size, const char* units = "px",
                                   float dpi = 72.f);
  virtual SvgRef LoadSvgByName(const char* name, const char* units = "px", float dpi = 72.f);
  // The resource's bytes; empty when not found or not wholly readable.
  virtual HeapBuffer LoadNamedData(const char* name, const char* type);
  virtual void AddIdToList(int32_t id);

  // back-end resources. The loaded bitmaps go to whichever cache the caller keeps.
  virtual APIBitmap* LoadBitmapDataFromMemory(const char* name, const void* data, int32_t size,
                                              float scale) = 0;
  virtual APIBitmap* LoadBitmapData(const char* path, float scale, ResourceLocation location,
                                    const char* extension) = 0;
  // Null when the back end cannot make it.
  virtual std::unique_ptr<APIBitmap> CreateOffscreenBitmap(int32_t width, int32_t height, float scale,
                                                           float drawScale, bool cacheable) = 0;
  virtual bool LoadFontIntoRenderer(const char* fontId, PlatformFont& font) = 0;
  // Byte offset of alpha within the four bytes of a pixel read back.
  virtual int32_t AlphaByteIndex() const = 0;
  // True when the rows read back run bottom-up.
  virtual bool LayerPixelsFlipped() const = 0;

  // text back end
  virtual float DoMeasureText(const TextStyle& style, const char* text, Rect& bounds) = 0;
  virtual void DoDrawText(const TextStyle& style, const char* text, const Rect& bounds,
                          const Blend* blend = nullptr) = 0;

  // scale
  // Device pixels per editor unit.
  virtual float GetBackingScale() const { return drawScale_ * screenScale_; }

  // ---- Control list (UI thread) ----

  // Runs the deferred work of control walks when the outermost one ends: controls removed
  // meanwhile are deleted then (last removed first), and a deletion of the graphics object
  // asked for meanwhile happens last. Every walk over the controls and every dispatch into
  // a control that may remove controls holds one.
  class ControlWalk {
   public:
    explicit ControlWalk(IGfx& gfx);
    ~ControlWalk();
    ControlWalk(const ControlWalk&) = delete;
    ControlWalk& operator=(const ControlWalk&) = delete;

   private:
    IGfx& gfx_;
  };

  // Attaches a control: tag entry (a tag of 0 or more must be unused), delegate and graphics
  // pointers, OnInit, OnResize, OnRescale, group, list, OnAttached. Returns the control, now
  // owned by this object; or null, and the control stays the caller's to delete: for a tag in
  // use or a list that cannot grow, and for a null control.
  IControl* AttachControl(IControl* control, int32_t tag = kNoTag, const char* group = "");
  // Creates the in-editor text entry once; it is a special control, not in the list.
  void AttachTextEntry();
  // Deletes one attached control of the list; inside a walk it is skipped at once and
  // deleted when the walk ends. False when it is not in the list.
  bool RemoveControl(IControl* control);
  // Deletes every control, special ones included, last attached first. Inside a walk the
  // controls leave the list at once and are deleted when the walk ends.
  void RemoveAllControls();
  // The listed controls in attach order, then the performance display, the corner resizer,
  // the text entry and the popup menu control (when present), then the extra controls.
  void ForAllControls(const ControlFunction& function);
  void SetAllControlsDirty();
  void SetAllControlsClean();

  int32_t NControls() const { return controls_.Count(); }
  IControl* GetControl(int32_t index) const { return controls_.Get(index); }
  int32_t GetControlIdx(const IControl* control) const { return controls_.Find(control); }
  IControl* GetControlWithTag(int32_t tag) const;
  // Special controls; the graphics context owns what it is handed and gives it the delegate
  // and itself. The one it replaces is forgotten and deleted as a removed control is.
  IControl* GetCornerResizer() const { return cornerResizer_.get(); }
  void SetCornerResizer(std::unique_ptr<IControl> resizer);
  IControl* GetPopupMenuControl() const { return popupMenuControl_.get(); }
  void SetPopupMenuControl(std::unique_ptr<IControl> control);
  // The frame-time display; frame starts record their times into one that is an
  // IPerformanceDisplayControl.
  IControl* GetPerformanceDisplay() const { return perfDisplay_.get(); }
  void SetPerformanceDisplay(std::unique_ptr<IControl> display);
  ITextEntryControl* GetTextEntryControl() const { return textEntry_.get(); }
  // The extra list: owned, visited after everything else; false when it cannot grow
  // (the control is deleted).
  bool AttachExtraControl(IControl* control);
  int32_t NExtraControls() const { return extraControls_.Count(); }
  bool InControlWalk() const { return walkDepth_ > 0; }

  void EnableTooltips(bool enable);

  // ---- Input dispatch (UI thread, from the platform window's messages) ----
  // Every point is in editor units; touch identifier 0 is the mouse. Events that hit no
  // control are dropped.

  // The control for a point, by fixed priority: the pointer's captured control, an expanded
  // popup menu control, an editing text entry, the corner resizer, the performance display,
  // then the listed controls from the last attached down (mouse-over tests only with hover
  // tracking on, and never the background). With capture the pointer holds what it found;
  // with multi-touch on, a control held by another pointer is found only when it wants
  // multi-touch. With mouseOver the found list index becomes the mouse-over index.
  IControl* HitTestControl(float x, float y, bool capture, bool mouseOver, int64_t touchId = 0);
  // One state per pointer. A press begins an edit for every bound slot of the control it
  // hits, held by its pointer; a right-button press on a bound control opens its context
  // menu instead and dispatches no further pointers.
  void MouseDownAll(const std::vector<MouseState>& states);
  // Moves reach the controls their pointers hold (only the text entry while one edits);
  // a state without movement is not delivered.
  void MouseDragAll(const std::vector<MouseState>& states);
  // Releases end the edits their pointers held; a single mouse release updates the hover.
  void MouseUpAll(const std::vector<MouseState>& states);
  // True when a control was hit.
  bool MouseDoubleClick(float x, float y, const ModifierKeys& mod);
  bool MouseWheel(float x, float y, const ModifierKeys& mod, float delta);
  // True when a control is under the point.
  bool MouseOverAt(float x, float y, const ModifierKeys& mod);
  void MouseOutAll();
  // The control under the point (never the background), then the key handler. True when
  // handled.
  bool OnKeyDown(float x, float y, const KeyEvent& key);
  bool OnKeyUp(float x, float y, const KeyEvent& key);
  void DropOnControl(const char* path, float x, float y);
  void DropMultipleOnControl(const std::vector<const char*>& paths, float x, float y);

  // True while any pointer holds the control.
  bool ControlIsCaptured(const IControl* control) const;
  // Empties the capture map, ends every edit the pointers held and brings a hidden cursor back.
  void ReleaseMouseCapture();
  // The road of every edit from the controls to the delegate.
  EditGestureLedger& GetEditGestures() { return editGestures_; }
  float GetMouseDownX() const { return mouseDownX_; }
  float GetMouseDownY() const { return mouseDownY_; }

  // ---- Value prompts, menus and text entry (UI thread) ----
  // A menu of the display texts for a listed parameter, otherwise a text entry.
  void PromptValueEntry(IControl* control, const Rect& bounds, int32_t valIdx);
  IPopupMenu* ShowControlPopupMenu(IControl* control, IPopupMenu& menu, const Rect& bounds, int32_t valIdx);
  IPopupMenu* ShowPopupMenuFor(IControl* control, IPopupMenu& menu, const Rect& bounds, int32_t valIdx,
                               bool isContextMenu);
  // The control's own context menu at the point, when it fills one.
  void ShowControlContextMenuLocal(IControl* control, int32_t paramIdx, float x, float y);
  void CreateTextEntry(IControl* control, const TextStyle& style, const Rect& bounds, const char* text,
                       int32_t valIdx);
  // The context menu of a right click on a control bound to paramIdx (-1: none) at (x, y):
  // through the host where the build shows it there (the VST3 module), otherwise local.
  void ShowControlContextMenu(IControl* control, int32_t paramIdx, float x, float y);
  // Hands the entered text to the control in edit: parsed into its parameter (text that
  // does not parse to a finite value changes nothing), or to its OnTextEntryCompletion.
  void ApplyTextEntry(const char* text);
  // Every other listed control bound to the same parameter shows the control's value.
  void UpdatePeerControls(IControl* control, int32_t valIdx);
  IPopupMenu& GetPromptMenu() { return promptMenu_; }
  // The prompt menu emptied for its next user - no items, choice, title or completion - since
  // every prompt and context menu shares it.
  IPopupMenu& ResetPromptMenu();
  IControl* GetControlInTextEntry() const { return inTextEntry_; }
  // The value index of the control in edit that the entered text goes to; -1 for none.
  int32_t GetTextEntryValIdx() const { return textEntryValIdx_; }
  void ClearInTextEntryControl() { inTextEntry_ = nullptr; }

  // ---- Drawing interface (UI thread, inside a control's Draw) ----
  void DrawTextIfAny(const TextStyle& style, const char* text, const Rect& bounds,
                     const Blend* blend = nullptr);
  // For a rotated text style: r becomes the bounding box of r turned by the angle, and the
  // offsets move it back to where the alignment in bounds puts it.
  void TextRotationOffset(const TextStyle& style, const Rect& bounds, Rect& r, float& dx, float& dy) const;
  void ApplyTextRotationToBounds(const TextStyle& style, const Rect& bounds, Rect& r) const;

  // Path builders: add to the current path.
  void PathRect(const Rect& bounds);
  // Radii are limited to [0, half the shorter side]; all 0 is a plain rect.
  void PathRoundRect(const Rect& bounds, float topLeft, float topRight, float bottomRight, float bottomLeft);
  void PathRoundRect(const Rect& bounds, float radius) {
    PathRoundRect(bounds, radius, radius, radius, radius);
  }
  void PathCircle(float cx, float cy, float r);
  void PathEllipse(float cx, float cy, float rx, float ry, float angle = 0.f);
  void PathEllipse(const Rect& bounds);
  // Fewer than two points add nothing.
  void PathConvexPolygon(const float* x, const float* y, int32_t count);

  // The current transform is T·M for each operation's matrix M (M acts first).
  void PathTransformSave();
  void PathTransformRestore();
  void PathTransformReset(bool clearStack = false);
  void PathTransformTranslate(float x, float y);
  void PathTransformScale(float sx, float sy);
  void PathTransformScale(float scale) { PathTransformScale(scale, scale); }
  void PathTransformRotate(float degrees);
  void PathTransformMatrix(const PathTransform& matrix);
  const PathTransform& GetTransform() const { return transform_; }
  int32_t TransformStackDepth() const { return static_cast<int32_t>(transformStack_.size()); }

  // Clips to r within the drawing area (the top layer's bounds, else the current clip); an
  // unset r restores the whole drawing area.
  void PathClipRegion(const Rect& r = Rect());
  const Rect& GetCurrentClip() const { return currentClip_; }
  void SetCurrentClip(const Rect& clip) { currentClip_ = clip; }

  // Starts an offscreen layer over r, aligned to the pixel grid. Always pushes exactly one
  // layer, so EndLayer stays paired: when r is empty or the back end cannot make the
  // bitmap, the layer has no bitmap and unset bounds, so drawing into it is clipped away.
  // False in that case.
  bool StartLayer(IControl* control, const Rect& r, bool cacheable = false);
  // A layer pushed here stays its owner's.
  void PushLayer(DrawLayer* layer);
  DrawLayer* PopLayer();
  // Pops a layer made by StartLayer and hands it over; null for an empty stack or a layer
  // that was pushed by its owner.
  LayerPtr EndLayer();
  int32_t LayerCount() const { return static_cast<int32_t>(layers_.size()); }
  DrawLayer* TopLayer() const { return layers_.empty() ? nullptr : layers_.back(); }

  // Draws the image's visible shapes with the current transform.
  void RenderSvgShapes(const SvgRef& svg, const Blend* blend, const Colour* strokeColour,
                       const Colour* fillColour);

  // ---- Frame road (UI thread) ----
  // At the tick: runs the frame hook and every control's animation step, then appends the
  // padded rectangle of every dirty control (moved into its parent's) that has an area. True
  // when anything was appended. The controls stay dirty; the tick cleans them.
  bool CollectDirtyRects(RectList& rects);
  // At paint time: one frame over the rectangles, in editor units. In strict drawing one pass
  // over their union; otherwise the list is aligned to the pixel grid and merged in place,
  // and every control is drawn once per rectangle it touches. An empty list draws nothing.
  void DrawRectList(RectList& rects);
  // Draws one control clipped to its padded, pixel-aligned rectangle within area and within
  // its ancestors. Hidden controls draw nothing, except the background at index 0.
  void DrawControl(IControl* control, const Rect& area, float backingScale);

  // ---- Sizing and scale (UI thread) ----
  // Resize mode 0 of the corner resizer zooms the editor; any other mode resizes it.
  static constexpr int32_t kScaleResizeMode = 0;

  // Bounds of the draw scale, in either order; the draw scale itself is not changed. Bounds
  // that are not finite numbers above 0 are refused.
  void SetScaleBounds(float a, float b);
  // The delegate constrains the size, the scale is held within its bounds; a request that
  // then equals the current size and scale does nothing at all. Otherwise, in this order:
  // the capture is released, the values stored, the corner resizer re-anchored, the host
  // asked (ResizeFromUI with the host pixel size) and the window resized with its answer,
  // every control resized and marked dirty, the draw surface remade, the editor laid out
  // again when asked for, and AfterResize. A NaN scale is refused.
  void ResizeEditor(int32_t width, int32_t height, float scale, bool resizeHost);
  // Zooming with a parent of parentWidth x parentHeight host pixels: the editor keeps its units
  // and takes the draw scale at which it fills the parent (FitScaleToParent, within the scale
  // bounds). Where none does, it takes the nearest and asks the host for the size it then has,
  // also when it had that scale already. Sizes not above 0 change nothing.
  void FitEditorToParent(int32_t parentWidth, int32_t parentHeight);
  // A new display scale: the host and the window hear of the new pixel size, every control
  // is rescaled and marked dirty, the draw surface is remade. Not finite or not above 0: refused.
  void SetScreenScale(float scale);
  // The editor's size in host pixels: int(platform window scale × int(units × draw scale)).
  int32_t HostWidth() const;
  int32_t HostHeight() const;

  // The corner resizer: attached once (a second call changes nothing), anchored in the
  // bottom-right corner, size pixels on each side (a size that is not above 0 is refused).
  void AttachCornerResizer(int32_t resizeMode, bool layoutOnResize, const Colour& normalColour,
                           const Colour& mouseOverColour, const Colour& dragColour, float size);
  // The resizer's press: resizing starts, measured from this point (editor units).
  void BeginCornerResize(float x, float y);
  // A single pointer's drag while resizing: scale mode zooms by the smaller of the two
  // ratios to the press point, size mode takes the point as the new size.
  void DragCornerResizer(float x, float y);
  // The release that ends the resize: scale mode rescales and dirties every control, size
  // mode only the resizer.
  void EndCornerResize();
  int32_t GetResizeMode() const { return resizeMode_; }
  bool GetLayoutOnResize() const { return layoutOnResize_; }
  void SetLayoutOnResize(bool layout) { layoutOnResize_ = layout; }

  // ---- Resources (UI thread) ----
  // Where the image for targetScale lives: the scales are tried best first (the target, 3,
  // then 2 down to 1), each under its name@Nx variant, as a module resource of the
  // extension's type or a file; path and sourceScale take the first found.
  ResourceLocation SearchScaledImage(const char* name, const char* extension, HeapString& path,
                                     int32_t targetScale, int32_t& sourceScale);
  // The static cache's bitmap of that name at the best scale it holds (same order); null when
  // it holds none.
  APIBitmap* FindCachedBitmapAtAnyScale(const char* name, int32_t targetScale, int32_t& scale);

  // ---- Size, scale and state (UI thread) ----
  IGfxEditorDelegate* GetDelegate() const { return delegate_; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  int32_t FPS() const { return fps_; }
  float GetDrawScale() const { return drawScale_; }
  float GetScreenScale() const { return screenScale_; }
  float GetMinScale() const { return minScale_; }
  float GetMaxScale() const { return maxScale_; }
  int32_t GetCursorKind() const { return cursorKind_; }
  bool TooltipsEnabled() const { return tooltips_; }
  bool HoverTracking() const { return hoverTracking_; }
  void SetHoverTracking(bool enable) { hoverTracking_ = enable; }
  bool StrictDrawing() const { return strictDrawing_; }
  void SetStrictDrawing(bool strict) { strictDrawing_ = strict; }
  bool MultiTouch() const { return multiTouch_; }
  void SetMultiTouch(bool enable) { multiTouch_ = enable; }
  bool IsResizing() const { return resizing_; }
  void SetResizing(bool resizing) { resizing_ = resizing; }
  bool CursorHidden() const { return cursorHidden_; }
  void SetKeyHandler(KeyHandler handler) { keyHandler_ = std::move(handler); }
  void SetFrameHook(FrameHook hook) { frameHook_ = std::move(hook); }
  int32_t GetMouseOverIdx() const { return mouseOverIdx_; }
  IControl* GetMouseOverControl() const { return mouseOver_; }

 protected:
  void SetScreenScaleValue(float scale) { screenScale_ = scale; }
  // Empties the layer stack and deletes the layers started and never ended. A back end
  // calls it before it goes, since layer bitmaps are its own.
  void DiscardLayers();

  // Members, in declaration order. The families of the operations read and write them
  // directly; the platform window's own come last.
  PointerList<IControl> controls_;
  std::unordered_map<int32_t, IControl*> tagMap_;
  std::unique_ptr<IControl> cornerResizer_;
  PointerList<IControl> extraControls_;
  std::unique_ptr<IControl> popupMenuControl_;
  std::unique_ptr<IControl> perfDisplay_;
  std::unique_ptr<ITextEntryControl> textEntry_;
  IPopupMenu promptMenu_;
  int32_t cursorKind_ = kArrowCursor;
  int32_t width_;
  int32_t height_;
  int32_t fps_;
  float screenScale_ = 1.f;
  float drawScale_;
  std::vector<int32_t> idList_;
  std::unordered_map<intptr_t, IControl*> captureMap_;  // touch identifier (0: the mouse) to control
  IControl* mouseOver_ = nullptr;
  IControl* inTextEntry_ = nullptr;
  IControl* popupRequester_ = nullptr;
  bool popupIsContextMenu_ = false;
  int32_t textEntryValIdx_ = -1;
  int32_t popupValIdx_ = -1;
  int32_t mouseOverIdx_ = -1;
  float mouseDownX_ = -1.f;
  float mouseDownY_ = -1.f;
  float minScale_ = kDefaultMinScale;
  float maxScale_ = kDefaultMaxScale;
  bool hoverTracking_ = false;
  bool strictDrawing_ = false;
  bool tooltips_ = false;
  bool resizing_ = false;
  bool layoutOnResize_ = false;
  bool multiTouch_ = false;
  int32_t resizeMode_ = 0;
  double lastFrameTime_ = 0.0;
  KeyHandler keyHandler_;
  FrameHook frameHook_;
  IGfxEditorDelegate* delegate_;
  bool cursorHidden_ = false;
  bool cursorLocked_ = false;
  bool penInput_ = false;
  std::deque<DrawLayer*> layers_;
  Rect currentClip_;
  PathTransform transform_ = kIdentityTransform;
  std::deque<PathTransform> transformStack_;
  float lastMouseX_ = -1.f;
  float lastMouseY_ = -1.f;
  void* platformHandle_ = nullptr;
  uint64_t platformValue_ = 0;

 private:
  // A bitmap found for a load: a decoded one goes to the cache (which owns it from then on),
  // and one at another scale is redrawn at the target scale.
  BitmapRef AtTargetScale(APIBitmap* bitmap, bool decoded, const char* name, int32_t frames,
                          bool framesHorizontal, int32_t targetScale);
  // Hands a platform font to the renderer and, when taken, to the platform's font cache.
  bool RegisterPlatformFont(const char* fontId, PlatformFontPtr font);
  // Tells the host, then the window, of the new pixel size. False when the editor was
  // closed meanwhile (its deletion waits for the walk the caller holds).
  bool ResizeHostAndWindow(bool resizeHost);
  void EndControlWalk();
  bool IsPendingRemoval(const IControl* control) const;
  void ForgetControl(const IControl* control);
  // Clears every link to parent from the controls this object owns.
  void ForgetParent(const IControl* parent);
  // Puts control into a special control's slot: the one there is forgotten and deleted (when
  // the walk ends, inside one), the new one gets the delegate and this object.
  void ReplaceSpecialControl(std::unique_ptr<IControl>& slot, std::unique_ptr<IControl> control);
  void DeleteRemovedControls();
  bool VisitControl(IControl* control, const ControlFunction& function);

  // Whether the control may take the event: not hidden, not ignoring the mouse, and enabled
  // or taking this kind of event while disabled.
  bool TakesPointer(const IControl& control, bool mouseOver) const;
  // The control under the point, then the key handler.
  bool DispatchKey(float x, float y, const KeyEvent& key, bool isKeyUp);

  EditGestureLedger editGestures_;
  // Where the corner resizer was pressed, in editor units; -1 while no resize runs.
  float cornerPressX_ = -1.f;
  float cornerPressY_ = -1.f;
  // Started layers the caller has not taken back with EndLayer.
  std::vector<LayerPtr> startedLayers_;
  int32_t walkDepth_ = 0;
  bool deleteWhenWalkEnds_ = false;
  // Controls removed during a walk, owned here until it ends.
  std::vector<IControl*> removedControls_;
  std::vector<std::unique_ptr<IControl>> removedSpecialControls_;
};

}  // namespace plugfw::gfx
