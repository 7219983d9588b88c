#pragma once
// IGfxWin: the editor window on Windows, the one concrete graphics class. It is the renderer
// back end IGfxCanvas plus the child window "PlugFw" inside the host's or program's window:
// its OpenGL context, the frame ticks of the vertical-blank thread (or a window timer on older
// systems), the per-tick road that invalidates what the controls dirtied, painting, input
// translated into the graphics context's events in editor units, and the platform services -
// menus, the native edit box, dialogs, clipboard, drag and drop, fonts.
//
// Everything here runs on the UI thread; the vertical-blank thread only posts tick messages.
// Windows-only header.

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cstdint>
#include <vector>

#include "graphics/platform/frame_pacing.h"
#include "graphics/platform/message_box_win32.h"
#include "graphics/platform/native_edit_box_win32.h"
#include "graphics/platform/pixel_geometry.h"
#include "graphics/platform/platform_seams_win32.h"
#include "graphics/platform/touch_tracker.h"
#include "graphics/platform/vblank_thread_win32.h"
#include "graphics/platform/wgl_context_win32.h"
#include "graphics/renderer/gfx_canvas.h"

namespace plugfw::gfx {

class IGfxWin final : public IGfxCanvas {
 public:
  // Any thread: the tick message of the vertical-blank thread and the frame timer's identifier.
  static constexpr UINT kTickMessage = WM_USER + 1;
  static constexpr UINT_PTR kFrameTimerId = 2;

  // UI thread, with the window's context current. Fills the window's GL table from that
  // context: null when every entry point was found, else the name of a missing one.
  using GLLoader = const char* (*)(GLFunctions& table);

  // UI thread. The editor of delegate at width x height units, ticking at fps, at draw scale.
  IGfxWin(IGfxEditorDelegate& delegate, int32_t width, int32_t height, int32_t fps, float scale);
  ~IGfxWin() override;

  // ---- Platform operations of IGfx. UI thread, every one. ----

  // UI thread: the cursor in editor units, hidden and locked, moved, and its kind.
  void GetMouseLocation(float& x, float& y) const override;
  void HideMouseCursor(bool hide = true, bool lock = true) override;
  void MoveMouseCursor(float x, float y) override;
  int32_t SetMouseCursor(int32_t kind = kArrowCursor) override;
  void EndPlatformTextEntry() override;

  // UI thread. Opens the editor's window in parent (an HWND); an open one is closed first and the new
  // one takes its place and size. Returns the window, or null when none could be made.
  void* OpenPlatformWindow(void* parent) override;
  // UI thread. Stops the ticks, releases the renderer and the GL context and destroys the window;
  // nothing when no window is open.
  void ClosePlatformWindow() override;
  void* GetPlatformWindow() override { return window_; }
  bool WindowIsOpen() override { return window_ != nullptr; }

  // UI thread: the clipboard, with the editor window as its owner, and a file dragged out.
  bool GetTextFromClipboard(HeapString& text) override;
  bool SetTextInClipboard(const char* text) override;
  bool SetFilePathInClipboard(const char* path) override;
  bool DragFilesOut(const char* path) override;
  void PopupMenuOpened() override {}

  // UI thread: modal dialogs, each through the platform seam.
  int32_t ShowMessageBox(const char* text, const char* caption, int32_t type,
                         MessageBoxCompletion completion = nullptr) override;
  void PickFileDialog(HeapString& fileName, HeapString& folder, int32_t action, const char* extensions,
                      FileDialogCompletion completion = nullptr) override;
  void PickDirectoryDialog(HeapString& folder, FileDialogCompletion completion = nullptr) override;
  bool PickColorDialog(Colour& colour, const char* prompt = "",
                       ColourCompletion completion = nullptr) override;
  bool OpenWebAddress(const char* address, const char* windowTitle = nullptr,
                      const char* confirmation = nullptr, const char* failure = nullptr) override;

  // UI thread: "win32", the shell's file manager and the module that owns the window.
  const char* GetPlatformApiName() const override { return "win32"; }
  bool RevealInExplorer(const char* path, bool select = false) override;
  void SetWinModuleHandle(void* module) override { module_ = static_cast<HINSTANCE>(module); }
  void* GetWinModuleHandle() override { return module_; }

  // UI thread: fonts from the system, memory and files or resources, under the font caches' locks.
  PlatformFontPtr LoadFontByName(const char* fontId, const char* family, int32_t style) override;
  PlatformFontPtr LoadFontFromMemory(const char* fontId, const void* data, int32_t size) override;
  PlatformFontPtr LoadFontFromFile(const char* fontId, const char* fileOrResourceName) override;
  void CachePlatformFont(const char* fontId, PlatformFont& font) override;

  // UI thread. Nest: only the outermost pair remembers and puts back the context that was current.
  // False when the window's context could not be made current; what was current stays so.
  bool MakeGLContextCurrent() override;
  void ReleaseGLContext() override;

