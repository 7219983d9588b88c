#pragma once
// Colour: alpha, red, green and blue, each 0 to 255, and the toolkit's named colours.
// Any thread: plain constants.

#include <cstdint>

namespace plugfw::gfx {

struct Colour {
  int32_t alpha = 255;
  int32_t red = 0;
  int32_t green = 0;
  int32_t blue = 0;

  constexpr Colour() = default;
  constexpr Colour(int32_t a, int32_t r, int32_t g, int32_t b) : alpha(a), red(r), green(g), blue(b) {}

  constexpr bool operator==(const Colour& other) const {
    return alpha == other.alpha && red == other.red && green == other.green && blue == other.blue;
  }
  constexpr bool operator!=(const Colour& other) const { return !(*this == other); }
};

inline constexpr Colour ColourTransparent{0, 0, 0, 0};
inline constexpr Colour ColourBlack{255, 0, 0, 0};
inline constexpr Colour ColourWhite{255, 255, 255, 255};
inline constexpr Colour ColourRed{255, 255, 0, 0};
inline constexpr Colour ColourGreen{255, 0, 255, 0};
inline constexpr Colour ColourBlue{255, 0, 0, 255};
inline constexpr Colour ColourYellow{255, 255, 255, 0};
inline constexpr Colour ColourOrange{255, 255, 127, 0};
inline constexpr Colour ColourIndigo{255, 75, 0, 130};
inline constexpr Colour ColourViolet{255, 148, 0, 211};
inline constexpr Colour ColourGray{255, 127, 127, 127};
inline constexpr Colour ColourLightGray{255, 240, 240, 240};
inline constexpr Colour ColourMidGray{255, 200, 200, 200};
inline constexpr Colour ColourDarkGray{255, 70, 70, 70};
inline constexpr Colour ColourTranslucent{10, 0, 0, 0};
inline constexpr Colour ColourShadow{60, 0, 0, 0};
inline constexpr Colour ColourDropShadow{128, 0, 0, 0};

inline constexpr Colour DefaultTextColour = ColourBlack;
inline constexpr Colour DefaultTextEntryBackgroundColour = ColourWhite;
inline constexpr Colour DefaultTextEntryTextColour = ColourBlack;
inline constexpr Colour DefaultHighlightColour = ColourRed;

}  // namespace plugfw::gfx
