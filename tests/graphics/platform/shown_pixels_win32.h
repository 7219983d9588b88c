#pragma once
// What an editor window shows, read as a person would see it on either road of the editor. Where
// frames go through GDI (Wine's road) that is the X screen. On the road Windows takes (the tests
// ask for it with PLUGFW_TEST_WINDOWS_ROAD=1) the GL context sits on the editor window and
// frames are shown with SwapBuffers; Wine shows no GL in a child window, so there the window's
// own GL framebuffer is read back, through a context of the test's on the window's device
// context. Links opengl32.

#include <windows.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "graphics/colour.h"
#include "tests/graphics/platform/x_screen_win32.h"

namespace plugfw::gfx::test {

// True when the tests run the editor on the road Windows takes.
inline bool OnWindowsRoad() {
  wchar_t value[2] = {};
  return GetEnvironmentVariableW(L"PLUGFW_TEST_WINDOWS_ROAD", value, 2) == 1 && value[0] == L'1';
}

class ShownPixels {
 public:
  // Reads the client area of window as it is shown; false when nothing could be read.
  bool Capture(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    width_ = client.right;
    height_ = client.bottom;
    return OnWindowsRoad() ? ReadFramebuffer(window) : ReadScreen(window);
  }

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }

  // The colour at a client pixel (opaque); transparent black outside the client area.
  Colour At(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return Colour(0, 0, 0, 0);
    const uint8_t* pixel = pixels_.data() + (static_cast<size_t>(y) * width_ + x) * 4;
    return Colour(255, pixel[0], pixel[1], pixel[2]);
  }

 private:
  bool ReadScreen(HWND window) {
    XScreen screen;
    if (!screen.Capture()) return false;
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    pixels_.assign(static_cast<size_t>(width_) * height_ * 4, 0);
    for (int32_t y = 0; y < height_; ++y) {
      for (int32_t x = 0; x < width_; ++x) {
        const Colour seen = screen.At(origin.x + x, origin.y + y);
        uint8_t* pixel = pixels_.data() + (static_cast<size_t>(y) * width_ + x) * 4;
        pixel[0] = static_cast<uint8_t>(seen.red);
        pixel[1] = static_cast<uint8_t>(seen.green);
        pixel[2] = static_cast<uint8_t>(seen.blue);
      }
    }
    return true;
  }

  // The back buffer holds the frame SwapBuffers last showed (Mesa keeps it); reading it through
  // a context of the test's own leaves the editor's context alone.
  bool ReadFramebuffer(HWND window) {
    HDC dc = GetDC(window);
    HGLRC context = dc != nullptr ? wglCreateContext(dc) : nullptr;
    HDC savedDc = wglGetCurrentDC();
    HGLRC savedContext = wglGetCurrentContext();
    const bool current = context != nullptr && wglMakeCurrent(dc, context);
    if (current) {
      pixels_.assign(static_cast<size_t>(width_) * height_ * 4, 0);
      glReadBuffer(GL_BACK);
      glPixelStorei(GL_PACK_ALIGNMENT, 4);
      std::vector<uint8_t> rows(pixels_.size());
      glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
      // GL counts rows from the bottom.
      const size_t stride = static_cast<size_t>(width_) * 4;
      for (int32_t y = 0; y < height_; ++y) {
        std::copy_n(rows.data() + (height_ - 1 - y) * stride, stride, pixels_.data() + y * stride);
      }
      wglMakeCurrent(savedDc, savedContext);
    }
    if (context != nullptr) wglDeleteContext(context);
    if (dc != nullptr) ReleaseDC(window, dc);
    return current;
  }

  int32_t width_ = 0;
  int32_t height_ = 0;
  std::vector<uint8_t> pixels_;  // red, green, blue, x; rows top-down
};

}  // namespace plugfw::gfx::test
