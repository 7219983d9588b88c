// IGfxWin's life: construction, opening the child window with its GL context and renderer,
// closing in order, sizing, and the GL context pairs.

#include <windows.h>

#include <cmath>

#include "core/resources.h"
#include "graphics/gfx_editor_delegate.h"
#include "graphics/platform/gdi_present_win32.h"
#include "graphics/platform/gfx_win_win32.h"
#include "graphics/platform/win_font_win32.h"
#include "graphics/platform/window_class_win32.h"
#include "graphics/renderer/gl_functions.h"

namespace plugfw::gfx {
namespace {

constexpr DWORD kEditorWindowStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD kGLSurfaceStyle = WS_CHILD | WS_CLIPSIBLINGS;
constexpr int kDigitizerReady = 0x40;

// Frames are paced by the display's vertical blank from Windows 8 on.
bool SystemHasVerticalBlankWait() {
  OSVERSIONINFOEXW version = {};
  version.dwOSVersionInfoSize = sizeof(version);
  version.dwMajorVersion = 6;
  version.dwMinorVersion = 2;
  version.wServicePackMajor = 0;
  DWORDLONG condition = 0;
  condition = VerSetConditionMask(condition, VER_MAJORVERSION, VER_GREATER_EQUAL);
  condition = VerSetConditionMask(condition, VER_MINORVERSION, VER_GREATER_EQUAL);
  condition = VerSetConditionMask(condition, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
  return VerifyVersionInfoW(&version, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR,
                            condition) != FALSE;
}

// The module that holds this code, which owns the window class and the windows.
HINSTANCE ModuleOfThisCode() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&SystemHasVerticalBlankWait), &module);
  return module;
}

bool DigitizerReady() { return (GetSystemMetrics(SM_DIGITIZER) & kDigitizerReady) != 0; }

int RectWidth(const RECT& r) { return r.right - r.left; }
int RectHeight(const RECT& r) { return r.bottom - r.top; }

// The window's place in its parent's client area, from two screen rectangles.
RECT PlaceInParent(HWND parent, const RECT& screen) {
  POINT topLeft = {screen.left, screen.top};
  if (parent != nullptr) ScreenToClient(parent, &topLeft);
  return {topLeft.x, topLeft.y, topLeft.x + RectWidth(screen), topLeft.y + RectHeight(screen)};
}

