// The graphics context's pointer state that the control base relies on: which control a
// pointer holds, releasing the capture, and the cursor kind. The input dispatch family
// (hit tests, presses, drags, releases, hover, keys, drops) builds on these.

#include <algorithm>

#include "graphics/gfx.h"

namespace plugfw::gfx {

bool IGfx::ControlIsCaptured(const IControl* control) const {
  return control && std::any_of(captureMap_.begin(), captureMap_.end(),
                                [control](const auto& entry) { return entry.second == control; });
}

void IGfx::ReleaseMouseCapture() {
  captureMap_.clear();
  if (cursorHidden_) HideMouseCursor(false, true);
}

int32_t IGfx::SetMouseCursor(int32_t kind) {
  const int32_t previous = cursorKind_;
  cursorKind_ = kind;
  return previous;
}

}  // namespace plugfw::gfx
