#pragma once
// The context menu of an editor control as the host's own menu: the host's parameter entries
// (automation, links) stand beside the control's items, and a chosen item of the control comes
// back through the control's menu target to IControl::OnContextSelection. VST3 build only
// (the controls must be context-menu targets); UI thread.

#include <cstdint>

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstcontextmenu.h"

namespace plugfw::gfx {
class IControl;
class IGfx;
class IPopupMenu;
}  // namespace plugfw::gfx

namespace plugfw {

// UI thread: appends the menu's items to the host's menu after what the host put there, with
// `target` named by each. Tags count the entries depth first from 0; a submenu is a group-start
// entry (flags 10), its items, then a group-end entry of the same name (flags 17). Separators
// carry flags 1; other items 2 when they cannot be picked (disabled or inactive), 4 checked.
void FillHostContextMenu(const gfx::IPopupMenu& menu, Steinberg::Vst::IContextMenu& hostMenu,
                         Steinberg::Vst::IContextMenuTarget* target);

// UI thread: the right click on `control` (bound to paramIdx, -1 for none) at (x, y) in editor
// units. The graphics context's context menu is filled by the control, then shown through the
// component handler's IComponentHandler3 for the open view, for that parameter (no parameter
// for an unbound control), at the point in device pixels. Nothing is shown without a control,
// a handler, a view, the interface or a menu from the host.
void ShowHostContextMenu(gfx::IGfx& gfx, gfx::IControl* control, int32_t paramIdx, float x, float y,
                         Steinberg::FUnknown* componentHandler, Steinberg::IPlugView* view);

}  // namespace plugfw
