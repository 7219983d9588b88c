// The Windows builds' editor graphics: the editor window on the renderer, owned by the module
// whose resources hold the logo and the font.

#include <new>

#include "core/resources.h"
#include "editor/editor_graphics.h"
#include "graphics/platform/gfx_win_win32.h"

namespace halcyra {

std::unique_ptr<plugfw::gfx::IGfx> MakeEditorGraphics(plugfw::gfx::IGfxEditorDelegate& delegate,
                                                      int32_t width, int32_t height) {
  std::unique_ptr<plugfw::gfx::IGfxWin> gfx(new (std::nothrow) plugfw::gfx::IGfxWin(
      delegate, width, height, kEditorFramesPerSecond, kEditorInitialScale));
  if (gfx) gfx->SetWinModuleHandle(plugfw::ResourceModule());
  return gfx;
}

}  // namespace halcyra