  // UI thread: the native edit box (finished by the tick) and the native popup menu (modal).
  void ShowNativeTextEntry(int32_t paramIdx, const TextStyle& style, const Rect& bounds, int32_t length,
                           const char* text) override;
  IPopupMenu* ShowNativePopupMenu(IPopupMenu& menu, const Rect& bounds, bool& isAsync) override;

  // UI thread: touch, the screen scale and resizing the window (and its parents).
  bool PlatformSupportsTouch() const override;
  float GetPlatformWindowScale() const override { return GetScreenScale(); }
  void PlatformResize(bool parentResized) override;

  // ---- The window's own roads. UI thread. ----

  // UI thread. One frame tick: tick is the vertical-blank thread's number, 0 for a timer tick. Finishes
  // a native text entry, follows the display's scale, and invalidates what the controls
  // dirtied so that the next paint draws it.
  void OnDisplayTick(uint32_t tick);

  // UI thread. Tests put in their own GL loader (one that withholds an entry point, say) and their own
  // system calls for dialogs and the shell, before opening.
  void SetGLLoader(GLLoader loader) { glLoader_ = loader; }
  void SetPlatformSeam(const PlatformSeam& seam) { seam_ = &seam; }
  // UI thread, before opening: paces frames by the window timer, as on systems before
  // Windows 8, even where the vertical blank could be waited for.
  void PaceFramesByTimer() { vsync_ = false; }
  // UI thread. True when the window has a GL context and the renderer runs in it.
  bool RendererReady() const { return glContext_.Exists() && Canvas() != nullptr; }
  // UI thread. The native edit box of an open native text entry.
  const NativeEditBox& EditBox() const { return editBox_; }
  bool FramesPacedByVerticalBlank() const { return vsync_; }

 protected:
  // UI thread. The module's own resources (bitmaps named in the layout).
  const uint8_t* FindModuleResource(const char* name, const char* type, int32_t* size) override;

 private:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleWhileEditBoxFocused(UINT message, WPARAM wParam, LPARAM lParam);
  void OnTickMessage(uint32_t tick);

  // Opening and closing (gfx_win_window_win32.cpp).
  HWND CreateEditorWindow(HWND parent, const RECT& place);
  bool CreateGLSurface(int width, int height);
  void StartRenderer();
  void StartFramePacing();
  void StopFramePacing();

  // Frames (gfx_win_frame_win32.cpp).
  bool FinishNativeTextEntry();
  void FollowDisplayScale();
  void Paint();
  void PrintClient(HDC dc);
  void PresentThroughGdi(HDC dc, const std::vector<Rect>& areas);
  // GL current: copies area (pixels) of the drawn frame into dc.
  void CopyFrameToDc(HDC dc, const PixelRect& area);
  // The editor's size in device pixels, the size of the window and its framebuffers.
  int32_t PixelWidth() const;
  int32_t PixelHeight() const;

  // Input and the tooltip (gfx_win_input_win32.cpp).
  MouseState MouseStateAt(LPARAM lParam, WPARAM wParam);
  void OnMouseMove(WPARAM wParam, LPARAM lParam);
  void OnButtonDown(WPARAM wParam, LPARAM lParam);
  void OnButtonUp(UINT message, WPARAM wParam, LPARAM lParam);
  void OnMiddleButtonUp(WPARAM wParam);
  void OnDoubleClick(WPARAM wParam, LPARAM lParam);
  void OnWheel(WPARAM wParam, LPARAM lParam);
  LRESULT OnKey(UINT message, WPARAM wParam, LPARAM lParam);
  void OnDropFiles(HDROP drop);
  void OnTouch(WPARAM wParam, LPARAM lParam);
  void TrackMouseLeave(bool hoverChanged);
  void CreateTooltips();
  void DestroyTooltips();
  TOOLINFOW EditorTool(wchar_t* text) const;
  void ShowTooltipOfArmedControl();
  void HideTooltip();
  bool NativeTextEntryInProgress() const;

  HINSTANCE module_;
  HWND window_ = nullptr;
  HWND parent_ = nullptr;
  // Under Wine the GL context lives on this hidden child window and frames reach the visible
  // window through GDI, read from the main framebuffer (the hidden window's GL drawable keeps
  // the size it was made with); on Windows, and on the tests' Windows road, it is the window
  // itself.
  HWND glSurface_ = nullptr;
  WglContext glContext_;
  GLLoader glLoader_;
  bool presentThroughGdi_;
  std::vector<uint8_t> presentPixels_;

  const PlatformSeam* seam_;
  NativeEditBox editBox_;
  MessageBoxOwner owner_;

  HWND tooltip_ = nullptr;
  bool tooltipShown_ = false;
  int32_t tooltipControlIdx_ = -1;

  bool vsync_;
  VerticalBlankThread verticalBlank_;
  StaleTickFilter staleTicks_;
  // The screen scale that this window last set from the display; a different one was set by
  // the host, which then wins over the display.
  float displayScale_ = 0.f;
  bool hostSetScale_ = false;

  float hiddenCursorX_ = 0.f;
  float hiddenCursorY_ = 0.f;
  bool touchRegistered_ = false;
  TouchTracker touches_;
  bool forwardingKey_ = false;
};

}  // namespace plugfw::gfx
