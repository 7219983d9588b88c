// The plug-in's editor as a host opens it through the module: attached to the host's window and
// closed again, its pixels in its framebuffer and on the X screen, its size through the view,
// the corner resizer and a content scale, many openings and a second view. Runs on an X display
// of its own, so no other test's window covers the screen it captures.

#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "tests/core/message_pump.h"
#include "tests/graphics/platform/x_screen_win32.h"
#include "tests/vst3/editor_host.h"

namespace halcyra_test {
namespace {

using namespace Steinberg;

struct Probe {
  const char* what;
  int x, y;
  int red, green, blue;
  int tolerance;
};
// At scale 1: the backdrop's shading left of the panels, between two scan lines; the RATE knob
// at 0.35 Hz (0.47 of its travel), its amber value arc on the left, its unlit track on the
// right and its shaded body.
const Probe kProbes[] = {
    {"backdrop", 20, 302, 29, 31, 40, 3},
    {"knob arc", 97, 448, 215, 165, 109, 4},
    {"knob track", 162, 448, 54, 67, 73, 4},
    {"knob body", 130, 448, 47, 60, 66, 6},
};

::testing::AssertionResult Near(const Probe& probe, int red, int green, int blue) {
  if (std::abs(probe.red - red) <= probe.tolerance && std::abs(probe.green - green) <= probe.tolerance &&
      std::abs(probe.blue - blue) <= probe.tolerance) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << probe.what << ": expected (" << probe.red << ", " << probe.green << ", " << probe.blue
         << ") got (" << red << ", " << green << ", " << blue << ")";
}

PixelSize ViewSize(IPlugView* view) {
  ViewRect size;
  view->getSize(&size);
  return {size.getWidth(), size.getHeight()};
}

// The memory the process has committed, in bytes (Wine reports no private usage).
double CommittedBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                       sizeof(counters));
  return static_cast<double>(counters.PagefileUsage);
}

using EditorView = ModuleEditorTest;

TEST_F(EditorView, AttachingOpensTheEditorInTheHostsWindowAndRemovingClosesIt) {
  view_ = CreateView();
  ASSERT_NE(view_, nullptr);
  EXPECT_EQ(EditorChildWindow(), nullptr);
  editor_ = Attach(view_);
  ASSERT_NE(editor_, nullptr);
  EXPECT_EQ(GetParent(editor_), HostWindow());
  EXPECT_TRUE(IsWindowVisible(editor_));
  EXPECT_EQ(ClientSize(editor_), kEditorSize);
  EXPECT_EQ(ViewSize(view_), kEditorSize);
  EXPECT_EQ(view_->attached(HostWindow(), kPlatformTypeHWND), kResultFalse) << "already attached";

  EXPECT_EQ(view_->removed(), kResultOk);
  plugfw::test::DispatchPending();
  EXPECT_EQ(EditorChildWindow(), nullptr);
  EXPECT_FALSE(IsWindow(editor_));
  editor_ = nullptr;
}

TEST_F(EditorView, AttachingIsRefusedWhenNoEditorWindowCouldOpen) {
  // A parent the host destroyed a moment ago: no child window can open in it.
  HWND gone = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(gone, nullptr);
  DestroyWindow(gone);
  view_ = CreateView();
  ASSERT_NE(view_, nullptr);
  EXPECT_EQ(view_->attached(gone, kPlatformTypeHWND), kResultFalse);
  EXPECT_EQ(view_->attached(HostWindow(), kPlatformTypeNSView), kResultFalse);
  EXPECT_EQ(EditorChildWindow(), nullptr);
  // Nothing is left half open: the view opens the editor in a real window afterwards.
  editor_ = Attach(view_);
  EXPECT_NE(editor_, nullptr);
}

