#pragma once
// The editor's OpenGL context on a window's own device context: the pixel format (RGBA,
// double-buffered, 32 colour, 24 depth and 8 stencil bits), the WGL context, and making it
// current in nested pairs so that the host's context and device context come back when the
// outermost pair ends. Windows-only header. UI thread.

#include <windows.h>

namespace plugfw::gfx {

class WglContext {
 public:
  WglContext() = default;
  ~WglContext() { Destroy(); }
  WglContext(const WglContext&) = delete;
  WglContext& operator=(const WglContext&) = delete;

  // UI thread. Sets the pixel format on surface's device context (its class must keep its own
  // device context) and makes a context for it. False, with nothing made and no GL call, when
  // the window, its pixel format or the context cannot be had.
  bool Create(HWND surface);
  // UI thread. Deletes the context; the caller has released it.
  void Destroy();
  bool Exists() const { return context_ != nullptr; }

  // UI thread. Makes the context current on the surface, remembering what was current before;
  // pairs nest, and only the outermost remembers and restores. False (still to be paired with
  // Release) when there is no context or it could not be made current.
  bool MakeCurrent();
  // UI thread. Ends one pair; the outermost puts back what was current before.
  void Release();
  bool IsCurrent() const { return depth_ > 0 && current_; }

  HDC DeviceContext() const { return dc_; }
  HWND Surface() const { return surface_; }

 private:
  HWND surface_ = nullptr;
  HDC dc_ = nullptr;
  HGLRC context_ = nullptr;
  HDC savedDc_ = nullptr;
  HGLRC savedContext_ = nullptr;
  int depth_ = 0;
  bool current_ = false;
};

// UI thread. Holds the context current for a scope.
class ScopedGLCurrent {
 public:
  explicit ScopedGLCurrent(WglContext& context) : context_(context), current_(context.MakeCurrent()) {}
  ~ScopedGLCurrent() { context_.Release(); }
  ScopedGLCurrent(const ScopedGLCurrent&) = delete;
  ScopedGLCurrent& operator=(const ScopedGLCurrent&) = delete;
  bool Current() const { return current_; }

 private:
  WglContext& context_;
  bool current_;
};

}  // namespace plugfw::gfx
