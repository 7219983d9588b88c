#pragma once
// BuildEditorLayout: the whole editor, built once each time it opens - every control at its
// place in the 1180 x 800 editor, one control per parameter on seventeen pages, page 0 shown.
// UI thread, from the graphics context's layout call.

#include <cstdint>

#include "editor/view_state.h"

namespace plugfw::gfx {
class IGfx;
class IGfxEditorDelegate;
}  // namespace plugfw::gfx

namespace halcyra {

// The font the layout loads as "KESTRALYN", and the logo it loads for the brand.
inline constexpr char kEditorFontFile[] = "Roboto-Regular.ttf";
inline constexpr char kLogoResource[] = "kestralyn_logo.svg";
// The zoom the editor may take, by its corner or from the host's window.
inline constexpr double kMinEditorScale = 0.85;
inline constexpr double kMaxEditorScale = 1.5;

struct EditorLayout {
  ViewStatePtr view;        // null when nothing was built
  bool fontLoaded = false;  // without it every text of the editor would stay blank
  bool logoLoaded = false;  // without it the brand shows its name as text
};

EditorLayout BuildEditorLayout(plugfw::gfx::IGfxEditorDelegate* plugin, plugfw::gfx::IGfx* gfx);

// The control of one parameter at a column of the page row (or of the wide row), registered
// for the page (ViewState::kEveryPage for all): a knob with its value entry, a toggle or a
// menu. False when the graphics context took no control.
bool AddParameterControl(plugfw::gfx::IGfxEditorDelegate* plugin, plugfw::gfx::IGfx& gfx,
                         const ViewStatePtr& view, int32_t paramIdx, const char* caption, int32_t page,
                         int32_t column, bool wide);

}  // namespace halcyra
