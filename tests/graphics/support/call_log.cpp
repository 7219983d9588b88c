#include "tests/graphics/support/call_log.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace plugfw::gfx::test {

GfxCall& CallLog::Add(const char* name, const char* format, ...) {
  if (paused) {
    unrecorded_ = GfxCall();
    return unrecorded_;
  }
  GfxCall call;
  call.name = name;
  call.text = name;
  if (format) {
    char arguments[512];
    va_list list;
    va_start(list, format);
    std::vsnprintf(arguments, sizeof arguments, format, list);
    va_end(list);
    call.text += " ";
    call.text += arguments;
  }
  calls_.push_back(call);
  return calls_.back();
}

std::vector<std::string> CallLog::Texts(std::initializer_list<const char*> skip) const {
  std::vector<std::string> texts;
  for (const GfxCall& call : calls_) {
    bool skipped = false;
    for (const char* name : skip) skipped = skipped || call.name == name;
    if (!skipped) texts.push_back(call.text);
  }
  return texts;
}

std::vector<GfxCall> CallLog::Named(const char* name) const {
  std::vector<GfxCall> named;
  for (const GfxCall& call : calls_) {
    if (call.name == name) named.push_back(call);
  }
  return named;
}

int32_t CallLog::Count(const char* name) const { return static_cast<int32_t>(Named(name).size()); }

std::string DescribePattern(const FillPattern& pattern) {
  char text[96];
  if (pattern.type == PatternType::kSolid) {
    const Colour& c = pattern.stops[0].colour;
    std::snprintf(text, sizeof text, "solid(%d,%d,%d,%d)", c.alpha, c.red, c.green, c.blue);
  } else {
    std::snprintf(text, sizeof text, "%s[%d]", pattern.type == PatternType::kLinear ? "linear" : "radial",
                  pattern.stopCount);
  }
  return text;
}

std::string DescribeRect(const Rect& rect) {
  char text[96];
  std::snprintf(text, sizeof text, "%g %g %g %g", rect.left, rect.top, rect.right, rect.bottom);
  return text;
}

std::string DescribeTransform(const PathTransform& t) {
  char text[160];
  // Rounded, so that the 2e-8 a rotation by 90 degrees leaves reads as 0.
  const auto clean = [](double v) { return std::fabs(v) < 1e-6 ? 0.0 : v; };
  std::snprintf(text, sizeof text, "%g %g %g %g %g %g", clean(t.xx), clean(t.yx), clean(t.xy), clean(t.yy),
                clean(t.tx), clean(t.ty));
  return text;
}

}  // namespace plugfw::gfx::test
