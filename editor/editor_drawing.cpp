#include "editor/editor_drawing.h"

#include "graphics/gfx.h"

namespace halcyra {
namespace {

constexpr float kOutlineInset = 0.5f;
constexpr float kOutlineThickness = 1.f;
constexpr Colour kLitButtonColour{255, 36, 65, 65};

}  // namespace

void DrawBox(plugfw::gfx::IGfx& g, const plugfw::gfx::Rect& box, Colour fill, Colour outline,
             const plugfw::gfx::Blend* blend, float radius) {
  g.FillRoundRect(fill, box, radius, blend);
  g.DrawRoundRect(outline, box.Padded(-kOutlineInset), radius, blend, kOutlineThickness);
}

void DrawButtonFrame(plugfw::gfx::IGfx& g, const plugfw::gfx::Rect& rect, bool on, bool hover,
                     const plugfw::gfx::Blend* blend) {
  const Colour outline = hover ? AmberColour : on ? TealColour : RuleColour;
  DrawBox(g, rect, on ? kLitButtonColour : PanelColour, outline, blend);
}

void DrawEditorText(plugfw::gfx::IGfx& g, const char* text, const plugfw::gfx::Rect& rect, float size,
                    Colour colour, plugfw::gfx::TextAlign align, const plugfw::gfx::Blend* blend) {
  g.DrawTextIfAny(EditorTextStyle(size, colour, align), text, rect, blend);
}

void DrawChevron(plugfw::gfx::IGfx& g, float left, float middle, float right, float top, float bottom,
                 Colour colour, const plugfw::gfx::Blend* blend) {
  g.DrawLine(colour, left, top, middle, bottom, blend, kOutlineThickness);
  g.DrawLine(colour, middle, bottom, right, top, blend, kOutlineThickness);
}

}  // namespace halcyra
