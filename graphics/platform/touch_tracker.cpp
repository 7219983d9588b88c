#include "graphics/platform/touch_tracker.h"

#include <cstddef>

namespace plugfw::gfx {
namespace {

constexpr size_t kInitialBuckets = 8;

MouseState StateOf(const TouchPoint& point) {
  MouseState state;
  state.x = point.x;
  state.y = point.y;
  state.mod.touchId = point.id;
  state.mod.touchRadius = point.contactRadius;
  return state;
}

}  // namespace

TouchTracker::TouchTracker() : active_(kInitialBuckets) { active_.max_load_factor(1.0f); }

TouchLists TouchTracker::Take(const TouchPoint* points, int32_t count) {
  TouchLists lists;
  for (int32_t i = 0; i < count; ++i) {
    MouseState state = StateOf(points[i]);
    switch (points[i].phase) {
      case TouchPoint::kDown:
        active_[state.mod.touchId] = state;
        lists.downs.push_back(state);
        break;
      case TouchPoint::kUp:
        active_.erase(state.mod.touchId);
        lists.ups.push_back(state);
        break;
      case TouchPoint::kMove: {
        const auto previous = active_.find(state.mod.touchId);
        if (previous != active_.end()) {
          state.dX = state.x - previous->second.x;
          state.dY = state.y - previous->second.y;
        }
        active_[state.mod.touchId] = state;
        lists.moves.push_back(state);
        break;
      }
    }
  }
  return lists;
}

}  // namespace plugfw::gfx
