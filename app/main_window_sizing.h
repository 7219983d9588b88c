#pragma once
// How the main window's size follows the editor. Its client area is the editor's pixel size:
// editor units x draw scale x screen scale, truncated as the editor window sizes itself (while
// the editor window exists, its own size is taken, so its rounding is kept), with the frame,
// caption and menu bar added around it. When the editor resizes itself it grows or shrinks the
// main window by the same amount, so the client area reported afterwards already matches it and
// must not be handed back to the editor, which would fit itself again and drift: only a client
// area that differs (the system moved or limited the window) asks the editor to fit it.
// Portable; pure arithmetic, so any thread, though only the UI thread needs it.

#include <cstdint>

namespace plugfw {

struct PixelSize {
  int32_t width = 0;
  int32_t height = 0;

  bool operator==(const PixelSize& other) const { return width == other.width && height == other.height; }
  bool operator!=(const PixelSize& other) const { return !(*this == other); }
};

// Any thread. The editor window's size in device pixels: each side int(screen scale x int(units x draw
// scale)), in single precision like the editor's own scales. Zero for scales that are not
// finite or not above 0.
PixelSize EditorPixelSize(int32_t width, int32_t height, float drawScale, float screenScale);

// Any thread. The window size for a client area inside a frame (window size minus client size).
PixelSize WindowSizeForClient(PixelSize client, PixelSize frame);

// Any thread. The window's minimum or maximum tracking size for an editor bound in units at a DPI scale:
// the bound's pixels (truncated) with the frame added, since tracking sizes are window sizes.
PixelSize TrackingSize(int32_t editorWidth, int32_t editorHeight, float dpiScale, PixelSize frame);

// Any thread. Whether a client area reported by a size change should be handed to the editor: only when it
// is not empty and differs from the editor's current pixel size.
bool EditorShouldFitClient(PixelSize client, PixelSize editorPixels);

}  // namespace plugfw
