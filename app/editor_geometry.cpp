#include "app/editor_geometry.h"

#include "graphics/gfx_editor_delegate.h"

namespace plugfw {

EditorGeometry CurrentEditorGeometry(const gfx::IGfxEditorDelegate& delegate, float closedScreenScale) {
  EditorGeometry geometry;
  geometry.width = delegate.EditorWidth();
  geometry.height = delegate.EditorHeight();
  geometry.screenScale = closedScreenScale;
  // The open editor's graphics context answers with its own width, height, draw scale and
  // screen scale once the graphics framework provides one; until then no editor is ever open.
  geometry.open = delegate.GetUI() != nullptr;
  return geometry;
}

}  // namespace plugfw
