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

// How an editor of fixed units sits in a parent window when its zoom follows the parent.
struct ParentFit {
  float scale = 1.f;   // the draw scale to take
  bool fills = false;  // at that scale the editor covers the parent exactly
  int32_t width = 0;   // the editor's host size at that scale, which the parent needs
  int32_t height = 0;
};

// Any thread: pure. The draw scale, within [minScale, maxScale], for an editor of unitsWidth x
// unitsHeight in a parent of parentWidth x parentHeight host pixels at windowScale. Where some
// scale gives the editor exactly the parent's size it is taken (currentScale when it is one, so
// a parent the editor already fills changes nothing); else the largest scale at which the
// editor fits inside the parent, held within the bounds, and the parent does not fit it.
// Since every host size the editor takes at some scale is again filled, a parent given the
// size asked for is then filled, and the two agree. False for sizes not above 0 and unusable
// scales.
bool FitScaleToParent(int32_t unitsWidth, int32_t unitsHeight, int32_t parentWidth, int32_t parentHeight,
                      float windowScale, float minScale, float maxScale, float currentScale, ParentFit& fit);

// Any thread: pure. A coordinate in editor units as a whole size, truncated toward zero and
// held within ±1e9 (the size bounds then clamp it); 0 for NaN.
int32_t TruncatedUnits(float units);

// Any thread: pure. The scale-mode drag from the press point to (x, y), at the current draw
// scale: the smaller of drawScale × y / pressY and drawScale × x / pressX. False, scale
// untouched, when the press point is not inside the editor (not above 0), the point is not
// finite or the result is not a usable scale.
bool CornerDragScale(float drawScale, float x, float y, float pressX, float pressY, float& scale);

}  // namespace plugfw::gfx
