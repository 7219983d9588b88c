// What the end-to-end tests ask of a running HALCYRA.exe from outside it, under Wine:
//   program_probe wait-window SECONDS     until its main window exists (exit 1 when it does not)
//   program_probe count-windows           prints how many main windows exist
//   program_probe minimise | is-iconic    minimises it / exits 0 when it is minimised
//   program_probe command ID              posts the menu command ID to it
//   program_probe close MILLISECONDS      posts WM_CLOSE, waits for the process to end; exits 0
//                                         when it ended in time with exit code 0
//   program_probe check-png PATH W H      exits 0 when PATH is a W x H PNG with every alpha 255

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/main_window.h"
#include "app/single_instance.h"
#include "core/resources.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include "stb_image.h"

namespace {

constexpr DWORD kPollMs = 50;

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

int CheckPng(const char* path, int width, int height) {
  const plugfw::HeapBuffer wide = plugfw::Utf8ToUtf16(path);
  FILE* file = _wfopen(reinterpret_cast<const wchar_t*>(wide.Data()), L"rb");
  if (file == nullptr) {
    std::printf("%s: cannot be read\n", path);
    return 1;
  }
  int w = 0, h = 0, channels = 0;
  stbi_uc* pixels = stbi_load_from_file(file, &w, &h, &channels, 4);
  std::fclose(file);
  if (pixels == nullptr) {
    std::printf("%s: not a PNG\n", path);
    return 1;
  }
  size_t translucent = 0;
  for (size_t i = 3; i < static_cast<size_t>(w) * h * 4; i += 4) translucent += pixels[i] != 255;
  stbi_image_free(pixels);
  std::printf("%s: %d x %d, %d channels, %zu pixels not opaque\n", path, w, h, channels, translucent);
  return w == width && h == height && channels == 4 && translucent == 0 ? 0 : 1;
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
  std::fprintf(stderr,
               "usage: program_probe wait-window S | count-windows | minimise | is-iconic | "
               "command ID | close MS | check-png PATH W H\n");
  return 2;
}
