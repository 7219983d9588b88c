#pragma once
// The editor's graphics context as each build makes it: the Windows builds open the editor
// window on the renderer (IGfxWin), builds without a platform window have none to open. The
// plug-in's constructor installs it as the editor delegate's make-graphics function.

#include <cstdint>
#include <memory>

namespace plugfw::gfx {
class IGfx;
class IGfxEditorDelegate;
}  // namespace plugfw::gfx

namespace halcyra {

inline constexpr int32_t kEditorFramesPerSecond = 30;
inline constexpr float kEditorInitialScale = 1.f;

// UI thread. A new graphics context for the delegate's editor of width x height units, not yet
// opened; null where the build has no editor window or memory ran out.
std::unique_ptr<plugfw::gfx::IGfx> MakeEditorGraphics(plugfw::gfx::IGfxEditorDelegate& delegate,
                                                      int32_t width, int32_t height);

}  // namespace halcyra
