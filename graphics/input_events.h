#pragma once
// The records that mouse, touch and key events carry from the window to the graphics
// context and the controls. Plain values, made and used on the UI thread.

#include <cstdint>

namespace plugfw::gfx {

struct ModifierKeys {
  bool leftButton = false;
  bool rightButton = false;
  bool shift = false;
  bool control = false;
  bool alt = false;
  int64_t touchId = 0;  // 0 is the mouse
  float touchRadius = 0.f;

  // Shift or control: the fine-adjustment modifier of drags and wheels.
  bool Fine() const { return shift || control; }
};

// One pointer of a mouse or touch event; x, y the point and dX, dY the movement since the
// previous event of the drag, in editor units.
struct MouseState {
  float x = 0.f;
  float y = 0.f;
  float dX = 0.f;
  float dY = 0.f;
  ModifierKeys mod;
};

inline constexpr int32_t kKeyUtf8Capacity = 5;  // bytes, NUL included

struct KeyEvent {
  int32_t keyCode = 0;               // the platform's virtual key code; 0x41..0x5A are A..Z
  char utf8[kKeyUtf8Capacity] = {};  // the character the key gives, "" when none
  bool shift = false;
  bool control = false;
  bool alt = false;
};

}  // namespace plugfw::gfx
