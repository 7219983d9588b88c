#include "graphics/platform/gdi_present_win32.h"

#include <algorithm>

namespace plugfw::gfx {
namespace {

// Blue, green, red, alpha: the byte order of a 32-bit DIB.
constexpr GLenum kGLBgra = 0x80E1;
constexpr int32_t kBytesPerPixel = 4;

PixelRect ClipToFramebuffer(const PixelRect& area, int32_t width, int32_t height) {
  return {std::max(area.left, 0), std::max(area.top, 0), std::min(area.right, width),
          std::min(area.bottom, height)};
}

}  // namespace

bool RunningUnderWine() {
  static const bool underWine = [] {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
  }();
  return underWine;
}

bool PresentsThroughGdi() {
  static const bool throughGdi = [] {
    wchar_t value[2] = {};
    const DWORD length = GetEnvironmentVariableW(kWindowsRoadVariable, value, 2);
    const bool windowsRoad = length == 1 && value[0] == L'1';
    return RunningUnderWine() && !windowsRoad;
  }();
  return throughGdi;
}

bool CopyFramebufferToDc(const GLFunctions& gl, HDC dc, const PixelRect& area, int32_t width, int32_t height,
                         std::vector<uint8_t>& scratch) {
  const PixelRect clipped = ClipToFramebuffer(area, width, height);
  const int32_t columns = clipped.right - clipped.left;
  const int32_t rows = clipped.bottom - clipped.top;
  if (dc == nullptr || columns <= 0 || rows <= 0 || gl.ReadPixels == nullptr) return false;
  scratch.resize(static_cast<size_t>(columns) * static_cast<size_t>(rows) * kBytesPerPixel);
  // GL counts rows from the bottom; a DIB of positive height does too.
  gl.PixelStorei(GL_PACK_ALIGNMENT, kBytesPerPixel);
  gl.ReadPixels(clipped.left, height - clipped.bottom, columns, rows, kGLBgra, GL_UNSIGNED_BYTE,
                scratch.data());

  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = columns;
  info.bmiHeader.biHeight = rows;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  const int copied =
      SetDIBitsToDevice(dc, clipped.left, clipped.top, static_cast<DWORD>(columns), static_cast<DWORD>(rows),
                        0, 0, 0, static_cast<UINT>(rows), scratch.data(), &info, DIB_RGB_COLORS);
  return copied == rows;
}

}  // namespace plugfw::gfx
