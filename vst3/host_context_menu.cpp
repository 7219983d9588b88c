#include "vst3/host_context_menu.h"

#include "graphics/control.h"
#include "graphics/gfx.h"
#include "graphics/popup_menu.h"
#include "vst3/vst3_text.h"

namespace plugfw {
namespace {

using HostItem = Steinberg::Vst::IContextMenuItem;

constexpr int32_t kPlainFlags = 0;

// The host knows no inactive entry: whatever the user may not pick is shown disabled there.
int32_t HostFlags(const gfx::PopupMenuItem& item) {
  int32_t flags = kPlainFlags;
  if (!item.IsSelectable()) flags |= HostItem::kIsDisabled;
  if (item.GetChecked()) flags |= HostItem::kIsChecked;
  return flags;
}

void AddEntry(Steinberg::Vst::IContextMenu& hostMenu, Steinberg::Vst::IContextMenuTarget* target,
              const char* text, int32_t& nextTag, int32_t flags) {
  HostItem entry = {};
  Utf8ToUtf16(text, entry.name, static_cast<int32_t>(sizeof entry.name / sizeof entry.name[0]));
  entry.tag = nextTag++;
  entry.flags = flags;
  hostMenu.addItem(entry, target);
}

void FillFrom(const gfx::IPopupMenu& menu, Steinberg::Vst::IContextMenu& hostMenu,
              Steinberg::Vst::IContextMenuTarget* target, int32_t& nextTag) {
  for (int32_t i = 0; i < menu.NItems(); ++i) {
    const gfx::PopupMenuItem& item = *menu.GetItem(i);
    const char* text = item.GetText() != nullptr ? item.GetText() : "";
    if (item.IsSeparator()) {
      AddEntry(hostMenu, target, text, nextTag, HostItem::kIsSeparator);
    } else if (const gfx::IPopupMenu* submenu = item.GetSubmenu()) {
      AddEntry(hostMenu, target, text, nextTag, HostItem::kIsGroupStart);
      FillFrom(*submenu, hostMenu, target, nextTag);
      AddEntry(hostMenu, target, text, nextTag, HostItem::kIsGroupEnd);
    } else {
      AddEntry(hostMenu, target, text, nextTag, HostFlags(item));
    }
  }
}

}  // namespace

void FillHostContextMenu(const gfx::IPopupMenu& menu, Steinberg::Vst::IContextMenu& hostMenu,
                         Steinberg::Vst::IContextMenuTarget* target) {
  int32_t nextTag = 0;
  FillFrom(menu, hostMenu, target, nextTag);
}

void ShowHostContextMenu(gfx::IGfx& gfx, gfx::IControl* control, int32_t paramIdx, float x, float y,
                         Steinberg::FUnknown* componentHandler, Steinberg::IPlugView* view) {
  gfx::IPopupMenu& menu = gfx.ResetPromptMenu();
  if (control == nullptr) return;
  control->CreateContextMenu(menu);
  if (componentHandler == nullptr || view == nullptr) return;
  Steinberg::FUnknownPtr<Steinberg::Vst::IComponentHandler3> handler(componentHandler);
  if (!handler) return;
  // An unbound control asks for the host's general menu: no parameter, not an invalid one.
  const Steinberg::Vst::ParamID paramId = static_cast<Steinberg::Vst::ParamID>(paramIdx);
  Steinberg::Vst::IContextMenu* hostMenu =
      handler->createContextMenu(view, paramIdx >= 0 ? &paramId : nullptr);
  if (hostMenu == nullptr) return;
  FillHostContextMenu(menu, *hostMenu, control->HostMenuTarget());
  const float scale = gfx.GetDrawScale() * gfx.GetScreenScale();
  hostMenu->popup(static_cast<Steinberg::UCoord>(x * scale), static_cast<Steinberg::UCoord>(y * scale));
  hostMenu->release();
}

}  // namespace plugfw
