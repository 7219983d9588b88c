// Window screenshots under Wine: the capture shows the child windows as they print themselves
// (an OpenGL editor answers WM_PRINTCLIENT from its framebuffer while the screen copy of it may be
// black), every pixel is opaque, and empty, black or unwritable captures fail without a file.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/screenshot.h"
#include "core/heap_string.h"
#include "core/resources.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include "stb_image.h"

namespace plugfw {
namespace {

constexpr COLORREF kBackdrop = RGB(40, 90, 160);
constexpr COLORREF kPrinted = RGB(200, 60, 30);
constexpr int kClientWidth = 320;
constexpr int kClientHeight = 200;
constexpr RECT kChildRect = {100, 50, 260, 150};

// Paints black on screen, as a GL window may look to the system, and its own picture when asked
// to print.
LRESULT CALLBACK PrintingChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PRINTCLIENT) {
    RECT client;
    GetClientRect(window, &client);
    HBRUSH brush = CreateSolidBrush(kPrinted);
    FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
    DeleteObject(brush);
    return 0;
  }
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterClassOnce(const wchar_t* name, WNDPROC proc, HBRUSH background) {
  WNDCLASSW windowClass = {};
  if (GetClassInfoW(GetModuleHandleW(nullptr), name, &windowClass)) return;
  windowClass.lpfnWndProc = proc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = name;
  ASSERT_NE(RegisterClassW(&windowClass), 0);
}

class Window {
 public:
  Window(COLORREF backdrop, bool withChild) {
    const wchar_t* parentClass = backdrop == RGB(0, 0, 0) ? L"HalcyraBlackParent" : L"HalcyraCaptureParent";
    RegisterClassOnce(parentClass, &DefWindowProcW, CreateSolidBrush(backdrop));
    RegisterClassOnce(L"HalcyraPrintingChild", &PrintingChildProc, nullptr);
    RECT outer = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
    window_ = CreateWindowW(parentClass, L"capture", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 40, 40,
                            outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (withChild) {
      CreateWindowW(L"HalcyraPrintingChild", L"", WS_CHILD | WS_VISIBLE, kChildRect.left, kChildRect.top,
                    kChildRect.right - kChildRect.left, kChildRect.bottom - kChildRect.top, window_, nullptr,
                    GetModuleHandleW(nullptr), nullptr);
    }
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    UpdateWindow(window_);
  }
  ~Window() { DestroyWindow(window_); }
  HWND Get() const { return window_; }

 private:
  HWND window_ = nullptr;
};

std::string TemporaryFile(const char* name) {
  wchar_t folder[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, folder);
  HeapString text;
  Utf16ToUtf8(folder, &text);
  return std::string(text.Get()) + name;
}

FILE* OpenUtf8(const std::string& path) {
  const HeapBuffer wide = Utf8ToUtf16(path.c_str());
  return _wfopen(reinterpret_cast<const wchar_t*>(wide.Data()), L"rb");
}

bool FileExists(const std::string& path) {
  FILE* file = OpenUtf8(path);
  if (file != nullptr) std::fclose(file);
  return file != nullptr;
}

void RemoveFile(const std::string& path) {
  const HeapBuffer wide = Utf8ToUtf16(path.c_str());
  DeleteFileW(reinterpret_cast<const wchar_t*>(wide.Data()));
}

struct Image {
  int width = 0, height = 0, channels = 0;
  std::basic_string<uint8_t> pixels;  // red, green, blue, alpha

