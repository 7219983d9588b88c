// The plug-in's editor as a host opens it through the module: attached to the host's window and
// closed again, its pixels in its framebuffer and as shown (the X screen, or on the road Windows
// takes the window's GL framebuffer), its size through the view as hosts of several kinds size
// their windows, the corner resizer and a content scale, many openings and a second view. Runs on
// an X display of its own, large enough for the largest editor, so no other test's window covers
// the screen it captures.

#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "tests/core/message_pump.h"
#include "tests/graphics/platform/shown_pixels_win32.h"
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

  // And a person sees the same.
  plugfw::gfx::test::ShownPixels shown;
  ASSERT_TRUE(shown.Capture(editor_));
  for (const Probe& probe : kProbes) {
    const plugfw::gfx::Colour seen = shown.At(probe.x, probe.y);
    EXPECT_TRUE(Near(probe, seen.red, seen.green, seen.blue)) << "as shown";
  }
  int lightTitle = 0;
  for (int y = 45; y < 82; ++y) {
    for (int x = 36; x < 250; ++x) lightTitle += shown.At(x, y).red > 180 ? 1 : 0;
  }
  EXPECT_GT(lightTitle, 200) << "the title as shown";
}

// The host window, the editor's window and the view agree on the size, the editor sits in the
// host window's corner and shows all it drew: its own bottom-right corner in the last pixels.
void ExpectTheEditorFillsTheHostWindow(IPlugView* view, HWND editor, PrintedEditor& printed, PixelSize size) {
  EXPECT_EQ(ClientSize(HostWindow()), size);
  EXPECT_EQ(ClientSize(editor), size);
  EXPECT_EQ(ViewSize(view), size);
  RECT place = {};
  GetWindowRect(editor, &place);
  MapWindowPoints(nullptr, HostWindow(), reinterpret_cast<POINT*>(&place), 2);
  EXPECT_EQ(place.left, 0);
  EXPECT_EQ(place.top, 0);
  ASSERT_TRUE(WaitUntilPainted(editor, printed));
  EXPECT_EQ(plugfw::gfx::test::PixelsShownButNotDrawn(editor), 0);
}

struct HostSizing {
  PixelSize asked;   // what the user sized the host window to
  PixelSize filled;  // the size the editor, the view and the host agree on
};
// Below the smallest zoom, inside the range and above the largest, each twice in a row: the
// second time the editor already has the size it needs, and the host must still hear of it.
const HostSizing kHostSizings[] = {
    {{800, 600}, {1003, 680}},  {{800, 600}, {1003, 680}},    {{1300, 900}, {1300, 881}},
    {{1300, 900}, {1300, 881}}, {{2400, 1600}, {1770, 1200}}, {{2400, 1600}, {1770, 1200}},
};

TEST_F(EditorView, AHostWindowSizedBelowInsideOrAboveTheZoomRangeIsFilledByTheEditor) {
  // A host like the SDK's own: it sizes its window as asked and answers with onSize.
  frame_.resizeHostWindow = true;
  ASSERT_NE(OpenEditor(), nullptr);
  for (const HostSizing& sizing : kHostSizings) {
    SCOPED_TRACE(::testing::Message() << "sized to " << sizing.asked);
    const int requests = frame_.resizeRequests;
    SizeHostWindow(sizing.asked.width, sizing.asked.height);
    ViewRect rect(0, 0, sizing.asked.width, sizing.asked.height);
    EXPECT_EQ(view_->onSize(&rect), kResultOk);
    EXPECT_EQ(frame_.resizeRequests, requests + 1) << "the host is asked once";
    EXPECT_EQ(frame_.nestedRequests, 0);
    ExpectTheEditorFillsTheHostWindow(view_, editor_, printed_, sizing.filled);
  }
}

TEST_F(EditorView, AHostThatAsksFirstIsOfferedOnlySizesTheEditorFills) {
  ASSERT_NE(OpenEditor(), nullptr);
  for (const HostSizing& sizing : kHostSizings) {
    SCOPED_TRACE(::testing::Message() << "proposed " << sizing.asked);
    ViewRect rect(0, 0, sizing.asked.width, sizing.asked.height);
    EXPECT_EQ(view_->checkSizeConstraint(&rect), kResultOk);
    EXPECT_EQ((PixelSize{rect.getWidth(), rect.getHeight()}), sizing.filled);
    SizeHostWindow(rect.getWidth(), rect.getHeight());
    EXPECT_EQ(view_->onSize(&rect), kResultOk);
    EXPECT_EQ(frame_.resizeRequests, 0) << "nothing left to ask";
    ExpectTheEditorFillsTheHostWindow(view_, editor_, printed_, sizing.filled);
  }
  ViewRect fillable(0, 0, 1475, 1000);
  EXPECT_EQ(view_->checkSizeConstraint(&fillable), kResultOk);
  EXPECT_EQ((PixelSize{fillable.getWidth(), fillable.getHeight()}), (PixelSize{1475, 1000}))
      << "taken as it is";
}

