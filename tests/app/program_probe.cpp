// What the end-to-end tests ask of a running HALCYRA.exe from outside it, under Wine:
//   program_probe wait-window SECONDS     until its main window exists (exit 1 when it does not)
//   program_probe count-windows           prints how many main windows exist
//   program_probe minimise | is-iconic    minimises it / exits 0 when it is minimised
//   program_probe command ID              posts the menu command ID to it
//   program_probe close MILLISECONDS      posts WM_CLOSE, waits for the process to end; exits 0
//                                         when it ended in time with exit code 0
//   program_probe click-editor X Y        clicks the left button at (X, Y) in editor units on the
//                                         editor inside the main window
//   program_probe check-png PATH W H      exits 0 when PATH is a W x H PNG with every alpha 255
//   program_probe check-screenshot PATH   exits 0 when PATH is the main window's 1180 x 800 opaque
//                                         picture at 96 DPI that shows the editor

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/single_instance.h"
#include "core/resources.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include "stb_image.h"

namespace {

constexpr DWORD kPollMs = 50;
constexpr int kEditorWidth = 1180;
constexpr int kEditorHeight = 800;

HWND MainWindow() { return plugfw::FindMainWindowOfRunningInstance(plugfw::kMainWindowTitle); }

BOOL CALLBACK CountMainWindow(HWND window, LPARAM count) {
  wchar_t title[32] = {};
  GetWindowTextW(window, title, 32);
  if (GetMenu(window) != nullptr && std::wcscmp(title, plugfw::kMainWindowTitle) == 0)
    ++*reinterpret_cast<int*>(count);
  return TRUE;
}

int WaitWindow(double seconds) {
  const DWORD limit = GetTickCount() + static_cast<DWORD>(seconds * 1000.0);
  while (MainWindow() == nullptr) {
    if (static_cast<LONG>(GetTickCount() - limit) > 0) {
      std::fprintf(stderr, "no main window after %.1f s\n", seconds);
      return 1;
    }
    Sleep(kPollMs);
  }
  return 0;
}

int Close(DWORD milliseconds) {
  HWND window = MainWindow();
  if (window == nullptr) return 1;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (process == nullptr) return 1;
  const DWORD posted = GetTickCount();
  PostMessageW(window, WM_CLOSE, 0, 0);
  const DWORD waited = WaitForSingleObject(process, milliseconds);
  const DWORD elapsed = GetTickCount() - posted;
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  if (waited != WAIT_OBJECT_0) {
    std::printf("still running %lu ms after WM_CLOSE\n", static_cast<unsigned long>(elapsed));
    return 1;
  }
  std::printf("ended %lu ms after WM_CLOSE with exit code %lu\n", static_cast<unsigned long>(elapsed),
              static_cast<unsigned long>(code));
  return code == 0 ? 0 : 1;
}

struct Image {
  int width = 0, height = 0, channels = 0;
  std::vector<stbi_uc> rgba;
  const stbi_uc* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

bool LoadPng(const char* path, Image& image) {
  const plugfw::HeapBuffer wide = plugfw::Utf8ToUtf16(path);
  FILE* file = _wfopen(reinterpret_cast<const wchar_t*>(wide.Data()), L"rb");
  if (file == nullptr) {
    std::printf("%s: cannot be read\n", path);
    return false;
  }
  stbi_uc* pixels = stbi_load_from_file(file, &image.width, &image.height, &image.channels, 4);
  std::fclose(file);
  if (pixels == nullptr) {
    std::printf("%s: not a PNG\n", path);
    return false;
  }
  image.rgba.assign(pixels, pixels + static_cast<size_t>(image.width) * image.height * 4);
  stbi_image_free(pixels);
  return true;
}

bool IsOpaquePng(const char* path, const Image& image, int width, int height) {
  size_t translucent = 0;
  for (size_t i = 3; i < image.rgba.size(); i += 4) translucent += image.rgba[i] != 255;
  std::printf("%s: %d x %d, %d channels, %zu pixels not opaque\n", path, image.width, image.height,
              image.channels, translucent);
  return image.width == width && image.height == height && image.channels == 4 && translucent == 0;
}

int CheckPng(const char* path, int width, int height) {
  Image image;
  return LoadPng(path, image) && IsOpaquePng(path, image, width, height) ? 0 : 1;
}

// Places the editor's layout fixes at draw scale 1, with the colour the editor paints there on
// its first page: the backdrop's gradient, the knob panel, the lit first tab beside an unlit one,
// the lit section button, and the MIX knob's amber value arc at its start (its default is well
// above zero) against the grey track at its far end.
struct ColourProbe {
  const char* what;
  int x, y;
  stbi_uc r, g, b;
};
constexpr ColourProbe kColourProbes[] = {
    {"backdrop near the top", 600, 22, 35, 35, 46},
    {"backdrop near the bottom", 1170, 702, 20, 26, 31},
    {"knob panel between two knobs", 222, 450, 27, 35, 40},
    {"lit SHAPE tab", 44, 540, 36, 65, 65},
    {"unlit MODULATION tab", 231, 540, 27, 35, 40},
    {"lit STRUCTURE / IMAGE button", 56, 581, 36, 65, 65},
    {"MIX value arc at its start", 1022, 464, 215, 165, 109},
    {"MIX track at its end", 1076, 466, 54, 67, 73},
};
// Close enough to tell the panel from the backdrop around it.
constexpr int kColourTolerance = 4;

bool Near(const stbi_uc* pixel, const ColourProbe& probe) {
  return std::abs(pixel[0] - probe.r) <= kColourTolerance &&
         std::abs(pixel[1] - probe.g) <= kColourTolerance && std::abs(pixel[2] - probe.b) <= kColourTolerance;
}

// The title "HALCYRA" is light text on the dark backdrop: its box must hold a good share of
// paper-coloured pixels, and the box beside it on the same backdrop none.
int LightPixels(const Image& image, int left, int top, int right, int bottom) {
  int light = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) light += image.At(x, y)[0] > 200 && image.At(x, y)[1] > 200;
  }
  return light;
}
constexpr int kTitleBox[] = {36, 38, 452, 87};
constexpr int kEmptyBackdropBox[] = {740, 0, 1180, 36};
constexpr int kMinTitlePixels = 400;

