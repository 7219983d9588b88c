#pragma once
// What the parameter controls share beyond the control base: showing themselves disabled while
// the current settings make their parameter irrelevant, and the parameter's help as tooltip.
// UI thread.

#include <cstdint>

namespace plugfw {
class IEditorDelegate;
namespace gfx {
class IControl;
}
}  // namespace plugfw

namespace halcyra {

// Once per frame, from IsDirty: disables or enables the control when its parameter's
// relevance changed, which redraws it.
void ApplyRelevance(plugfw::gfx::IControl& control, const plugfw::IEditorDelegate& plugin, int32_t paramIdx);

}  // namespace halcyra
