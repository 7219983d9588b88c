#pragma once
// How many dashes a dashed line or rectangle gets. A dash length must be a positive number
// (anything else draws solid), and the count is capped so that a tiny dash over a long line
// cannot make millions of sub-paths: past the cap the dashes grow instead.
// Any thread: pure.

#include <cstdint>

namespace plugfw::gfx {

inline constexpr int32_t kMaxDashSteps = 4096;

// Any thread: pure, every function below.
bool DashLengthUsable(float dashLength);
// The line is cut into this many equal steps, drawn and skipped in turn: its length over the
// dash, rounded, at most kMaxDashSteps; 0 for a length that is not a positive number.
int32_t LineDashSteps(float length, float dashLength);
// The dash length a rectangle of this size is drawn with: the one given, lengthened where a
// side would need more than kMaxDashSteps dashes, so the dashes still go all the way round.
float RectDashLength(float width, float height, float dashLength);
// The dashes along one side: ceil(extent / (2 dash)), 0 for an extent that is not positive.
int32_t RectSideDashes(float extent, float dashLength);

}  // namespace plugfw::gfx