int CheckScreenshot(const char* path) {
  Image image;
  if (!LoadPng(path, image) || !IsOpaquePng(path, image, kEditorWidth, kEditorHeight)) return 1;
  int failures = 0;
  for (const ColourProbe& probe : kColourProbes) {
    const stbi_uc* pixel = image.At(probe.x, probe.y);
    const bool matches = Near(pixel, probe);
    failures += !matches;
    std::printf("  %s  %s at (%d, %d): %d, %d, %d (expected %d, %d, %d)\n", matches ? "ok  " : "FAIL",
                probe.what, probe.x, probe.y, pixel[0], pixel[1], pixel[2], probe.r, probe.g, probe.b);
  }
  const int title = LightPixels(image, kTitleBox[0], kTitleBox[1], kTitleBox[2], kTitleBox[3]);
  const int empty = LightPixels(image, kEmptyBackdropBox[0], kEmptyBackdropBox[1], kEmptyBackdropBox[2],
                                kEmptyBackdropBox[3]);
  const bool titled = title >= kMinTitlePixels && empty == 0;
  failures += !titled;
  std::printf("  %s  title text: %d light pixels in its box, %d beside it\n", titled ? "ok  " : "FAIL", title,
              empty);
  return failures == 0 ? 0 : 1;
}

HWND EditorWindow() {
  HWND main = MainWindow();
  return main != nullptr ? FindWindowExW(main, nullptr, nullptr, nullptr) : nullptr;
}

// Posted like the system's own input: the pointer arrives, presses and lets go.
int ClickEditor(float x, float y) {
  HWND editor = EditorWindow();
  RECT client = {};
  if (editor == nullptr || !GetClientRect(editor, &client) || client.right <= 0) {
    std::fprintf(stderr, "no editor in the main window\n");
    return 1;
  }
  const float scale = static_cast<float>(client.right) / static_cast<float>(kEditorWidth);
  const LPARAM at = MAKELPARAM(static_cast<int>(x * scale), static_cast<int>(y * scale));
  const bool posted = PostMessageW(editor, WM_MOUSEMOVE, 0, at) &&
                      PostMessageW(editor, WM_LBUTTONDOWN, MK_LBUTTON, at) &&
                      PostMessageW(editor, WM_LBUTTONUP, 0, at);
  return posted ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "wait-window" && argc > 2) return WaitWindow(std::atof(argv[2]));
  if (command == "count-windows") {
    int count = 0;
    EnumWindows(&CountMainWindow, reinterpret_cast<LPARAM>(&count));
    std::printf("%d\n", count);
    return 0;
  }
  if (command == "minimise") {
    if (MainWindow() == nullptr) return 1;
    ShowWindow(MainWindow(), SW_MINIMIZE);
    return 0;
  }
  if (command == "is-iconic") return MainWindow() != nullptr && IsIconic(MainWindow()) ? 0 : 1;
  if (command == "command" && argc > 2) {
    return PostMessageW(MainWindow(), WM_COMMAND, MAKEWPARAM(std::atoi(argv[2]), 0), 0) ? 0 : 1;
  }
  if (command == "close" && argc > 2) return Close(static_cast<DWORD>(std::atoi(argv[2])));
  if (command == "check-png" && argc > 4) return CheckPng(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
  if (command == "check-screenshot" && argc > 2) return CheckScreenshot(argv[2]);
  if (command == "click-editor" && argc > 3)
    return ClickEditor(static_cast<float>(std::atof(argv[2])), static_cast<float>(std::atof(argv[3])));
  std::fprintf(stderr,
               "usage: program_probe wait-window S | count-windows | minimise | is-iconic | "
               "command ID | close MS | click-editor X Y | check-png PATH W H | check-screenshot PATH\n");
  return 2;
}
