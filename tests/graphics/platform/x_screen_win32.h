#pragma once
// What a person sees: the X screen that Wine draws on, captured with the X server's own
// xwd (started as a Unix program from inside Wine) and read from its XWD file.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "graphics/colour.h"

namespace plugfw::gfx::test {

class XScreen {
 public:
  // Captures the whole screen; false when xwd could not be run or its file not read.
  bool Capture() {
    const std::string unixPath = "/tmp/halcyra-xwd-" + std::to_string(GetCurrentProcessId()) + ".xwd";
    const std::wstring windowsPath = L"Z:" + std::wstring(unixPath.begin(), unixPath.end());
    DeleteFileW(windowsPath.c_str());
    std::wstring command =
        L"Z:\\usr\\bin\\xwd -root -silent -out " + std::wstring(unixPath.begin(), unixPath.end());
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(L"Z:\\usr\\bin\\xwd", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
      return false;
    }
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // The wait on a Unix program may return early: wait for the whole file instead.
    const ULONGLONG end = GetTickCount64() + 5000;
    while (!Read(windowsPath)) {
      if (GetTickCount64() >= end) return false;
      Sleep(20);
    }
    DeleteFileW(windowsPath.c_str());
    return true;
  }

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }

  // The colour at a screen point (opaque).
  Colour At(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return Colour(0, 0, 0, 0);
    const uint8_t* pixel = pixels_.data() + static_cast<size_t>(y) * bytesPerLine_ + x * bytesPerPixel_;
    return Colour(255, pixel[2], pixel[1], pixel[0]);
  }

 private:
  static uint32_t BigEndian(const uint8_t* bytes) {
    return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
  }

  // The XWD header's 25 words, the colour map, then the rows (little-endian pixels here).
  bool Read(const std::wstring& path) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr) return false;
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0)
      bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(file);
    constexpr size_t kHeaderWords = 25;
    if (bytes.size() < kHeaderWords * 4) return false;
    auto word = [&](size_t i) { return BigEndian(bytes.data() + 4 * i); };
    const uint32_t headerSize = word(0);
    const uint32_t byteOrder = word(7);
    const uint32_t bitsPerPixel = word(11);
    const uint32_t colours = word(19);
    width_ = static_cast<int32_t>(word(4));
    height_ = static_cast<int32_t>(word(5));
    bytesPerLine_ = word(12);
    bytesPerPixel_ = bitsPerPixel / 8;
    const size_t start = headerSize + colours * 12;
    const size_t size = static_cast<size_t>(bytesPerLine_) * static_cast<size_t>(height_);
    if (byteOrder != 0 || (bytesPerPixel_ != 3 && bytesPerPixel_ != 4) || bytes.size() < start + size)
      return false;
    pixels_.assign(bytes.begin() + static_cast<std::ptrdiff_t>(start),
                   bytes.begin() + static_cast<std::ptrdiff_t>(start + size));
    return true;
  }

  int32_t width_ = 0;
  int32_t height_ = 0;
  uint32_t bytesPerLine_ = 0;
  uint32_t bytesPerPixel_ = 0;
  std::vector<uint8_t> pixels_;
};

}  // namespace plugfw::gfx::test
