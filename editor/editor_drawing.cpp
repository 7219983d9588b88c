#include "editor/editor_drawing.h"

#include <algorithm>

#include "graphics/gfx.h"

namespace halcyra {
namespace {

constexpr float kOutlineInset = 0.5f;
constexpr float kOutlineThickness = 1.f;
constexpr Colour kLitButtonColour{255, 36, 65, 65};

using plugfw::gfx::IGfx;
using plugfw::gfx::Rect;
using plugfw::gfx::TextStyle;

constexpr char kEllipsis[] = "\xE2\x80\xA6";
constexpr float kSizeStep = 0.5f;

float MeasuredWidth(IGfx& g, const TextStyle& style, const std::string& text) {
  Rect bounds;
  return g.MeasureText(style, text.c_str(), bounds);
}

float MeasuredLineHeight(IGfx& g, const TextStyle& style, const std::string& text) {
  Rect bounds;
  g.MeasureText(style, text.c_str(), bounds);
  return bounds.Height();
}

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::string BeginningWithEllipsis(const std::string& text, size_t end) {
  std::string beginning = text.substr(0, end);
  while (!beginning.empty() && beginning.back() == ' ') beginning.pop_back();
  return beginning + kEllipsis;
}

// Greedy: each row takes words while it measures at most width; a word wider than that alone
// is shortened.
std::vector<std::string> BreakIntoRows(IGfx& g, const TextStyle& style, const std::string& text,
                                       float width) {
  std::vector<std::string> rows;
  std::string row;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(start, end - start);
    start = end + 1;
    if (word.empty()) continue;
    std::string longer = row.empty() ? word : row + ' ' + word;
    if (row.empty() || MeasuredWidth(g, style, longer) <= width) {
      row = std::move(longer);
      continue;
    }
    rows.push_back(FitTextToWidth(g, style, row.c_str(), width));
    row = word;
  }
  if (!row.empty()) rows.push_back(FitTextToWidth(g, style, row.c_str(), width));
  return rows;
}

bool RowsFit(const TextRows& fitted, float height) {
  return static_cast<float>(fitted.rows.size()) * fitted.lineHeight <= height;
}

// Keeps the rows the height holds; the last of them ends the text with an ellipsis.
void CutToHeight(IGfx& g, const TextStyle& style, TextRows& fitted, float width, float height) {
  const size_t kept =
      std::max<size_t>(1, fitted.lineHeight > 0.f ? static_cast<size_t>(height / fitted.lineHeight) : 1);
  if (fitted.rows.size() <= kept) return;
  std::string rest = fitted.rows[kept - 1];
  for (size_t i = kept; i < fitted.rows.size(); ++i) rest += ' ' + fitted.rows[i];
  fitted.rows.resize(kept);
  fitted.rows.back() = FitTextToWidth(g, style, rest.c_str(), width);
}

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

std::string FitTextToWidth(IGfx& g, const TextStyle& style, const char* text, float width) {
  const std::string whole = text != nullptr ? text : "";
  if (whole.empty() || MeasuredWidth(g, style, whole) <= width) return whole;
  // The beginnings from the longest down, each cut before a whole character.
  for (size_t end = whole.size(); end > 0;) {
    --end;
    while (end > 0 && IsContinuationByte(whole[end])) --end;
    std::string shortened = BeginningWithEllipsis(whole, end);
    if (MeasuredWidth(g, style, shortened) <= width) return shortened;
  }
  return kEllipsis;
}

void DrawFittedText(IGfx& g, const char* text, const Rect& rect, float size, Colour colour,
                    plugfw::gfx::TextAlign align, const plugfw::gfx::Blend* blend, float padding) {
  const TextStyle style = EditorTextStyle(size, colour, align);
  const float width = rect.Width() - 2.f * padding;
  g.DrawTextIfAny(style, FitTextToWidth(g, style, text, width).c_str(), rect, blend);
}

TextRows FitTextToBox(IGfx& g, TextStyle style, const char* text, const Rect& box, float smallestSize) {
  const std::string whole = text != nullptr ? text : "";
  TextRows fitted;
  for (float size = style.size;; size -= kSizeStep) {
    style.size = size;
    fitted.size = size;
    fitted.lineHeight = MeasuredLineHeight(g, style, whole);
    fitted.rows = BreakIntoRows(g, style, whole, box.Width());
    if (RowsFit(fitted, box.Height()) || size - kSizeStep < smallestSize) break;
  }
  if (!RowsFit(fitted, box.Height())) CutToHeight(g, style, fitted, box.Width(), box.Height());
  return fitted;
}

}  // namespace halcyra
