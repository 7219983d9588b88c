#pragma once
// The arithmetic of the editor's size and scales: which scales are usable, the editor's
// size in host pixels, and the draw scale a corner-resizer drag asks for. NaN, zero and
// negative scales stop here, before they reach any geometry. Any thread: pure functions.

#include <cstdint>

namespace plugfw::gfx {

// Any thread: pure. Finite and above 0.
bool IsUsableScale(float scale);

// Any thread: pure. int(windowScale × int(units × drawScale)), each product truncated toward
// zero, held within the 32-bit range; 0 for a product that is not a number.
int32_t HostPixels(int32_t units, float drawScale, float windowScale);

// Any thread: pure. A coordinate in editor units as a whole size, truncated toward zero and
// held within ±1e9 (the size bounds then clamp it); 0 for NaN.
int32_t TruncatedUnits(float units);

// Any thread: pure. The scale-mode drag from the press point to (x, y), at the current draw
// scale: the smaller of drawScale × y / pressY and drawScale × x / pressX. False, scale
// untouched, when the press point is not inside the editor (not above 0), the point is not
// finite or the result is not a usable scale.
bool CornerDragScale(float drawScale, float x, float y, float pressX, float pressY, float& scale);

}  // namespace plugfw::gfx
