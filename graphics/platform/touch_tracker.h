#pragma once
// Turns one batch of touch points into the mouse-state lists that the graphics
// context dispatches (downs, then ups, then moves), remembering each active touch
// so that moves carry their movement. UI thread.

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "graphics/input_events.h"

namespace plugfw::gfx {

// One touch point of a batch, already in editor units.
struct TouchPoint {
  enum Phase { kMove, kDown, kUp };
  int64_t id = 0;
  float x = 0.f;
  float y = 0.f;
  Phase phase = kMove;
  float contactRadius = 0.f;  // 0 when the system reports no contact area
};

struct TouchLists {
  std::vector<MouseState> downs;
  std::vector<MouseState> ups;
  std::vector<MouseState> moves;
};

class TouchTracker {
 public:
  TouchTracker();
  TouchLists Take(const TouchPoint* points, int32_t count);
  int32_t ActiveTouches() const { return static_cast<int32_t>(active_.size()); }

 private:
  std::unordered_map<int64_t, MouseState> active_;
};

}  // namespace plugfw::gfx
