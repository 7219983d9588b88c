#include "editor/editor_layout.h"

#include <memory>
#include <new>
#include <utility>

#include "core/make_or_null.h"
#include "editor/backdrop.h"
#include "editor/brand.h"
#include "editor/button.h"
#include "editor/context_help.h"
#include "editor/control_kind.h"
#include "editor/enum_menu.h"
#include "editor/help_texts.h"
#include "editor/knob.h"
#include "editor/layout_grid.h"
#include "editor/page_table.h"
#include "editor/palette.h"
#include "editor/preset_menu.h"
#include "editor/signal_display.h"
#include "editor/status.h"
#include "editor/voice_orbit_control.h"
#include "effect/param_table.h"
#include "graphics/gfx.h"

namespace halcyra {
namespace {

using plugfw::gfx::IControl;
using plugfw::gfx::IGfx;
using plugfw::gfx::IGfxEditorDelegate;
using plugfw::gfx::Rect;

constexpr float kLogoDpi = 72.f;
constexpr float kCornerResizerSize = 20.f;

constexpr Rect kBankButtonRect = {1028.f, 40.f, 1084.f, 82.f};
constexpr Rect kCopyButtonRect = {1096.f, 40.f, 1144.f, 82.f};
constexpr Rect kStructureMenuRect = {36.f, 106.f, 361.f, 142.f};
constexpr Rect kSyncToggleRect = {375.f, 106.f, 482.f, 142.f};
constexpr Rect kDivisionMenuRect = {496.f, 106.f, 709.f, 142.f};
constexpr Rect kBypassRect = {36.f, 762.f, 167.f, 794.f};
constexpr Rect kMonitorMenuRect = {179.f, 762.f, 323.f, 794.f};
constexpr Rect kMailLinkRect = {958.f, 762.f, 1144.f, 794.f};

// Attached with tag -1, the graphics context owns the control from then on; one it could not
// take is deleted here. Null then, and for a control that could not be made.
template <typename Control>
Control* Attach(IGfx& gfx, std::unique_ptr<Control> control) {
  if (control == nullptr || gfx.AttachControl(control.get(), -1) == nullptr) return nullptr;
  return control.release();
}

template <typename Control>
Control* Register(IGfx& gfx, ViewState& view, std::unique_ptr<Control> control, int32_t page) {
  if (control == nullptr || !view.RegisterPageControl(gfx, control.get(), page)) return nullptr;
  return control.release();
}

// Allocation failures leave that control out; the layout goes on.
template <typename Control, typename... Args>
std::unique_ptr<Control> Make(Args&&... args) {
  return plugfw::MakeOrNull<Control>(std::forward<Args>(args)...);
}

void AddKnob(IGfxEditorDelegate* plugin, IGfx& gfx, const ViewStatePtr& view, int32_t paramIdx,
             const char* caption, int32_t page, const Rect& cell, bool& added) {
  Knob* knob = Register(gfx, *view, Make<Knob>(cell, paramIdx, caption, plugin, view), page);
  added = knob != nullptr;
  if (knob == nullptr) return;
  ValueEntry* entry =
      Attach(gfx, Make<ValueEntry>([knob](const char* text) { knob->ApplyEnteredText(text); }));
  knob->SetValueEntry(entry);
}

void AddPageRows(IGfxEditorDelegate* plugin, IGfx& gfx, const ViewStatePtr& view) {
  for (int32_t page = 0; page < kPageCount; ++page) {
    const Page* row = FindPage(page);
    for (int32_t column = 0; column < row->controlCount; ++column) {
      const PageControl& control = row->controls[column];
      AddParameterControl(plugin, gfx, view, control.paramIdx, control.caption, page, column, false);
    }
  }
}

// Each button is registered on both pages of its pair.
void AddSectionButtons(IGfxEditorDelegate* plugin, IGfx& gfx, const ViewStatePtr& view) {
  for (const SectionPair& pair : kSectionPairs) {
    for (int32_t k = 0; k < 2; ++k) {
      Button* button = Register(gfx, *view,
                                Make<Button>(SectionButtonRect(k), pair.captions[k], plugin, view,
                                             ButtonKind::kPage, -1, pair.firstPage + k),
                                pair.firstPage);
      if (button != nullptr) view->RecordForPage(button, pair.firstPage + 1);
    }
  }
}

void AddVoiceButtons(IGfxEditorDelegate* plugin, IGfx& gfx, const ViewStatePtr& view) {
  for (int32_t page = kFirstVoicePage; page <= kLastVoicePage; ++page) {
    for (int32_t voice = 0; voice < kVoiceCount; ++voice) {
      Register(gfx, *view,
               Make<Button>(VoiceButtonRect(voice), VoiceButtonCaption(voice), plugin, view,
                            ButtonKind::kPage, -1, kFirstVoicePage + voice),
               page);
    }
  }
}

}  // namespace

bool AddParameterControl(IGfxEditorDelegate* plugin, IGfx& gfx, const ViewStatePtr& view, int32_t paramIdx,
                         const char* caption, int32_t page, int32_t column, bool wide) {
  if (view == nullptr) return false;
  const Rect cell = ParameterCellRect(column, wide);
  switch (ControlKindForParam(paramIdx)) {
    case ParameterControlKind::kKnob: {
      bool added = false;
      AddKnob(plugin, gfx, view, paramIdx, caption, page, cell, added);
      return added;
    }
    case ParameterControlKind::kToggle:
      return Register(gfx, *view,
                      Make<Button>(ToggleRectInCell(cell, wide), caption, plugin, view, ButtonKind::kToggle,
                                   paramIdx),
                      page) != nullptr;
    case ParameterControlKind::kMenu:
      return Register(gfx, *view, Make<EnumMenu>(cell, paramIdx, caption, plugin, view), page) != nullptr;
  }
  return false;
}

EditorLayout BuildEditorLayout(IGfxEditorDelegate* plugin, IGfx* gfx) {
  EditorLayout layout;
  if (gfx == nullptr) return layout;
  try {
    layout.view = std::make_shared<ViewState>();
  } catch (const std::bad_alloc&) {
    return layout;  // no page could be shown: nothing is built
  }
  const ViewStatePtr& view = layout.view;

  gfx->SetHoverTracking(true);
  gfx->EnableTooltips(true);
  gfx->SetScaleBounds(static_cast<float>(kMinEditorScale), static_cast<float>(kMaxEditorScale));
  gfx->AttachTextEntry();
  layout.fontLoaded = gfx->LoadFont(kEditorFontId, kEditorFontFile);

  Attach(*gfx, Make<Backdrop>());
  const plugfw::gfx::SvgRef logo = gfx->LoadSvgByName(kLogoResource, "px", kLogoDpi);
  layout.logoLoaded = !logo.Empty();
  Attach(*gfx, Make<Brand>(logo, view));
  Attach(*gfx, Make<PresetMenu>(plugin, view));
  Attach(*gfx, Make<Button>(kBankButtonRect, "A", plugin, view, ButtonKind::kBank));
  Attach(*gfx, Make<Button>(kCopyButtonRect, "COPY", plugin, view, ButtonKind::kCopy));
  Attach(*gfx, Make<EnumMenu>(kStructureMenuRect, kParamModel, nullptr, plugin, view));
  Attach(*gfx, Make<Button>(kSyncToggleRect, "SYNC", plugin, view, ButtonKind::kToggle, kParamSync));
  Attach(*gfx, Make<EnumMenu>(kDivisionMenuRect, kParamDivision, nullptr, plugin, view));
  Attach(*gfx, Make<VoiceOrbitControl>(plugin, view));
  Attach(*gfx, Make<SignalDisplay>(plugin));

  for (int32_t column = 0; column < kWideControlCount; ++column) {
    const PageControl& control = kWideControls[column];
    AddParameterControl(plugin, *gfx, view, control.paramIdx, control.caption, ViewState::kEveryPage, column,
                        true);
  }
  for (int32_t tab = 0; tab < kTabCount; ++tab) {
    Attach(*gfx,
           Make<Button>(TabButtonRect(tab), kTabCaptions[tab], plugin, view, ButtonKind::kTab, -1, tab));
  }
  AddPageRows(plugin, *gfx, view);
  AddSectionButtons(plugin, *gfx, view);
  AddVoiceButtons(plugin, *gfx, view);

  Attach(*gfx, Make<ContextHelp>(view));
  if (Button* bypass = Attach(
          *gfx, Make<Button>(kBypassRect, "BYPASS", plugin, view, ButtonKind::kToggle, kParamBypass))) {
    bypass->SetTooltip(kBypassTooltip);
  }
  Attach(*gfx, Make<EnumMenu>(kMonitorMenuRect, kParamMonitor, nullptr, plugin, view));
  Attach(*gfx, Make<Status>(plugin));
  Attach(*gfx, Make<Button>(kMailLinkRect, kSupportMailAddress, plugin, view, ButtonKind::kMailLink));

  view->ShowPage(*gfx);
  // Dragging the corner zooms the whole editor; the layout stays as built.
  gfx->AttachCornerResizer(IGfx::kScaleResizeMode, false, RuleColour, AmberColour, TealColour,
                           kCornerResizerSize);
  return layout;
}

}  // namespace halcyra
