#include "editor/palette.h"

namespace halcyra {

plugfw::gfx::TextStyle EditorTextStyle(float size, Colour textColour, plugfw::gfx::TextAlign align) {
  plugfw::gfx::TextStyle style;
  style.SetFontId(kEditorFontId);
  style.size = size;
  style.textColour = textColour;
  style.entryBackgroundColour = EntryBackColour;
  style.entryTextColour = PaperColour;
  style.angle = 0.f;
  style.align = align;
  style.valign = plugfw::gfx::TextVAlign::kMiddle;
  return style;
}

}  // namespace halcyra