TEST_F(EditorView, TheEditorShowsItsBackdropTitleAndKnobsInItsFramebufferAndOnTheScreen) {
  ASSERT_NE(OpenEditor(), nullptr);
  // The editor prints its main framebuffer: what GL drew.
  for (const Probe& probe : kProbes) {
    EXPECT_TRUE(Near(probe, printed_.Red(probe.x, probe.y), printed_.Green(probe.x, probe.y),
                     printed_.Blue(probe.x, probe.y)));
  }
  EXPECT_GT(printed_.LightPixels(36, 45, 250, 82), 200) << "the title HALCYRA";
  EXPECT_EQ(printed_.LightPixels(300, 45, 440, 82), 0) << "nothing beside the title";
  EXPECT_GT(printed_.LightPixels(70, 482, 190, 502), 30) << "the RATE knob's value 0.35 Hz";

  // And a person sees the same on the screen.
  plugfw::gfx::test::XScreen screen;
  ASSERT_TRUE(screen.Capture());
  for (const Probe& probe : kProbes) {
    POINT point = {probe.x, probe.y};
    ClientToScreen(editor_, &point);
    const plugfw::gfx::Colour seen = screen.At(point.x, point.y);
    EXPECT_TRUE(Near(probe, seen.red, seen.green, seen.blue)) << "on the screen";
  }
  int lightTitle = 0;
  for (int y = 45; y < 82; ++y) {
    for (int x = 36; x < 250; ++x) {
      POINT point = {x, y};
      ClientToScreen(editor_, &point);
      lightTitle += screen.At(point.x, point.y).red > 180 ? 1 : 0;
    }
  }
  EXPECT_GT(lightTitle, 200) << "the title on the screen";
}

TEST_F(EditorView, TheHostsParentSizeSetsTheZoomWithinItsLimits) {
  ASSERT_NE(OpenEditor(), nullptr);
  // Too large to fill at 1.5: the editor asks the host to shrink the parent to its largest size.
  ViewRect large(0, 0, 2360, 1600);
  EXPECT_EQ(view_->onSize(&large), kResultOk);
  EXPECT_EQ(frame_.resizeRequests, 1);
  EXPECT_EQ(frame_.lastSize.getWidth(), 1770);
  EXPECT_EQ(frame_.lastSize.getHeight(), 1200);
  EXPECT_EQ(ClientSize(editor_), (PixelSize{1770, 1200}));
  EXPECT_EQ(ViewSize(view_), (PixelSize{1770, 1200}));

  // A parent the editor fills at 0.85 is taken as it is.
  ViewRect small(0, 0, 1180, 680);
  EXPECT_EQ(view_->onSize(&small), kResultOk);
  EXPECT_EQ(frame_.resizeRequests, 1);
  EXPECT_EQ(ClientSize(editor_), (PixelSize{1003, 680}));
  ASSERT_TRUE(WaitUntilPainted(editor_, printed_));
  EXPECT_GT(printed_.LightPixels(31, 38, 213, 70), 150) << "the title, drawn smaller";
}

TEST_F(EditorView, TheCornerResizerAsksTheHostOnceAndAHostAnsweringInsideStartsNoSecondRequest) {
  ASSERT_NE(OpenEditor(), nullptr);
  frame_.answerWithOnSize = true;
  // The handle covers the last 20 pixels; dragged by a fifth of the editor's size.
  SendPress(editor_, 1170, 790);
  SendDrag(editor_, 1404, 948);
  SendRelease(editor_, 1404, 948);
  EXPECT_EQ(frame_.resizeRequests, 1);
  EXPECT_EQ(frame_.nestedRequests, 0);
  EXPECT_EQ(frame_.lastSize.getWidth(), 1416);
  EXPECT_EQ(frame_.lastSize.getHeight(), 960);
  EXPECT_EQ(frame_.sizeSeenInside.getWidth(), 1416) << "the new size is stored before the host hears of it";
  EXPECT_EQ(frame_.sizeSeenInside.getHeight(), 960);
  EXPECT_EQ(ClientSize(editor_), (PixelSize{1416, 960}));
  EXPECT_EQ(ViewSize(view_), (PixelSize{1416, 960}));
  ASSERT_TRUE(WaitUntilPainted(editor_, printed_));
}

