#include "editor/button.h"

#include <string>

#include "editor/activation_keys.h"
#include "editor/control_relevance.h"
#include "editor/editor_drawing.h"
#include "editor/help_texts.h"
#include "editor/page_table.h"
#include "editor/plugin_access.h"
#include "graphics/gfx.h"

namespace halcyra {
namespace {

using plugfw::gfx::Rect;
using plugfw::gfx::TextAlign;

constexpr double kOnFrom = 0.5;
constexpr float kCaptionSize = 14.f;
constexpr float kMailCaptionSize = 12.f;
constexpr float kLampInset = 10.f;
constexpr float kLampRadius = 2.5f;
constexpr float kToggleTextPadding = kLampInset + kLampRadius + kTextPadding;

}  // namespace

Button::Button(const Rect& bounds, const char* caption, plugfw::gfx::IGfxEditorDelegate* plugin,
               ViewStatePtr view, ButtonKind kind, int32_t paramIdx, int32_t target)
    : IControl(bounds, paramIdx),
      caption_(caption != nullptr ? caption : ""),
      plugin_(plugin),
      view_(std::move(view)),
      kind_(kind),
      target_(target) {
  if (paramIdx >= 0) SetTooltip(ParamHelpText(paramIdx));
}

Button::~Button() = default;

bool Button::IsOn() const {
  switch (kind_) {
    case ButtonKind::kToggle:
      return GetValue(0) > kOnFrom;
    case ButtonKind::kBank:
      return plugin_ != nullptr && PluginOf(*plugin_).ActiveBank();
    case ButtonKind::kPage:
      return view_ != nullptr && view_->CurrentPage() == target_;
    case ButtonKind::kTab:
      return view_ != nullptr && TabOfPage(view_->CurrentPage()) == target_;
    case ButtonKind::kCopy:
    case ButtonKind::kMailLink:
      break;
  }
  return false;
}

void Button::Act() {
  if (IsDisabled()) return;
  plugfw::gfx::IGfx* gfx = GetUI();
  switch (kind_) {
    case ButtonKind::kToggle:
      SetValueFromUserInput(GetValue(0) > kOnFrom ? 0.0 : 1.0, 0);
      break;
    case ButtonKind::kBank:
      if (plugin_ != nullptr) PluginOf(*plugin_).SwapBanks();
      break;
    case ButtonKind::kCopy:
      if (plugin_ != nullptr) PluginOf(*plugin_).StoreBank();
      break;
    case ButtonKind::kPage:
      if (view_ != nullptr && gfx != nullptr) view_->SelectPage(target_, *gfx);
      break;
    case ButtonKind::kTab:
      if (view_ != nullptr && gfx != nullptr) view_->SelectPage(TabFirstPage(target_), *gfx);
      break;
    case ButtonKind::kMailLink:
      if (gfx != nullptr) gfx->OpenWebAddress((std::string(kMailLinkPrefix) + caption_).c_str());
      break;
  }
  if (gfx != nullptr) gfx->SetAllControlsDirty();
}

void Button::OnMouseDown(float /*x*/, float /*y*/, const plugfw::gfx::ModifierKeys& /*mod*/) { Act(); }

void Button::OnMouseDoubleClick(float /*x*/, float /*y*/, const plugfw::gfx::ModifierKeys& /*mod*/) {
  if (kind_ == ButtonKind::kToggle && !IsDisabled()) SetValueToDefault(0);
}

bool Button::OnKeyDown(float /*x*/, float /*y*/, const plugfw::gfx::KeyEvent& key) {
  if (!IsActivationKey(key)) return false;
  Act();  // a disabled button still takes the key, doing nothing
  return true;
}

void Button::OnMouseOver(float x, float y, const plugfw::gfx::ModifierKeys& mod) {
  if (view_ != nullptr) {
    if (kind_ == ButtonKind::kToggle) {
      view_->SetHelp(ParamName(GetParamIdx(0)), ParamHelpText(GetParamIdx(0)));
    } else if (kind_ == ButtonKind::kBank || kind_ == ButtonKind::kCopy) {
      view_->SetHelp(kBankHelp);
    }
  }
  IControl::OnMouseOver(x, y, mod);
}

void Button::Draw(plugfw::gfx::IGfx& g) {
  const Rect& rect = GetRect();
  const bool enabled = !IsDisabled();
  const bool on = IsOn();
  shownOn_ = on;
  DrawButtonFrame(g, rect, on && enabled, GetMouseIsOver() && enabled, &GetBlend());
  const char* text = kind_ == ButtonKind::kBank ? (on ? "B" : "A") : caption_;
  const float size = kind_ == ButtonKind::kMailLink ? kMailCaptionSize : kCaptionSize;
  // Clear of the frame, and of a toggle's lamp on both sides, so the caption stays centred.
  const float padding = kind_ == ButtonKind::kToggle ? kToggleTextPadding : kTextPadding;
  DrawFittedText(g, text, rect, size, enabled ? PaperColour : MutedColour, TextAlign::kCentre, &GetBlend(),
                 padding);
  if (kind_ == ButtonKind::kToggle) {
    g.FillCircle(on ? AmberColour : RuleColour, rect.left + kLampInset, rect.CentreY(), kLampRadius,
                 &GetBlend());
  }
}

bool Button::IsDirty() {
  switch (kind_) {
    case ButtonKind::kToggle:
      if (plugin_ != nullptr) ApplyRelevance(*this, *plugin_, GetParamIdx(0));
      break;
    case ButtonKind::kBank:
    case ButtonKind::kPage:
    case ButtonKind::kTab:
      // They follow state other controls change; a hidden one has nothing to show.
      if (!IsHidden() && IsOn() != shownOn_) SetDirty(false);
      break;
    case ButtonKind::kCopy:
    case ButtonKind::kMailLink:
      break;
  }
  return IControl::IsDirty();
}

}  // namespace halcyra
