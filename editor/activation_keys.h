#pragma once
// The keys that press a focused button, menu or link: Enter and Space (Windows virtual keys).
// UI thread, from the controls' key handlers.

#include <cstdint>

#include "graphics/input_events.h"

namespace halcyra {

inline constexpr int32_t kKeyEnter = 13;
inline constexpr int32_t kKeySpace = 32;

inline bool IsActivationKey(const plugfw::gfx::KeyEvent& key) {
  return key.keyCode == kKeyEnter || key.keyCode == kKeySpace;
}

}  // namespace halcyra
