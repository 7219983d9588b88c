#pragma once
// CallLog: the ordered record of what reached a test double, as short texts to compare
// and, for the calls that carry them, the full records (patterns, options, blends).

#include <cstdarg>
#include <initializer_list>
#include <string>
#include <vector>

#include "graphics/blend.h"
#include "graphics/draw_options.h"
#include "graphics/fill_pattern.h"
#include "graphics/path_transform.h"
#include "graphics/rect.h"
#include "graphics/text_style.h"

namespace plugfw::gfx::test {

struct GfxCall {
  std::string name;  // the operation, e.g. "PathFill"
  std::string text;  // name and arguments, e.g. "PathMoveTo 10 20"
  FillPattern pattern;
  FillOptions fill;
  StrokeOptions stroke;
  float thickness = 0.f;
  bool hasBlend = false;
  Blend blend;
  PathTransform transform;
  Rect rect;
  TextStyle textStyle;  // for text calls
};

class CallLog {
 public:
  GfxCall& Add(const char* name, const char* format = nullptr, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 3, 4)))
#endif
      ;

  const std::vector<GfxCall>& Calls() const { return calls_; }
  void Clear() { calls_.clear(); }
  size_t Size() const { return calls_.size(); }
  // The texts of every call, or of the calls whose names are not among `skip`.
  std::vector<std::string> Texts(std::initializer_list<const char*> skip = {}) const;
  // The calls of one name, in order.
  std::vector<GfxCall> Named(const char* name) const;
  int32_t Count(const char* name) const;

  // While set, calls go unrecorded and the log allocates nothing: for a test whose failing
  // allocations must all be the code's under test.
  bool paused = false;

 private:
  std::vector<GfxCall> calls_;
  GfxCall unrecorded_;  // what Add hands out while paused
};

// "solid(a,r,g,b)", or "linear[n]" / "radial[n]" with the stop count.
std::string DescribePattern(const FillPattern& pattern);
std::string DescribeRect(const Rect& rect);
std::string DescribeTransform(const PathTransform& transform);

}  // namespace plugfw::gfx::test
