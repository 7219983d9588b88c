#include "editor/placeholder.h"

#include "editor/editor_drawing.h"
#include "graphics/gfx.h"

namespace halcyra {

Placeholder::Placeholder(const plugfw::gfx::Rect& bounds, const char* label)
    : IControl(bounds), label_(label != nullptr ? label : "") {
  SetIgnoreMouse(true);
}

Placeholder::~Placeholder() = default;

void Placeholder::Draw(plugfw::gfx::IGfx& g) {
  DrawBox(g, GetRect(), PanelColour, RuleColour, &GetBlend());
  DrawEditorText(g, label_, GetRect(), 11.f, MutedColour, plugfw::gfx::TextAlign::kCentre, &GetBlend());
}

}  // namespace halcyra
