#pragma once
// StrokeOptions and FillOptions: how the back end strokes and fills the current path.

#include <cstdint>

namespace plugfw::gfx {

enum class LineCap : int32_t { kButt = 0, kRound = 1, kSquare = 2 };
enum class LineJoin : int32_t { kMiter = 0, kRound = 1, kBevel = 2 };

inline constexpr int32_t kMaxDashes = 8;

struct StrokeOptions {
  float miterLimit = 10.f;
  bool preserve = false;
  LineCap cap = LineCap::kButt;
  LineJoin join = LineJoin::kMiter;
  float dashes[kMaxDashes] = {};
  float dashOffset = 0.f;
  int32_t dashCount = 0;

  // Takes at most kMaxDashes lengths; a negative count counts as 0.
  void SetDash(const float* lengths, int32_t count, float offset);
};

enum class FillRule : int32_t {
  kNonZero = 0,
  kEvenOdd = 1,
  kPreserveWinding = 2,  // each sub-path keeps the winding set on it
};

struct FillOptions {
  FillRule rule = FillRule::kNonZero;
  bool preserve = false;

  constexpr FillOptions() = default;
  constexpr FillOptions(FillRule fillRule, bool preservePath) : rule(fillRule), preserve(preservePath) {}
};

}  // namespace plugfw::gfx
