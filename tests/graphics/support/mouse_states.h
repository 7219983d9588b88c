#pragma once
// The pointer states the platform window would send: a left-button pointer at a point, with
// the movement since its last state and its touch identifier (0, the mouse, by default).

#include <cstdint>

#include "graphics/input_events.h"

namespace plugfw::gfx::test {

inline MouseState LeftButtonAt(float x, float y, float dX = 0.f, float dY = 0.f, int64_t touchId = 0) {
  MouseState state;
  state.x = x;
  state.y = y;
  state.dX = dX;
  state.dY = dY;
  state.mod.leftButton = true;
  state.mod.touchId = touchId;
  return state;
}

}  // namespace plugfw::gfx::test