TEST_F(EditorView, AContentScaleSentBeforeAttachingIsAppliedWhenTheEditorOpens) {
  view_ = CreateView(1.5f);
  editor_ = Attach(view_);
  ASSERT_NE(editor_, nullptr);
  EXPECT_EQ(ClientSize(editor_), (PixelSize{1770, 1200}));
  EXPECT_EQ(frame_.lastSize.getWidth(), 1770);
  // The window's own display scale (96 DPI here) does not overrule the host's.
  plugfw::test::PumpMessagesFor(300);
  EXPECT_EQ(ClientSize(editor_), (PixelSize{1770, 1200}));

  auto* scaling = FUnknownPtr<IPlugViewContentScaleSupport>(view_).getInterface();
  ASSERT_NE(scaling, nullptr);
  EXPECT_EQ(scaling->setContentScaleFactor(1.25f), kResultOk);
  EXPECT_EQ(ClientSize(editor_), (PixelSize{1475, 1000}));
  ASSERT_TRUE(WaitUntilPainted(editor_, printed_));
}

TEST_F(EditorView, TwentyOpeningsAndClosingsLeaveNothingBehind) {
  double afterFirstFive = 0.0;
  double oneEditor = 0.0;  // what an open editor holds, measured at the fifth opening
  for (int cycle = 0; cycle < 20; ++cycle) {
    SCOPED_TRACE(cycle);
    IPlugView* view = CreateView();
    ASSERT_NE(view, nullptr);
    HWND editor = Attach(view);
    ASSERT_NE(editor, nullptr);
    plugfw::test::PumpMessagesFor(60);  // a frame or two
    const double open = CommittedBytes();
    CloseView(view);
    EXPECT_EQ(EditorChildWindow(), nullptr);
    EXPECT_FALSE(IsWindow(editor));
    if (cycle == 4) {
      afterFirstFive = CommittedBytes();
      oneEditor = open - afterFirstFive;
    }
  }
  WNDCLASSEXW info = {};
  info.cbSize = sizeof(info);
  EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(L"HALCYRA.vst3"), L"PlugFwWndClass", &info))
      << "the last window took its class with it";
  // An open editor with its renderer and some 300 controls holds about 20 MB here. Fifteen more
  // openings together keep less than one of them: an editor or a large part of one left behind
  // each time would be many times that. Wine itself keeps about 300 KB of every font installed
  // from memory and removed again, which each opening does once; the heap adds some noise.
  ASSERT_GT(oneEditor, 4.0 * 1024 * 1024) << "the measure sees an editor at all";
  EXPECT_LT(CommittedBytes() - afterFirstFive, oneEditor);
}

TEST_F(EditorView, ASecondViewIsRefusedWhileTheFirstShowsTheEditor) {
  ASSERT_NE(OpenEditor(), nullptr);
  IPlugView* second = CreateView();
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->attached(HostWindow(), kPlatformTypeHWND), kResultFalse) << "it would show nothing";
  CloseView(second);
  EXPECT_TRUE(IsWindow(editor_)) << "removing the refused view leaves the editor open";

  CloseView();
  IPlugView* again = CreateView();
  EXPECT_NE(Attach(again), nullptr) << "once the first is closed the second may open it";
  CloseView(again);
}

