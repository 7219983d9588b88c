#include "graphics/scaled_image_names.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace plugfw::gfx {
namespace {

constexpr int32_t kHighestVariant = 3;
// Far above any display's scale; keeps the rounded scale an integer.
constexpr float kLargestTargetScale = 64.f;

// Where the extension that moves behind the scale mark starts; the name's end when there is
// none after the last path separator.
size_t ExtensionStart(const std::string& name) {
  const size_t separator = name.find_last_of("/\\");
  const size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || (separator != std::string::npos && dot < separator)) return name.size();
  return dot;
}

}  // namespace

int32_t ScaleSearchOrder(int32_t target, int32_t scales[kMaxScaleCandidates]) {
  int32_t count = 0;
  scales[count++] = target;
  if (target != kHighestVariant) scales[count++] = kHighestVariant;
  for (int32_t scale = 2; scale >= 1; --scale) {
    if (scale != target) scales[count++] = scale;
  }
  return count;
}

void ScaledImageName(const char* name, int32_t scale, HeapString& out) {
  const std::string whole = name ? name : "";
  if (scale == 1) {
    out.Set(whole.c_str());
    return;
  }
  const size_t extension = ExtensionStart(whole);
  const std::string variant =
      whole.substr(0, extension) + "@" + std::to_string(scale) + "x" + whole.substr(extension);
  out.Set(variant.c_str());
}

int32_t TargetScale(int32_t asked, float screenScale) {
  if (asked >= 1) return asked;
  if (!std::isfinite(screenScale) || screenScale <= 0.f) return 1;
  return static_cast<int32_t>(std::clamp(std::ceil(screenScale), 1.f, kLargestTargetScale));
}

const char* NameExtension(const char* name) {
  if (!name) return "";
  const char* dot = std::strrchr(name, '.');
  return dot ? dot + 1 : name;
}

}  // namespace plugfw::gfx
