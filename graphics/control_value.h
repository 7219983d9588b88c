#pragma once
// ControlValue: one value slot of a control, bound to a parameter or to none.

#include <cstdint>

namespace plugfw::gfx {

inline constexpr int32_t kNoParameter = -1;

struct ControlValue {
  int32_t paramIdx = kNoParameter;
  double value = 0.0;  // normalized, 0 to 1
};

}  // namespace plugfw::gfx
