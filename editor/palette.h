#pragma once
// The editor's colours and the text style every one of its controls starts from: the
// "KESTRALYN" font, an entry box in the panel's darkest shade with paper-coloured text.
// Constants: any thread.

#include <cstdint>

#include "graphics/colour.h"
#include "graphics/text_style.h"

namespace halcyra {

using plugfw::gfx::Colour;

inline constexpr Colour PaperColour{255, 240, 236, 226};
inline constexpr Colour MutedColour{255, 151, 163, 169};
inline constexpr Colour AmberColour{255, 215, 165, 109};
inline constexpr Colour TealColour{255, 105, 204, 194};
inline constexpr Colour BlueColour{255, 126, 162, 210};
inline constexpr Colour RuleColour{255, 54, 67, 73};
inline constexpr Colour PanelColour{255, 27, 35, 40};
inline constexpr Colour VioletColour{255, 158, 144, 223};
inline constexpr Colour EntryBackColour{255, 19, 26, 29};

inline constexpr int32_t kVoicePaletteSize = 4;
inline constexpr Colour VoicePalette[kVoicePaletteSize] = {VioletColour, TealColour, AmberColour, BlueColour};

// Voice k (0-based) of any count.
constexpr Colour VoiceColour(int32_t voice) {
  const int32_t index = voice % kVoicePaletteSize;
  return VoicePalette[index < 0 ? index + kVoicePaletteSize : index];
}

// The font the layout registers the embedded TTF under.
inline constexpr char kEditorFontId[] = "KESTRALYN";

// A text style of the editor: its font, angle 0, vertically centred, the entry colours.
plugfw::gfx::TextStyle EditorTextStyle(float size, Colour textColour, plugfw::gfx::TextAlign align);

}  // namespace halcyra
