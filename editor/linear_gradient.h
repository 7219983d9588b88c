#pragma once
// The vertical shading of the knobs and the backdrop: a linear gradient pattern whose
// transform maps the first point to 0 and the second to 1 along the pattern's gradient axis.
// Pure: any thread.

#include <cstdint>
#include <initializer_list>

#include "graphics/fill_pattern.h"

namespace halcyra {

// Stops are taken in order, at most sixteen. Two equal points (or points that are not
// finite) give no direction: every point then maps to 0 and shows the first stop.
plugfw::gfx::FillPattern MakeLinearGradient(float x1, float y1, float x2, float y2,
                                            const plugfw::gfx::PatternStop* stops, int32_t count);
plugfw::gfx::FillPattern MakeLinearGradient(float x1, float y1, float x2, float y2,
                                            std::initializer_list<plugfw::gfx::PatternStop> stops);

}  // namespace halcyra
