// Window capture into a top-down 32-bit DIB section, PNG encoding with stb_image_write and the
// time-stamped file name of the Save Screenshot command.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "app/screenshot.h"
#include "app/screenshot_pixels.h"
#include "app/utf8_shims.h"
#include "core/heap_string.h"
#include "core/resources.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "stb_image_write.h"

namespace plugfw {

namespace {

constexpr UINT kPrintClientFullContent = 3;  // PW_CLIENTONLY | PW_RENDERFULLCONTENT
constexpr int kBytesPerPixel = 4;
constexpr int kBitsPerPixel = 32;
constexpr const char* kTimeFormat = "%Y%m%d_%H%M%S";
constexpr size_t kTimeTextBytes = 32;

class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// A memory context with a DIB section of the client's size selected into it.
class CaptureTarget {
 public:
  CaptureTarget(HDC reference, int width, int height) : memory_(CreateCompatibleDC(reference)) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = kBitsPerPixel;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap_ = CreateDIBSection(reference, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    if (memory_ != nullptr && bitmap_ != nullptr) previous_ = SelectObject(memory_, bitmap_);
  }
  ~CaptureTarget() {
    if (previous_ != nullptr) SelectObject(memory_, previous_);
    if (memory_ != nullptr) DeleteDC(memory_);
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
  }
  CaptureTarget(const CaptureTarget&) = delete;
  CaptureTarget& operator=(const CaptureTarget&) = delete;

  bool Ready() const { return previous_ != nullptr && bits_ != nullptr; }
  HDC Dc() const { return memory_; }
  const uint8_t* Bits() const { return static_cast<const uint8_t*>(bits_); }

 private:
  HDC memory_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  void* bits_ = nullptr;
};

// Asks every visible child, bottom of the z-order first, to print its client area at its place.
void PrintChildWindows(HWND parent, HDC dc) {
  HWND top = GetWindow(parent, GW_CHILD);
  for (HWND child = top != nullptr ? GetWindow(top, GW_HWNDLAST) : nullptr; child != nullptr;
       child = GetWindow(child, GW_HWNDPREV)) {
    RECT client;
    if (!IsWindowVisible(child) || !GetClientRect(child, &client)) continue;
    POINT origin = {0, 0};
    ClientToScreen(child, &origin);
    ScreenToClient(parent, &origin);
    const int saved = SaveDC(dc);
    SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
    IntersectClipRect(dc, 0, 0, client.right, client.bottom);
    SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(dc),
                 PRF_CLIENT | PRF_CHILDREN | PRF_ERASEBKGND | PRF_CHECKVISIBLE);
    RestoreDC(dc, saved);
  }
}

// The client area's pixels (blue, green, red, x), rows top to bottom; false when no copy was had.
bool CaptureClientPixels(HWND window, int width, int height, std::vector<uint8_t>& pixels) {
  WindowDc windowDc(window);
  if (windowDc.Get() == nullptr) return false;
  CaptureTarget target(windowDc.Get(), width, height);
  if (!target.Ready()) return false;
  // A child that has not painted yet (an editor opened a moment ago) has nothing to print.
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  bool copied = PrintWindow(window, target.Dc(), kPrintClientFullContent) != FALSE;
  if (!copied) copied = BitBlt(target.Dc(), 0, 0, width, height, windowDc.Get(), 0, 0, SRCCOPY) != FALSE;
  if (!copied) return false;
  PrintChildWindows(window, target.Dc());
  GdiFlush();
  const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * kBytesPerPixel;
  pixels.assign(target.Bits(), target.Bits() + bytes);
  return true;
}

bool DeleteFileUtf8(const char* path) {
  const HeapBuffer wide = Utf8ToUtf16(path);
  return wide.Size() > 2 && DeleteFileW(reinterpret_cast<const wchar_t*>(wide.Data())) != FALSE;
}

// The whole encoding or nothing: a file that could not be written to the end is removed.
bool WriteWholeFile(const char* path, const unsigned char* bytes, size_t size) {
  FILE* file = FopenUtf8(path, "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes, 1, size, file) == size;
  const bool closed = std::fclose(file) == 0;
  if (written && closed) return true;
  DeleteFileUtf8(path);
  return false;
}

}  // namespace

bool CaptureWindowPng(void* windowHandle, const char* path) {
  HWND window = static_cast<HWND>(windowHandle);
  RECT client;
  if (window == nullptr || path == nullptr || path[0] == '\0' || !GetClientRect(window, &client))
    return false;
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  if (width <= 0 || height <= 0) return false;

  std::vector<uint8_t> pixels;
  if (!CaptureClientPixels(window, width, height, pixels)) return false;
  const size_t pixelCount = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (AllBlack(pixels.data(), pixelCount)) return false;
  BgrxToOpaqueRgba(pixels.data(), pixelCount);

  int encodedBytes = 0;
  unsigned char* encoded = stbi_write_png_to_mem(pixels.data(), width * kBytesPerPixel, width, height,
                                                 kBytesPerPixel, &encodedBytes);
  if (encoded == nullptr || encodedBytes <= 0) {
    std::free(encoded);
    return false;
  }
  const bool written = WriteWholeFile(path, encoded, static_cast<size_t>(encodedBytes));
  std::free(encoded);
  return written;
}

std::string TimestampedScreenshotPath(const char* product) {
  const DWORD units = GetTempPathW(0, nullptr);
  if (units == 0) return std::string();
  std::vector<wchar_t> folder(units + 1, L'\0');
  const DWORD got = GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
  if (got == 0 || got >= folder.size()) return std::string();
  HeapString folderText;
  Utf16ToUtf8(folder.data(), &folderText);
  if (folderText.Empty()) return std::string();

  const std::time_t now = std::time(nullptr);
  std::tm local = {};
  if (localtime_s(&local, &now) != 0) return std::string();
  char stamp[kTimeTextBytes] = {};
  if (StrftimeUtf8(stamp, sizeof stamp, kTimeFormat, &local) == 0) return std::string();
  return ScreenshotFileName(folderText.Get(), product, stamp);
}

}  // namespace plugfw
