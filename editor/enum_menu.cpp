#include "editor/enum_menu.h"

#include "core/heap_string.h"
#include "editor/activation_keys.h"
#include "editor/control_relevance.h"
#include "editor/editor_drawing.h"
#include "editor/help_texts.h"
#include "effect/param_table.h"
#include "graphics/gfx.h"
#include "graphics/gfx_editor_delegate.h"

namespace halcyra {
namespace {

using plugfw::gfx::PopupMenuItem;
using plugfw::gfx::Rect;
using plugfw::gfx::TextAlign;

constexpr float kTextSize = 15.f;
constexpr float kCaptionHeight = 24.f;
constexpr float kBoxInset = 12.f;
constexpr float kBoxTop = 39.f;
constexpr float kBoxBottom = 91.f;
constexpr float kValueRightGap = 24.f;
// The chevron: 18 to 8 units in from the box's right, from 3 above to 2 below its middle.
constexpr float kChevronLeft = 18.f;
constexpr float kChevronMiddle = 13.f;
constexpr float kChevronRight = 8.f;
constexpr float kChevronAbove = 3.f;
constexpr float kChevronBelow = 2.f;

}  // namespace

EnumMenu::EnumMenu(const Rect& bounds, int32_t paramIdx, const char* caption,
                   plugfw::gfx::IGfxEditorDelegate* plugin, ViewStatePtr view)
    : IControl(bounds, paramIdx),
      plugin_(plugin),
      view_(std::move(view)),
      caption_(caption),
      menu_(std::make_unique<plugfw::gfx::IPopupMenu>()) {
  // The menu's choice comes back through the framework's popup answer.
  SetPromptDisabled(false);
  SetTooltip(ParamHelpText(paramIdx));
}

EnumMenu::~EnumMenu() = default;

Rect EnumMenu::BoxRect() const {
  const Rect& r = GetRect();
  if (caption_ == nullptr) return r;
  return {r.left + kBoxInset, r.top + kBoxTop, r.right - kBoxInset, r.top + kBoxBottom};
}

Rect EnumMenu::ValueRect() const {
  const Rect box = BoxRect();
  return {box.left + kBoxInset, box.top, box.right - kValueRightGap, box.bottom};
}

void EnumMenu::OpenMenu() {
  if (IsDisabled()) return;
  const int32_t paramIdx = GetParamIdx(0);
  const plugfw::IParam* param = GetParam(0);
  if (view_ != nullptr) view_->SetHelp(ParamName(paramIdx), ParamHelpText(paramIdx));
  if (param == nullptr) return;
  menu_->Clear();
  menu_->SetTitle(param->Name());
  const auto current = static_cast<int32_t>(param->Value());
  for (auto i = static_cast<int32_t>(param->Min()); i <= static_cast<int32_t>(param->Max()); ++i) {
    menu_->AddItem(ParamValueLabel(paramIdx, i),
                   i == current ? PopupMenuItem::kChecked : PopupMenuItem::kNoFlags);
  }
  if (plugfw::gfx::IGfx* gfx = GetUI()) gfx->ShowControlPopupMenu(this, *menu_, BoxRect(), 0);
}

void EnumMenu::OnMouseDown(float /*x*/, float /*y*/, const plugfw::gfx::ModifierKeys& /*mod*/) { OpenMenu(); }

bool EnumMenu::OnKeyDown(float /*x*/, float /*y*/, const plugfw::gfx::KeyEvent& key) {
  if (IsDisabled() || !IsActivationKey(key)) return false;
  OpenMenu();
  return true;
}

void EnumMenu::OnMouseDoubleClick(float /*x*/, float /*y*/, const plugfw::gfx::ModifierKeys& /*mod*/) {
  if (!IsDisabled()) SetValueToDefault(0);
}

void EnumMenu::OnMouseOver(float x, float y, const plugfw::gfx::ModifierKeys& mod) {
  if (view_ != nullptr) view_->SetHelp(ParamName(GetParamIdx(0)), ParamHelpText(GetParamIdx(0)));
  IControl::OnMouseOver(x, y, mod);
}

void EnumMenu::OnPopupMenuSelection(plugfw::gfx::IPopupMenu* menu, int32_t /*valueIndex*/) {
  const plugfw::IParam* param = GetParam(0);
  if (menu == nullptr || menu->GetChosenItemIdx() < 0 || param == nullptr) return;
  SetValueFromUserInput(param->ToNormalized(menu->GetChosenItemIdx() + param->Min()), 0);
  if (plugfw::gfx::IGfx* gfx = GetUI()) gfx->SetAllControlsDirty();
}

void EnumMenu::Draw(plugfw::gfx::IGfx& g) {
  const Rect& r = GetRect();
  const bool enabled = !IsDisabled();
  if (caption_ != nullptr) {
    DrawFittedText(g, caption_, {r.left, r.top, r.right, r.top + kCaptionHeight}, kTextSize, PaperColour,
                   TextAlign::kCentre, &GetBlend());
  }
  const Rect box = BoxRect();
  DrawBox(g, box, PanelColour, GetMouseIsOver() && enabled ? AmberColour : RuleColour, &GetBlend());
  plugfw::HeapString value;
  if (const plugfw::IParam* param = GetParam(0)) param->FormatParamDisplay(param->Value(), false, value);
  // Shortened where it would run into the chevron.
  DrawFittedText(g, value.Get(), ValueRect(), kTextSize, enabled ? PaperColour : MutedColour,
                 TextAlign::kNear, &GetBlend());
  const float middle = box.CentreY();
  DrawChevron(g, box.right - kChevronLeft, box.right - kChevronMiddle, box.right - kChevronRight,
              middle - kChevronAbove, middle + kChevronBelow, TealColour, &GetBlend());
}

bool EnumMenu::IsDirty() {
  if (plugin_ != nullptr) ApplyRelevance(*this, *plugin_, GetParamIdx(0));
  return IControl::IsDirty();
}

}  // namespace halcyra
