#pragma once
// The editor's controls are handed the plug-in as its editor delegate; its bank, recipe and
// measurement operations are the plug-in class's own. UI thread.

#include "effect/halcyra.h"
#include "graphics/gfx_editor_delegate.h"

namespace halcyra {

// The only delegate this program's editor is ever built for is the plug-in itself.
inline Halcyra& PluginOf(plugfw::gfx::IGfxEditorDelegate& delegate) {
  return static_cast<Halcyra&>(delegate);
}

}  // namespace halcyra
