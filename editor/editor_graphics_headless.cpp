// Builds without a platform window (the native test and fuzz builds): no editor opens, and the
// delegate answers every opening with no window.

#include "editor/editor_graphics.h"
#include "graphics/gfx.h"

namespace halcyra {

std::unique_ptr<plugfw::gfx::IGfx> MakeEditorGraphics(plugfw::gfx::IGfxEditorDelegate& /*delegate*/,
                                                      int32_t /*width*/, int32_t /*height*/) {
  return nullptr;
}

}  // namespace halcyra
