#pragma once
// TextStyle: font, size, colours, angle and alignment of a piece of text, copied whole
// into every control, and the three default styles. Any thread: plain constants,
// constant-initialised, so they exist before any editor does.

#include <cstdint>

#include "graphics/colour.h"

namespace plugfw::gfx {

enum class TextAlign : int32_t { kNear = 0, kCentre = 1, kFar = 2 };
enum class TextVAlign : int32_t { kTop = 0, kMiddle = 1, kBottom = 2 };

inline constexpr int32_t kFontIdCapacity = 64;  // bytes, NUL included
inline constexpr char kDefaultFontId[] = "Roboto-Regular";
inline constexpr float kDefaultTextSize = 14.f;

struct TextStyle {
  char fontId[kFontIdCapacity] = {};
  float size = kDefaultTextSize;
  Colour textColour = DefaultTextColour;
  Colour entryBackgroundColour = DefaultTextEntryBackgroundColour;
  Colour entryTextColour = DefaultTextEntryTextColour;
  float angle = 0.f;  // degrees
  TextAlign align = TextAlign::kCentre;
  TextVAlign valign = TextVAlign::kMiddle;

  constexpr TextStyle() { CopyFontId(kDefaultFontId); }
  constexpr TextStyle(float textSize, TextVAlign verticalAlign) : size(textSize), valign(verticalAlign) {
    CopyFontId(kDefaultFontId);
  }

  // Copies at most 63 bytes; null gives "". A cut may split a multi-byte character,
  // which only ever names no font.
  void SetFontId(const char* id) { CopyFontId(id ? id : ""); }

 private:
  constexpr void CopyFontId(const char* id) {
    int32_t i = 0;
    for (; id[i] != 0 && i < kFontIdCapacity - 1; ++i) fontId[i] = id[i];
    for (; i < kFontIdCapacity; ++i) fontId[i] = 0;
  }
};

bool operator==(const TextStyle& a, const TextStyle& b);
inline bool operator!=(const TextStyle& a, const TextStyle& b) { return !(a == b); }

inline constexpr TextStyle DefaultTextStyle{};
inline constexpr TextStyle DefaultLabelTextStyle{19.f, TextVAlign::kTop};
inline constexpr TextStyle DefaultValueTextStyle{14.f, TextVAlign::kBottom};

}  // namespace plugfw::gfx