TEST_F(EditorView, AHostThatRefusesAResizeKeepsItsSizeAndTheEditorKeepsIt) {
  frame_.refuse = true;
  ASSERT_NE(OpenEditor(), nullptr);
  SizeHostWindow(kEditorSize.width, kEditorSize.height);
  // The corner resizer asks for more; the host says no.
  SendPress(editor_, 1170, 790);
  SendDrag(editor_, 1404, 948);
  SendRelease(editor_, 1404, 948);
  EXPECT_EQ(frame_.resizeRequests, 1);
  EXPECT_EQ(ClientSize(HostWindow()), kEditorSize) << "the editor resizes no window of the host's";
  ExpectTheEditorFillsTheHostWindow(view_, editor_, printed_, kEditorSize);

  // A host window the editor cannot fill, whose host will not take the nearest size: the editor
  // takes the largest it can inside it and grows nothing.
  SizeHostWindow(1300, 900);
  ViewRect rect(0, 0, 1300, 900);
  EXPECT_EQ(view_->onSize(&rect), kResultOk);
  EXPECT_EQ(frame_.resizeRequests, 2);
  EXPECT_EQ(ClientSize(HostWindow()), (PixelSize{1300, 900}));
  EXPECT_EQ(ClientSize(editor_), (PixelSize{1300, 881}));
  EXPECT_EQ(ViewSize(view_), (PixelSize{1300, 881}));
  ASSERT_TRUE(WaitUntilPainted(editor_, printed_));
  EXPECT_EQ(plugfw::gfx::test::PixelsShownButNotDrawn(editor_), 0);
}

TEST_F(EditorView, WithoutAFrameToAskTheEditorTakesTheSizeItWants) {
  ASSERT_NE(OpenEditor(), nullptr);
  view_->setFrame(nullptr);
  SendPress(editor_, 1170, 790);
  SendDrag(editor_, 1404, 948);
  SendRelease(editor_, 1404, 948);
  EXPECT_EQ(frame_.resizeRequests, 0);
  EXPECT_EQ(ClientSize(editor_), (PixelSize{1416, 960}));
  EXPECT_EQ(ViewSize(view_), (PixelSize{1416, 960}));
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

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

TEST_F(EditorView, TwentyOpeningsAndClosingsLeaveNothingBehind) {
  std::vector<double> open;    // an open editor's share, cycle by cycle
  std::vector<double> closed;  // the process after each closing
  for (int cycle = 0; cycle < 20; ++cycle) {
    SCOPED_TRACE(cycle);
    IPlugView* view = CreateView();
    ASSERT_NE(view, nullptr);
    HWND editor = Attach(view);
    ASSERT_NE(editor, nullptr);
    plugfw::test::PumpMessagesFor(60);  // a frame or two
    const double opened = CommittedBytes();
    CloseView(view);
    EXPECT_EQ(EditorChildWindow(), nullptr);
    EXPECT_FALSE(IsWindow(editor));
    closed.push_back(CommittedBytes());
    open.push_back(opened - closed.back());
  }
  WNDCLASSEXW info = {};
  info.cbSize = sizeof(info);
  EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(L"HALCYRA.vst3"), L"PlugFwWndClass", &info))
      << "the last window took its class with it";
  // An open editor with its renderer and some 300 controls holds several MB here. Each of the
  // thirteen openings between the early and the late closings keeps less than a quarter of one:
  // an editor, or a large part of one, left behind each time would be far more. Wine itself keeps
  // some 300 to 450 KB of every font installed from memory and removed again, which each opening
  // does once; the heap adds noise, which medians of five take out.
  const double oneEditor = Median(open);
  const double early = Median({closed.begin() + 2, closed.begin() + 7});
  const double late = Median({closed.end() - 5, closed.end()});
  ASSERT_GT(oneEditor, 4.0 * 1024 * 1024) << "the measure sees an editor at all";
  EXPECT_LT((late - early) / 13, oneEditor / 4) << "kept by each opening";
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
