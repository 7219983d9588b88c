#pragma once
// The editor's size and scales as the main window needs them to size itself around the editor.
// Portable; UI thread.

#include <cstdint>

#include "app/main_window_sizing.h"

namespace plugfw {
namespace gfx {
class IGfxEditorDelegate;
}

struct EditorGeometry {
  int32_t width = 0;  // editor units
  int32_t height = 0;
  float drawScale = 1.0f;
  float screenScale = 1.0f;
  bool open = false;  // an editor window is open in the main window

  PixelSize Pixels() const { return EditorPixelSize(width, height, drawScale, screenScale); }
};

// The open editor's size, draw scale and screen scale. While no editor is open: the plug-in's
// editor size at draw scale 1 on a screen of closedScreenScale (the main window's DPI scale), so
// the main window keeps the client area an editor would fill.
EditorGeometry CurrentEditorGeometry(const gfx::IGfxEditorDelegate& delegate, float closedScreenScale);

}  // namespace plugfw
