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
#include <cstdlib>
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

  // Reads the client area of window as the window prints itself (WM_PRINT): the editor copies
  // its main framebuffer, all it drew, whatever reached the screen.
  bool CapturePrint(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    width_ = client.right;
    height_ = client.bottom;
    if (width_ <= 0 || height_ <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    SendMessageW(window, WM_PRINT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    GdiFlush();
    pixels_.assign(static_cast<size_t>(width_) * height_ * 4, 0);
    const auto* source = static_cast<const uint8_t*>(bits);
    for (size_t i = 0; bits != nullptr && i < pixels_.size(); i += 4) {
      pixels_[i] = source[i + 2];  // blue, green, red, x in the DIB
      pixels_[i + 1] = source[i + 1];
      pixels_[i + 2] = source[i];
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return bits != nullptr;
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

  // SwapBuffers may exchange the buffers, leaving the frame before the last one in the back
  // buffer, so the whole window is painted twice first and both hold the frame shown; it is
  // read through a context of the test's own, which leaves the editor's context alone.
  bool ReadFramebuffer(HWND window) {
    for (int paint = 0; paint < 2; ++paint)
      RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
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

// Pixels of window's client area as shown that differ by more than a step of rounding from
// what it prints of itself: the window's last column and row included, so a band of black or
// of another window's pixels counts. A frame may still be on its way: a few tries. -1 when
// nothing could be read.
inline int32_t PixelsShownButNotDrawn(HWND window, int attempts = 3) {
  int32_t differing = -1;
  for (int attempt = 0; attempt < attempts && differing != 0; ++attempt) {
    if (attempt > 0) Sleep(200);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    ShownPixels shown;
    ShownPixels printed;
    if (!shown.Capture(window) || !printed.CapturePrint(window)) return -1;
    differing = 0;
    for (int32_t y = 0; y < shown.Height(); ++y) {
      for (int32_t x = 0; x < shown.Width(); ++x) {
        const Colour a = shown.At(x, y);
        const Colour b = printed.At(x, y);
        differing +=
            std::abs(a.red - b.red) > 2 || std::abs(a.green - b.green) > 2 || std::abs(a.blue - b.blue) > 2;
      }
    }
  }
  return differing;
}

}  // namespace plugfw::gfx::test
