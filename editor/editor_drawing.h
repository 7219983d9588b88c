#pragma once
// Drawing pieces several of the editor's controls share: the rounded panel box with its
// half-unit-inset outline, the button frame, text in the editor's font, and a chevron.
// UI thread, inside a control's Draw.

#include "editor/palette.h"
#include "graphics/rect.h"

namespace plugfw::gfx {
class IGfx;
struct Blend;
}  // namespace plugfw::gfx

namespace halcyra {

inline constexpr float kBoxRadius = 5.f;

// Filled with `fill`, outlined 1 unit thick on the rect shrunk by half a unit.
void DrawBox(plugfw::gfx::IGfx& g, const plugfw::gfx::Rect& box, Colour fill, Colour outline,
             const plugfw::gfx::Blend* blend, float radius = kBoxRadius);

// A button's frame: lit or not, with the hover outline over everything.
void DrawButtonFrame(plugfw::gfx::IGfx& g, const plugfw::gfx::Rect& rect, bool on, bool hover,
                     const plugfw::gfx::Blend* blend);

// One line of text, vertically centred in the rect.
void DrawEditorText(plugfw::gfx::IGfx& g, const char* text, const plugfw::gfx::Rect& rect, float size,
                    Colour colour, plugfw::gfx::TextAlign align, const plugfw::gfx::Blend* blend);

// A "v" of two 1-unit lines: (left, top) down to (middle, bottom) and up to (right, top).
void DrawChevron(plugfw::gfx::IGfx& g, float left, float middle, float right, float top, float bottom,
                 Colour colour, const plugfw::gfx::Blend* blend);

}  // namespace halcyra
