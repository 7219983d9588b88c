#include "editor/control_relevance.h"

#include "editor/relevance.h"
#include "graphics/control.h"

namespace halcyra {

void ApplyRelevance(plugfw::gfx::IControl& control, const plugfw::IEditorDelegate& plugin, int32_t paramIdx) {
  const bool inactive = IsControlInactive(plugin, paramIdx);
  if (inactive == control.IsDisabled()) return;
  control.SetDisabled(inactive);
  control.SetDirty(false);
}

}  // namespace halcyra
