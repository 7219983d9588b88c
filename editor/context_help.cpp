#include "editor/context_help.h"

#include "editor/editor_drawing.h"
#include "graphics/gfx.h"

namespace halcyra {
namespace {

using plugfw::gfx::Rect;

constexpr Rect kContextHelpRect = {36.f, 720.f, 1144.f, 750.f};
constexpr Rect kTitleRect = {36.f, 721.f, 290.f, 750.f};
// The text's rows stand within the strip itself: beyond it they would be cut, above by the knob
// panel and below by the footer's rule.
constexpr Rect kTextRoom = {300.f, 720.f, 1144.f, 750.f};
constexpr float kTitleSize = 10.f;
constexpr float kTextSize = 12.f;
// A long text takes a smaller size, down to the size of the smallest labels of the editor.
constexpr float kSmallestTextSize = 8.f;

}  // namespace

ContextHelp::ContextHelp(ViewStatePtr view) : IControl(kContextHelpRect), view_(std::move(view)) {
  SetIgnoreMouse(true);
}

ContextHelp::~ContextHelp() = default;

void ContextHelp::Draw(plugfw::gfx::IGfx& g) {
  if (view_ == nullptr) return;
  DrawFittedText(g, view_->HelpTitle().c_str(), kTitleRect, kTitleSize, AmberColour,
                 plugfw::gfx::TextAlign::kNear, &GetBlend());
  const TextRows text =
      FitTextToBox(g, EditorTextStyle(kTextSize, MutedColour, plugfw::gfx::TextAlign::kNear),
                   view_->HelpText().c_str(), kTextRoom, kSmallestTextSize);
  const plugfw::gfx::TextStyle style = EditorTextStyle(text.size, MutedColour, plugfw::gfx::TextAlign::kNear);
  // The block of rows centred in the strip, each row's line box filling its own band.
  const float top = kTextRoom.CentreY() - 0.5f * static_cast<float>(text.rows.size()) * text.lineHeight;
  for (size_t k = 0; k < text.rows.size(); ++k) {
    const float rowTop = top + static_cast<float>(k) * text.lineHeight;
    g.DrawTextIfAny(style, text.rows[k].c_str(),
                    Rect(kTextRoom.left, rowTop, kTextRoom.right, rowTop + text.lineHeight), &GetBlend());
  }
}

bool ContextHelp::IsDirty() {
  if (view_ != nullptr && view_->HelpText() != shownText_) {
    shownText_ = view_->HelpText();
    SetDirty(false);
  }
  return IControl::IsDirty();
}

}  // namespace halcyra