  COLORREF At(int x, int y) const {
    const uint8_t* p = pixels.data() + (static_cast<size_t>(y) * width + x) * 4;
    return RGB(p[0], p[1], p[2]);
  }
  bool AllOpaque() const {
    for (size_t i = 3; i < pixels.size(); i += 4) {
      if (pixels[i] != 255) return false;
    }
    return true;
  }
};

Image LoadPng(const std::string& path) {
  Image image;
  FILE* file = OpenUtf8(path);
  if (file == nullptr) return image;
  stbi_uc* data = stbi_load_from_file(file, &image.width, &image.height, &image.channels, 4);
  std::fclose(file);
  if (data != nullptr) image.pixels.assign(data, static_cast<size_t>(image.width) * image.height * 4);
  stbi_image_free(data);
  return image;
}

TEST(CaptureWindowPng, ShowsTheChildrenAsTheyPrintThemselvesAndEveryPixelIsOpaque) {
  Window window(kBackdrop, true);
  const std::string path = TemporaryFile("halcyra_capture_test.png");
  ASSERT_TRUE(CaptureWindowPng(window.Get(), path.c_str()));
  const Image image = LoadPng(path);
  RemoveFile(path);
  ASSERT_EQ(image.width, kClientWidth);
  ASSERT_EQ(image.height, kClientHeight);
  EXPECT_EQ(image.channels, 4);
  EXPECT_TRUE(image.AllOpaque());
  EXPECT_EQ(image.At(10, 10), kBackdrop);
  EXPECT_EQ(image.At(kClientWidth - 1, kClientHeight - 1), kBackdrop);
  EXPECT_EQ(image.At(kChildRect.left, kChildRect.top), kPrinted);
  EXPECT_EQ(image.At(180, 100), kPrinted);
  EXPECT_EQ(image.At(kChildRect.right - 1, kChildRect.bottom - 1), kPrinted);
  EXPECT_EQ(image.At(kChildRect.right, kChildRect.bottom), kBackdrop);
}

TEST(CaptureWindowPng, APathOutsideTheCodePageIsWrittenThroughTheFileShim) {
  Window window(kBackdrop, false);
  const std::string path = TemporaryFile(
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE6\x88\xAA\xE5\x9B\xBE.png");
  ASSERT_TRUE(CaptureWindowPng(window.Get(), path.c_str()));
  const Image image = LoadPng(path);
  RemoveFile(path);
  EXPECT_EQ(image.width, kClientWidth);
  EXPECT_EQ(image.At(5, 5), kBackdrop);
}

TEST(CaptureWindowPng, EmptyBlackOrUnwritableCapturesFailWithoutAFile) {
  const std::string path = TemporaryFile("halcyra_capture_refused.png");
  RemoveFile(path);
  {
    Window black(RGB(0, 0, 0), false);
    EXPECT_FALSE(CaptureWindowPng(black.Get(), path.c_str()));
  }
  Window window(kBackdrop, true);
  EXPECT_FALSE(CaptureWindowPng(nullptr, path.c_str()));
  EXPECT_FALSE(CaptureWindowPng(window.Get(), nullptr));
  EXPECT_FALSE(CaptureWindowPng(window.Get(), TemporaryFile("no such folder\\shot.png").c_str()));
  ShowWindow(window.Get(), SW_MINIMIZE);
  EXPECT_FALSE(CaptureWindowPng(window.Get(), path.c_str()));
  EXPECT_FALSE(FileExists(path));
}

TEST(TimestampedScreenshotPath, ProductAndLocalTimeInTheTemporaryFolder) {
  const std::string folder = TemporaryFile("");
  const std::string before = TimestampedScreenshotPath("HALCYRA");
  ASSERT_GT(before.size(), folder.size());
  EXPECT_EQ(before.compare(0, folder.size(), folder), 0);
  const std::string name = before.substr(folder.size());
  const std::string prefix = "HALCYRA_screenshot_";
  ASSERT_EQ(name.size(), prefix.size() + std::strlen("20261011_142530.png")) << name;
  EXPECT_EQ(name.compare(0, prefix.size(), prefix), 0);
  EXPECT_EQ(name.substr(name.size() - 4), ".png");
  SYSTEMTIME now;
  GetLocalTime(&now);
  char year[8];
  std::snprintf(year, sizeof year, "%04u", now.wYear);
  EXPECT_EQ(name.substr(prefix.size(), 4), year);
  EXPECT_EQ(name[prefix.size() + 8], '_');
}

}  // namespace
}  // namespace plugfw
