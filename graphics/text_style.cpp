#include "graphics/text_style.h"

#include <cstring>

namespace plugfw::gfx {

bool operator==(const TextStyle& a, const TextStyle& b) {
  return std::strncmp(a.fontId, b.fontId, kFontIdCapacity) == 0 && a.size == b.size &&
         a.textColour == b.textColour && a.entryBackgroundColour == b.entryBackgroundColour &&
         a.entryTextColour == b.entryTextColour && a.angle == b.angle && a.align == b.align &&
         a.valign == b.valign;
}

}  // namespace plugfw::gfx
