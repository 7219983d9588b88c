#pragma once
// What a control drew, read back from the recording graphics context's log as shapes: each
// stroke or fill with its colour and thickness, the straight lines of its path and the arcs
// (circles) in it, and each text with its box and style. UI thread, in tests.

#include <string>
#include <vector>

#include "graphics/colour.h"
#include "graphics/rect.h"
#include "graphics/text_style.h"
#include "tests/graphics/support/call_log.h"

namespace halcyra::test {

struct DrawnLine {
  float x1, y1, x2, y2;
};

struct DrawnArc {
  float cx, cy, r;
};

struct DrawnShape {
  bool filled = false;
  plugfw::gfx::Colour colour;
  float thickness = 0.f;
  std::vector<DrawnLine> lines;
  std::vector<DrawnArc> arcs;
};

struct DrawnText {
  std::string text;
  plugfw::gfx::Rect rect;
  plugfw::gfx::TextStyle style;
};

std::vector<DrawnShape> DrawnShapes(const plugfw::gfx::test::CallLog& log);
std::vector<DrawnText> DrawnTexts(const plugfw::gfx::test::CallLog& log);

// The single-line strokes of one colour and thickness (the lines DrawLine makes).
std::vector<DrawnLine> StrokedLines(const std::vector<DrawnShape>& shapes, plugfw::gfx::Colour colour,
                                    float thickness);
// The circles filled (or outlined) in one colour.
std::vector<DrawnArc> Circles(const std::vector<DrawnShape>& shapes, plugfw::gfx::Colour colour, bool filled);
// The box a shape's lines and arcs span (arcs as their whole circles).
plugfw::gfx::Rect ShapeBounds(const DrawnShape& shape);
// The filled shapes of one colour.
std::vector<DrawnShape> Fills(const std::vector<DrawnShape>& shapes, plugfw::gfx::Colour colour);
// The first text equal to `text`; null when none.
const DrawnText* FindText(const std::vector<DrawnText>& texts, const std::string& text);

}  // namespace halcyra::test
