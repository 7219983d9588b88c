#pragma once
// Drawing pieces several of the editor's controls share: the rounded panel box with its
// half-unit-inset outline, the button frame, text in the editor's font, and a chevron; and the
// fitting of texts that must stay inside their control, measured through the graphics context
// (so with the editor's font where it is loaded): a single line - a menu's value, a caption, a
// knob's value - shortened with an ellipsis where it measures wider than its room, and running
// text - the help strip's - broken into rows at the largest size that lets every row in.
// UI thread, inside a control's Draw.

#include <string>
#include <vector>

#include "editor/palette.h"
#include "graphics/rect.h"
#include "graphics/text_style.h"

namespace plugfw::gfx {
class IGfx;
struct Blend;
}  // namespace plugfw::gfx

namespace halcyra {

inline constexpr float kBoxRadius = 5.f;
// A text in a box keeps this far from its sides.
inline constexpr float kTextPadding = 4.f;

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

// The text itself when it measures at most width; else its longest beginning (whole characters,
// trailing blanks dropped) followed by an ellipsis that does, or the ellipsis alone.
std::string FitTextToWidth(plugfw::gfx::IGfx& g, const plugfw::gfx::TextStyle& style, const char* text,
                           float width);

// One line in the editor's font, drawn in the rect as DrawEditorText draws it, shortened to the
// rect's width less the padding on either side (which a centred text thus keeps clear).
void DrawFittedText(plugfw::gfx::IGfx& g, const char* text, const plugfw::gfx::Rect& rect, float size,
                    Colour colour, plugfw::gfx::TextAlign align, const plugfw::gfx::Blend* blend,
                    float padding = 0.f);

// Running text broken at blanks into rows, each as wide as the box allows, a line height apart.
struct TextRows {
  float size = 0.f;
  float lineHeight = 0.f;
  std::vector<std::string> rows;
};

// The rows at the largest size from the style's own down to smallestSize, in half-unit steps,
// whose rows all fit the box's height. Should none, the rows that fit at smallestSize, the last
// one ending in an ellipsis.
TextRows FitTextToBox(plugfw::gfx::IGfx& g, plugfw::gfx::TextStyle style, const char* text,
                      const plugfw::gfx::Rect& box, float smallestSize);

}  // namespace halcyra
