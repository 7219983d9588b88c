#include "editor/brand.h"

#include "editor/activation_keys.h"
#include "editor/editor_drawing.h"
#include "editor/help_texts.h"
#include "graphics/gfx.h"

namespace halcyra {
namespace {

using plugfw::gfx::Rect;

constexpr Rect kBrandRect = {28.f, 0.f, 238.f, 42.f};
constexpr Rect kNameRect = {36.f, 0.f, 238.f, 42.f};
constexpr float kNameSize = 23.f;
constexpr float kUnderlineLeft = 37.f;
constexpr float kUnderlineRight = 230.f;
constexpr float kUnderlineY = 39.f;

}  // namespace

Brand::Brand(const plugfw::gfx::SvgRef& logo, ViewStatePtr view)
    : IControl(kBrandRect), logo_(logo), view_(std::move(view)) {
  SetTooltip(kBrandTooltip);
}

Brand::~Brand() = default;

void Brand::OpenMakerSite() {
  if (plugfw::gfx::IGfx* gfx = GetUI()) gfx->OpenWebAddress(kMakerWebAddress);
}

void Brand::OnMouseDown(float /*x*/, float /*y*/, const plugfw::gfx::ModifierKeys& /*mod*/) {
  OpenMakerSite();
}

bool Brand::OnKeyDown(float /*x*/, float /*y*/, const plugfw::gfx::KeyEvent& key) {
  if (!IsActivationKey(key)) return false;
  OpenMakerSite();
  return true;
}

void Brand::OnMouseOver(float x, float y, const plugfw::gfx::ModifierKeys& mod) {
  if (view_ != nullptr) view_->SetHelp(kBrandHelp);
  IControl::OnMouseOver(x, y, mod);
}

void Brand::Draw(plugfw::gfx::IGfx& g) {
  if (HasLogo()) {
    g.DrawSvgInBounds(logo_, GetRect(), &GetBlend());
  } else {
    DrawEditorText(g, "KESTRALYN", kNameRect, kNameSize, PaperColour, plugfw::gfx::TextAlign::kNear,
                   &GetBlend());
  }
  if (GetMouseIsOver()) {
    g.DrawLine(AmberColour, kUnderlineLeft, kUnderlineY, kUnderlineRight, kUnderlineY, &GetBlend(), 1.f);
  }
}

}  // namespace halcyra
