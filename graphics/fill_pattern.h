#pragma once
// FillPattern: how a path is painted - one colour or a linear or radial gradient of up to
// sixteen stops under an affine map from editor units to pattern space. Plain value.

#include <cstdint>

#include "graphics/colour.h"
#include "graphics/path_transform.h"

namespace plugfw::gfx {

enum class PatternType : int32_t { kSolid = 0, kLinear = 1, kRadial = 2 };

// Nothing in this program reads the extend mode beyond passing it on; the values follow
// the SVG spread methods.
enum class PatternExtend : int32_t { kNone = 0, kPad = 1, kReflect = 2, kRepeat = 3 };

inline constexpr int32_t kMaxPatternStops = 16;

struct PatternStop {
  Colour colour = ColourBlack;
  float offset = 0.f;  // 0 to 1
};

struct FillPattern {
  PatternType type = PatternType::kSolid;
  PatternExtend extend = PatternExtend::kPad;
  PatternStop stops[kMaxPatternStops] = {};
  int32_t stopCount = 0;
  PathTransform transform = kIdentityTransform;

  constexpr FillPattern() = default;
  // No stops yet, the identity transform.
  constexpr explicit FillPattern(PatternType patternType) : type(patternType) {}
  // Solid: one stop of the colour at offset 0. Implicit, so a colour stands wherever a
  // pattern is asked for.
  constexpr FillPattern(const Colour& colour) : stopCount(1) { stops[0].colour = colour; }

  // Appends a stop; false (nothing changed) when all sixteen are in use.
  constexpr bool AddStop(const Colour& colour, float offset) {
    if (stopCount >= kMaxPatternStops) return false;
    stops[stopCount] = {colour, offset};
    ++stopCount;
    return true;
  }
  constexpr const Colour& FirstColour() const { return stops[0].colour; }
};

}  // namespace plugfw::gfx
