#pragma once
// IGfxEditorDelegate: the editor delegate that will own the graphics context (its
// make-graphics and layout functions, the open editor and its remembered size). For now
// it is only the link between IEditorDelegate and IPluginBase in the plug-in's base
// chain; the graphics context fills it. UI thread, like the delegate it extends.

#include <cstdint>

#include "graphics/editor_delegate.h"

namespace plugfw::gfx {

class IGfx;

class IGfxEditorDelegate : public IEditorDelegate {
 public:
  explicit IGfxEditorDelegate(int32_t nParams) : IEditorDelegate(nParams) {}

  // The open editor's graphics context; none while the editor is closed.
  IGfx* GetUI() const { return nullptr; }
};

}  // namespace plugfw::gfx
