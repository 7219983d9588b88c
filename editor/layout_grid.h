#pragma once
// Where the parameter controls sit: the eight-column page row at the bottom, the six-column
// wide row above it, and the toggle button inside a cell. Editor units of the 1180 x 800
// editor. Pure: any thread.

#include <cstdint>

#include "graphics/rect.h"

namespace halcyra {

// The cell of a column: a page-row cell is 130 x 104 units, a wide cell 170 x 117.
plugfw::gfx::Rect ParameterCellRect(int32_t column, bool wide);

// A toggle button within its cell: 5 units in from either side, 43 units high.
plugfw::gfx::Rect ToggleRectInCell(const plugfw::gfx::Rect& cell, bool wide);

// Tab j, 0..5, along the row between the wide knobs and the page.
plugfw::gfx::Rect TabButtonRect(int32_t tab);

// Section button k (0 or 1) of a page pair, and voice button d (0..7) of a voice page.
plugfw::gfx::Rect SectionButtonRect(int32_t k);
plugfw::gfx::Rect VoiceButtonRect(int32_t voice);

}  // namespace halcyra
