#include "graphics/widget_style.h"

namespace plugfw::gfx {

WidgetColorSet::WidgetColorSet(std::initializer_list<Colour> list) : WidgetColorSet() {
  int32_t position = 0;
  for (const Colour& colour : list) {
    if (position == kWidgetColourCount) break;
    colours[position++] = colour;
  }
}

bool WidgetColorSet::operator==(const WidgetColorSet& other) const {
  for (int32_t i = 0; i < kWidgetColourCount; ++i) {
    if (colours[i] != other.colours[i]) return false;
  }
  return true;
}

}  // namespace plugfw::gfx
