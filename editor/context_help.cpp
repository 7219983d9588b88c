#include "editor/context_help.h"

#include "editor/editor_drawing.h"
#include "graphics/gfx.h"

namespace halcyra {
namespace {

using plugfw::gfx::Rect;

constexpr Rect kContextHelpRect = {36.f, 720.f, 1144.f, 750.f};
constexpr Rect kTitleRect = {36.f, 721.f, 290.f, 750.f};
constexpr Rect kTextRect = {300.f, 719.f, 1144.f, 752.f};
constexpr float kTitleSize = 10.f;
constexpr float kTextSize = 12.f;

}  // namespace

ContextHelp::ContextHelp(ViewStatePtr view) : IControl(kContextHelpRect), view_(std::move(view)) {
  SetIgnoreMouse(true);
}

ContextHelp::~ContextHelp() = default;

void ContextHelp::Draw(plugfw::gfx::IGfx& g) {
  if (view_ == nullptr) return;
  DrawEditorText(g, view_->HelpTitle().c_str(), kTitleRect, kTitleSize, AmberColour,
                 plugfw::gfx::TextAlign::kNear, &GetBlend());
  g.DrawMultiLineText(EditorTextStyle(kTextSize, MutedColour, plugfw::gfx::TextAlign::kNear),
                      view_->HelpText().c_str(), kTextRect, &GetBlend());
}

bool ContextHelp::IsDirty() {
  if (view_ != nullptr && view_->HelpText() != shownText_) {
    shownText_ = view_->HelpText();
    SetDirty(false);
  }
  return IControl::IsDirty();
}

}  // namespace halcyra