TEST_F(EditorView, ResizeRequestsReachTheFrameOfTheViewThatShowsTheEditor) {
  ASSERT_NE(OpenEditor(), nullptr);
  // A view the host creates and releases while the first shows the editor takes nothing from it,
  // and leaves nothing dangling.
  RecordingPlugFrame passingFrame;
  IPlugView* passing = plugin_->controller->createView(Vst::ViewType::kEditor);
  ASSERT_NE(passing, nullptr);
  passing->setFrame(&passingFrame);
  passing->setFrame(nullptr);
  passing->release();
  SendPress(editor_, 1170, 790);
  SendDrag(editor_, 1404, 948);
  SendRelease(editor_, 1404, 948);
  EXPECT_EQ(frame_.resizeRequests, 1);
  EXPECT_EQ(passingFrame.resizeRequests, 0);
  EXPECT_EQ(ViewSize(view_), (PixelSize{1416, 960}));

  EXPECT_EQ(view_->removed(), kResultOk);
  plugfw::test::DispatchPending();

  // Attached again, the view takes the requests once more.
  editor_ = Attach(view_);
  ASSERT_NE(editor_, nullptr);
  ASSERT_TRUE(WaitUntilPainted(editor_, printed_));
  EXPECT_EQ(ClientSize(editor_), (PixelSize{1416, 960})) << "reopened at the size it had";
  SendPress(editor_, 1406, 950);
  SendDrag(editor_, 1180 + 6, 800 + 6);
  SendRelease(editor_, 1186, 806);
  EXPECT_EQ(frame_.resizeRequests, 2);
  EXPECT_LT(frame_.lastSize.getWidth(), 1416) << "smaller again";
}

TEST_F(EditorView, AViewReleasedWithoutBeingRemovedClosesTheEditorItShowed) {
  ASSERT_NE(OpenEditor(), nullptr);
  IPlugView* careless = view_;
  view_ = nullptr;
  careless->setFrame(nullptr);
  careless->release();
  plugfw::test::DispatchPending();
  EXPECT_FALSE(IsWindow(editor_)) << "no editor is left in the host's window without its view";
  editor_ = nullptr;
  // The editor can be opened again, and resizes reach the new view's frame, not the freed one.
  editor_ = OpenEditor();
  ASSERT_NE(editor_, nullptr);
  SendPress(editor_, 1170, 790);
  SendDrag(editor_, 1404, 948);
  SendRelease(editor_, 1404, 948);
  EXPECT_EQ(frame_.resizeRequests, 1);
  EXPECT_EQ(ViewSize(view_), (PixelSize{1416, 960}));
}

// A host that lets go of the plug-in while its editor shows and the musician holds a voice in the
// field, then of the view: nothing of the plug-in is reached once it has gone, the window goes
// with the view, and the module opens an editor again.
TEST_F(EditorView, AHostLettingGoOfThePluginWhileAVoiceIsHeldLeavesNothingBehind) {
  ASSERT_NE(OpenEditor(), nullptr);
  // Voice 1 alone in use, at the centre of the field, halfway up its 80 ms axis: (377, 253).
  Vst::IEditController* controller = plugin_->controller;
  const auto setPlain = [controller](Vst::ParamID id, double plain) {
    controller->setParamNormalized(id, controller->plainParamToNormalized(id, plain));
  };
  setPlain(4, 0);   // Structure: Digital Classic
  setPlain(5, 1);   // Voices
  setPlain(6, 40);  // Base Delay
  setPlain(64, 1);  // voice 1 Enabled
  setPlain(65, 0);  // voice 1 Delay Offset
  setPlain(70, 0);  // voice 1 Pan
  plugfw::test::DispatchPending();
  SendPress(editor_, 377, 253);
  SendDrag(editor_, 407, 243);
  int begun = 0;
  for (const RecordingComponentHandler::Edit& edit : handler_.Edits()) begun += edit.kind == 'b';
  ASSERT_EQ(begun, 2) << "the drag holds Pan and Delay Offset";

  plugin_.reset();
  EXPECT_TRUE(IsWindow(editor_)) << "the view still shows the editor";
  IPlugView* last = view_;
  view_ = nullptr;
  last->setFrame(nullptr);
  last->release();
  plugfw::test::DispatchPending();
  EXPECT_FALSE(IsWindow(editor_));
  editor_ = nullptr;

  plugin_ = std::make_unique<PluginInstance>(factory_.Factory(), &host_, &handler_);
  ASSERT_TRUE(plugin_->Ready());
  EXPECT_NE(OpenEditor(), nullptr);
}

}  // namespace
}  // namespace halcyra_test
