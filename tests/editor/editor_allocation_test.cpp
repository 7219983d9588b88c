// The editor's layout under the program's counting allocator: whichever single allocation of
// the opening fails, the layout leaves that control out, goes on, and throws nothing into the
// host that asked for the editor.

#include <gtest/gtest.h>

#include <memory>

#include "editor/editor_layout.h"
#include "effect/halcyra.h"
#include "graphics/control.h"
#include "tests/core/counting_allocator.h"
#include "tests/graphics/support/recording_gfx.h"

namespace halcyra::test {
namespace {

using plugfw::gfx::IControl;
using plugfw::gfx::test::RecordingGfx;
using plugfw::test::AllocationCounter;
using plugfw::test::SingleAllocationFailure;

// A graphics context that records nothing, so that every allocation of the opening is the
// layout's or the framework's.
std::unique_ptr<RecordingGfx> QuietGfx(Halcyra& plugin) {
  auto gfx = std::make_unique<RecordingGfx>(plugin, Halcyra::kEditorWidth, Halcyra::kEditorHeight);
  gfx->log.paused = true;
  return gfx;
}

// What a musician does first with a new editor: a frame drawn, another page, the mouse over it.
void UseTheEditor(RecordingGfx& gfx, ViewState& view) {
  gfx.ForAllControls([&gfx](IControl& control) {
    if (control.IsDirty()) control.Draw(gfx);
  });
  view.SelectPage(12, gfx);
  gfx.MouseOverAt(600.f, 650.f, {});
  gfx.SetAllControlsClean();
}

TEST(EditorLayoutAllocation, EachFailedAllocationLeavesItsControlOutAndTheLayoutGoesOn) {
  std::unique_ptr<Halcyra> plugin = CreatePluginInstance({});
  ASSERT_NE(plugin, nullptr);
  int32_t whole = 0;
  long requests = 0;
  {
    std::unique_ptr<RecordingGfx> gfx = QuietGfx(*plugin);
    AllocationCounter counter;
    BuildEditorLayout(plugin.get(), gfx.get());
    requests = counter.Count();
    whole = gfx->NControls();
  }
  int32_t leftOut = 0;
  long index = 0;
  for (;; ++index) {
    std::unique_ptr<RecordingGfx> gfx = QuietGfx(*plugin);
    EditorLayout layout;
    bool refused = false;
    {
      SingleAllocationFailure failure(index);
      layout = BuildEditorLayout(plugin.get(), gfx.get());  // a throw here fails the test
      refused = failure.Refused();
    }
    if (!refused) break;
    if (layout.view == nullptr) continue;  // no view record, no page to show: nothing was built
    // At most one control goes: a knob with its value entry, or the one that could not be made.
    EXPECT_GE(gfx->NControls(), whole - 2) << "request " << index;
    leftOut += whole - gfx->NControls();
    UseTheEditor(*gfx, *layout.view);
  }
  // The sweep really walked through the controls of the editor.
  EXPECT_GT(leftOut, whole / 2);
  RecordProperty("allocationsOfOneOpening", static_cast<int>(requests));
}

}  // namespace
}  // namespace halcyra::test
