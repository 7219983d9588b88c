#pragma once
// WidgetColorSet and WidgetStyle: the toolkit's default look of a widget. No control of
// this program reads a widget style; the records stand as the toolkit's defaults.
// Any thread: constants.

#include <cstdint>
#include <initializer_list>

#include "graphics/colour.h"
#include "graphics/text_style.h"

namespace plugfw::gfx {

// The positions of a widget colour set.
enum WidgetColour : int32_t {
  kWidgetBackground = 0,
  kWidgetForeground,
  kWidgetPressed,
  kWidgetFrame,
  kWidgetHighlight,
  kWidgetShadow,
  kWidgetExtra1,
  kWidgetExtra2,
  kWidgetExtra3,
  kWidgetColourCount
};

struct WidgetColorSet {
  Colour colours[kWidgetColourCount];

  // The default set, position by position.
  constexpr WidgetColorSet()
      : colours{ColourTransparent, ColourMidGray, ColourLightGray, ColourDarkGray, ColourTranslucent,
                ColourShadow,      ColourBlack,   ColourGreen,     ColourBlue} {}
  // The list's colours in positions 0, 1, ...; the default colour wherever it does not
  // reach. Colours past the ninth are ignored.
  WidgetColorSet(std::initializer_list<Colour> list);

  const Colour& operator[](int32_t position) const { return colours[position]; }
  bool operator==(const WidgetColorSet& other) const;
  bool operator!=(const WidgetColorSet& other) const { return !(*this == other); }
};

inline constexpr WidgetColorSet DefaultWidgetColorSet{};

struct WidgetStyle {
  bool showLabel = true;
  bool showValue = true;
  bool drawFrame = true;
  bool drawShadows = true;
  bool emboss = true;
  bool hideCursor = false;
  float roundness = 0.f;
  float frameThickness = 1.f;
  float shadowOffset = 3.f;
  float widgetFraction = 1.f;
  float angle = 0.f;
  WidgetColorSet colours = DefaultWidgetColorSet;
  TextStyle labelText = DefaultLabelTextStyle;
  TextStyle valueText = DefaultValueTextStyle;
  int32_t direction = 0;
};

inline constexpr WidgetStyle DefaultWidgetStyle{};

}  // namespace plugfw::gfx