// A child window, but not an MDI child: its parent is one that grows along with the editor.
bool IsPlainChildWindow(HWND window) {
  return window != nullptr && (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0 &&
         (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_MDICHILD) == 0;
}

void GrowWindow(HWND window, int dw, int dh) {
  RECT r;
  if (window == nullptr || !GetWindowRect(window, &r)) return;
  SetWindowPos(window, nullptr, 0, 0, RectWidth(r) + dw, RectHeight(r) + dh,
               SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

}  // namespace

IGfxWin::IGfxWin(IGfxEditorDelegate& delegate, int32_t width, int32_t height, int32_t fps, float scale)
    : IGfxCanvas(delegate, width, height, fps, scale),
      module_(ModuleOfThisCode()),
      glLoader_(&LoadGLFunctionsFromWGL),
      presentThroughGdi_(PresentsThroughGdi()),
      seam_(&SystemPlatformSeam()),
      vsync_(SystemHasVerticalBlankWait()) {
  AddPlatformFontCacheUser();
}

IGfxWin::~IGfxWin() {
  RemovePlatformFontCacheUser();
  editBox_.Destroy();
  ClosePlatformWindow();
}

void* IGfxWin::OpenPlatformWindow(void* parentHandle) {
  HWND parent = static_cast<HWND>(parentHandle);
  parent_ = parent;
  // A new window opens at the display's whole scale; the first tick brings the exact one.
  // One that replaces an open window takes its place, size and scale.
  const bool replacing = window_ != nullptr;
  const float scale = replacing ? GetScreenScale() : std::max(1.f, std::trunc(WindowDpiScale(parent)));
  RECT place = {0, 0, static_cast<LONG>(static_cast<int>(Width() * GetDrawScale()) * scale),
                static_cast<LONG>(static_cast<int>(Height() * GetDrawScale()) * scale)};
  if (replacing) {
    RECT old;
    GetWindowRect(window_, &old);
    ClosePlatformWindow();
    place = PlaceInParent(parent, old);
  } else {
    displayScale_ = scale;
    hostSetScale_ = false;
  }

  HWND window = CreateEditorWindow(parent, place);
  if (window == nullptr) return nullptr;
  window_ = window;
  forwardingKey_ = false;
  SetFocus(window_);
  DragAcceptFiles(window_, TRUE);

  if (CreateGLSurface(RectWidth(place), RectHeight(place)) && glContext_.Create(glSurface_)) StartRenderer();
  // Also makes the renderer's drawing surface for the new context.
  SetScreenScale(scale);
  GetDelegate()->LayoutUI(this);
  if (DigitizerReady()) touchRegistered_ = RegisterTouchWindow(window_, 0) != FALSE;
  SetAllControlsDirty();
  if (TooltipsEnabled()) CreateTooltips();
  StartFramePacing();
  GetDelegate()->OnEditorOpened();
  return window_;
}

HWND IGfxWin::CreateEditorWindow(HWND parent, const RECT& place) {
  if (!EditorWindowClass::Acquire(module_, &IGfxWin::WindowProcedure)) return nullptr;
  HWND window =
      CreateWindowExW(0, EditorWindowClass::kName, L"PlugFw", kEditorWindowStyle, place.left, place.top,
                      RectWidth(place), RectHeight(place), parent, nullptr, module_, this);
  // Nothing more is made, and no device context touched, for a window that is not there.
  if (window == nullptr) EditorWindowClass::Release(module_);
  return window;
}

bool IGfxWin::CreateGLSurface(int width, int height) {
  if (!presentThroughGdi_) {
    glSurface_ = window_;
    return true;
  }
  // Hidden: under Wine a window with a GL pixel format hides whatever is drawn into it.
  glSurface_ = CreateWindowExW(0, EditorWindowClass::kName, L"PlugFwGL", kGLSurfaceStyle, 0, 0, width, height,
                               window_, nullptr, module_, nullptr);
  return glSurface_ != nullptr;
}

void IGfxWin::StartRenderer() {
  ScopedGLCurrent current(glContext_);
  if (!current.Current()) return;
  // This context's own table: another editor's, maybe on another driver, is not touched.
  glLoader_(GLTable());
  if (GL().GetError != nullptr) GL().GetError();
  // Without a complete GL table the renderer refuses to start and the window paints nothing.
  CreateRendererContext();
}

void IGfxWin::StartFramePacing() {
  staleTicks_ = StaleTickFilter();
  if (vsync_ && verticalBlank_.Start(window_, kTickMessage)) return;
  // Without the thread the window timer paces the frames.
  vsync_ = false;
  SetTimer(window_, kFrameTimerId, static_cast<UINT>(FrameTimerIntervalMs(FPS())), nullptr);
}

void IGfxWin::StopFramePacing() {
  if (verticalBlank_.Running()) verticalBlank_.Stop();
  KillTimer(window_, kFrameTimerId);
}

void IGfxWin::ClosePlatformWindow() {
  if (window_ == nullptr) return;
  StopFramePacing();
  editBox_.Destroy();
  // Makes the context current itself, and makes no GL call when it cannot.
  DestroyRendererContext();
  glContext_.Destroy();
  DestroyTooltips();
  if (touchRegistered_) UnregisterTouchWindow(window_);
  touchRegistered_ = false;
  touches_ = TouchTracker();
  HWND window = window_;
  // Forgotten first: messages that destroying sends find no editor behind the window.
  window_ = nullptr;
  glSurface_ = nullptr;
  DestroyWindow(window);
  EditorWindowClass::Release(module_);
}

const uint8_t* IGfxWin::FindModuleResource(const char* name, const char* type, int32_t* size) {
  return FindResourceData(name, type, size, module_);
}

bool IGfxWin::MakeGLContextCurrent() { return glContext_.MakeCurrent(); }

void IGfxWin::ReleaseGLContext() { glContext_.Release(); }

bool IGfxWin::PlatformSupportsTouch() const { return DigitizerReady(); }

void IGfxWin::PlatformResize(bool parentResized) {
  RECT current;
  if (window_ == nullptr || !GetWindowRect(window_, &current)) return;
  const int dw =
      static_cast<int>(static_cast<float>(static_cast<int>(Width() * GetDrawScale())) * GetScreenScale() -
                       static_cast<float>(RectWidth(current)));
  const int dh =
      static_cast<int>(static_cast<float>(static_cast<int>(Height() * GetDrawScale())) * GetScreenScale() -
                       static_cast<float>(RectHeight(current)));
  if (dw == 0 && dh == 0) return;
  HWND parent = IsPlainChildWindow(window_) ? GetParent(window_) : nullptr;
  HWND grandparent = IsPlainChildWindow(parent) ? GetParent(parent) : nullptr;
  GrowWindow(window_, dw, dh);
  if (parentResized) return;
  GrowWindow(parent, dw, dh);
  GrowWindow(grandparent, dw, dh);
}

}  // namespace plugfw::gfx
