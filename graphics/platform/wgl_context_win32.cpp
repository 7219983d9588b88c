#include "graphics/platform/wgl_context_win32.h"

namespace plugfw::gfx {
namespace {

constexpr BYTE kColourBits = 32;
constexpr BYTE kDepthBits = 24;
constexpr BYTE kStencilBits = 8;

bool SetEditorPixelFormat(HDC dc) {
  PIXELFORMATDESCRIPTOR format = {};
  format.nSize = sizeof(format);
  format.nVersion = 1;
  format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  format.iPixelType = PFD_TYPE_RGBA;
  format.cColorBits = kColourBits;
  format.cDepthBits = kDepthBits;
  format.cStencilBits = kStencilBits;
  const int chosen = ChoosePixelFormat(dc, &format);
  return chosen != 0 && SetPixelFormat(dc, chosen, &format) != FALSE;
}

}  // namespace

bool WglContext::Create(HWND surface) {
  Destroy();
  // A null window would give the screen's device context.
  if (surface == nullptr || !IsWindow(surface)) return false;
  // The class keeps one device context per window, so this one stays valid after release.
  HDC dc = GetDC(surface);
  if (dc == nullptr) return false;
  ReleaseDC(surface, dc);
  if (!SetEditorPixelFormat(dc)) return false;
  HGLRC context = wglCreateContext(dc);
  if (context == nullptr) return false;
  surface_ = surface;
  dc_ = dc;
  context_ = context;
  return true;
}

void WglContext::Destroy() {
  if (context_ != nullptr) {
    if (wglGetCurrentContext() == context_) wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(context_);
  }
  surface_ = nullptr;
  dc_ = nullptr;
  context_ = nullptr;
  depth_ = 0;
  current_ = false;
}

bool WglContext::MakeCurrent() {
  if (depth_++ > 0) return current_;
  savedDc_ = wglGetCurrentDC();
  savedContext_ = wglGetCurrentContext();
  current_ = context_ != nullptr && wglMakeCurrent(dc_, context_) != FALSE;
  return current_;
}

void WglContext::Release() {
  if (depth_ == 0 || --depth_ > 0) return;
  // Putting back no context makes none current; putting back the host's restores it.
  if (current_) wglMakeCurrent(savedDc_, savedContext_);
  current_ = false;
  savedDc_ = nullptr;
  savedContext_ = nullptr;
}

}  // namespace plugfw::gfx
