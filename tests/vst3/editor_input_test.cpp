// The open editor through the module as a musician and a host use it: a knob dragged with the
// mouse and turned with the host's keys, a menu choice through the native popup menu, the state
// read and restored while the editor shows it, and processing that goes on while the editor
// holds the UI thread.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <utility>
#include <vector>

#include "tests/core/message_pump.h"
#include "tests/vst3/editor_host.h"

namespace halcyra_test {
namespace {

using namespace Steinberg;
using Edit = RecordingComponentHandler::Edit;

constexpr Vst::ParamID kRate = 8;
constexpr Vst::ParamID kStructure = 4;
// The RATE knob's body, and its value arc at +60 degrees (lit above 0.717 of the travel).
constexpr POINT kRateKnob = {130, 430};
constexpr POINT kRateArcAt60 = {158, 431};
// The structure menu's box.
constexpr POINT kStructureMenu = {198, 124};
// A wide knob's drag travel: its 117 units of height times the gearing of 4.
constexpr double kWideKnobTravelPixels = 117.0 * 4.0;

class EditorInput : public ModuleEditorTest {
 protected:
  void SetUp() override {
    ModuleEditorTest::SetUp();
    ASSERT_NE(OpenEditor(), nullptr);
    editsBefore_ = handler_.Edits().size();
  }

  std::vector<Edit> NewEdits() const {
    const std::vector<Edit> all = handler_.Edits();
    return std::vector<Edit>(all.begin() + static_cast<std::ptrdiff_t>(editsBefore_), all.end());
  }
  void DragVertically(POINT from, int pixels) {
    SendPress(editor_, from.x, from.y);
    SendDrag(editor_, from.x, from.y + pixels);
    SendRelease(editor_, from.x, from.y + pixels);
  }
  // Presses the control at the point; the menu it opens gets the keys.
  void PressWithMenuKeys(POINT at, std::vector<WPARAM> keys) {
    plugfw::test::PostKeysInsideNextModalLoop(editor_, std::move(keys));
    SendPress(editor_, at.x, at.y);
    SendRelease(editor_, at.x, at.y);
  }
  bool ArcLitAt60Degrees() {
    printed_.Print(editor_);
    return printed_.Red(kRateArcAt60.x, kRateArcAt60.y) > 150;
  }

  size_t editsBefore_ = 0;
};

TEST_F(EditorInput, ADragOnAKnobReachesTheHostAsOneGestureWithTheNewValue) {
  const double before = plugin_->controller->getParamNormalized(kRate);
  DragVertically(kRateKnob, -58);
  const std::vector<Edit> edits = NewEdits();
  ASSERT_GE(edits.size(), 3u);
  EXPECT_EQ(edits.front().kind, 'b');
  EXPECT_EQ(edits.back().kind, 'e');
  for (const Edit& edit : edits) EXPECT_EQ(edit.id, kRate);
  const Edit& perform = edits[edits.size() - 2];
  ASSERT_EQ(perform.kind, 'p');
  // Up by 58 pixels of the 468 that cover the whole travel.
  EXPECT_NEAR(perform.value, before + 58.0 / kWideKnobTravelPixels, 2e-3);
  EXPECT_DOUBLE_EQ(plugin_->controller->getParamNormalized(kRate), perform.value);
  EXPECT_EQ(handler_.StaleReadBacks(), 0);
}

TEST_F(EditorInput, TheHostsKeysTurnTheKnobUnderTheMouse) {
  POINT screen = {kRateKnob.x, kRateKnob.y};
  ClientToScreen(editor_, &screen);
  SetCursorPos(screen.x, screen.y);
  const double before = plugin_->controller->getParamNormalized(kRate);
  constexpr int16 kVst3KeyUp = 12;
  EXPECT_EQ(view_->onKeyDown(0, kVst3KeyUp, 0), kResultOk);
  EXPECT_NEAR(plugin_->controller->getParamNormalized(kRate), before + 0.01, 1e-9);
  const std::vector<Edit> edits = NewEdits();
  ASSERT_FALSE(edits.empty());
  EXPECT_EQ(edits.back().id, kRate);
  // A key the knob does not take stays with the host.
  EXPECT_EQ(view_->onKeyDown(u'q', 0, 0), kResultFalse);
}

TEST_F(EditorInput, AChoiceInTheNativeMenuSetsTheStructure) {
  // Down to the second structure, "Dual Stereo", and Enter.
  PressWithMenuKeys(kStructureMenu, {VK_DOWN, VK_DOWN, VK_RETURN});
  const double dualStereo = 1.0 / 11.0;
  EXPECT_NEAR(plugin_->controller->getParamNormalized(kStructure), dualStereo, 1e-9);
  bool performed = false;
  for (const Edit& edit : NewEdits()) performed |= edit.kind == 'p' && edit.id == kStructure;
  EXPECT_TRUE(performed);
  EXPECT_NEAR(plugin_->StateValue(kStructure), 1.0, 1e-6);

  // Dismissed, the menu changes nothing.
  editsBefore_ = handler_.Edits().size();
  PressWithMenuKeys(kStructureMenu, {VK_DOWN, VK_ESCAPE});
  EXPECT_NEAR(plugin_->controller->getParamNormalized(kStructure), dualStereo, 1e-9);
  for (const Edit& edit : NewEdits()) EXPECT_NE(edit.kind, 'p');
}

TEST_F(EditorInput, TheStateRoundTripsWhileTheEditorShowsIt) {
  const std::vector<uint8_t> saved = plugin_->State();
  ASSERT_EQ(saved.size(), 1048u);
  EXPECT_EQ(plugin_->State(), saved) << "an open editor changes nothing by itself";
  EXPECT_FALSE(ArcLitAt60Degrees());

  DragVertically(kRateKnob, -200);
  EXPECT_NE(plugin_->State(), saved);
  EXPECT_TRUE(plugfw::test::PumpMessagesUntil([&] { return ArcLitAt60Degrees(); })) << "the knob turned";

  TestStream stream(saved);
  ASSERT_EQ(plugin_->component->setState(&stream), kResultOk);
  EXPECT_EQ(plugin_->State(), saved);
  EXPECT_TRUE(plugfw::test::PumpMessagesUntil([&] { return !ArcLitAt60Degrees(); }))
      << "the restored value shows at once";
}

// The audio thread never waits for the UI thread: while the editor's menu holds the UI thread in
// its modal loop, every block is processed to the end. Timers run inside that loop: the first
// starts the audio, the second closes the menu once the audio is done (or gives up).
struct AudioInsideMenu {
  static constexpr int kBlocks = 200;
  static constexpr ULONGLONG kGiveUpMs = 30000;
  static PluginInstance* plugin;
  static HWND menuOwner;
  static std::thread audio;
  static std::atomic<int> processed;
  static std::atomic<bool> finite;
  static std::atomic<bool> done;
  static bool doneWhileMenuOpen;
  static double energy;
  static ULONGLONG giveUpAt;

  static void Process() {
    AudioBlock block(512, 2, 2, Vst::kSample32);
    for (int i = 0; i < kBlocks; ++i) {
      const std::vector<float> sine = Sine(512, 440.0, 48000.0, 0.5, 512 * i);
      block.SetInput(0, 0, sine.data());
      block.SetInput(0, 1, sine.data());
      if (plugin->processor->process(block.Data()) != kResultOk) break;
      for (float sample : block.OutputChannel(0)) {
        if (!std::isfinite(sample)) finite = false;
        energy += static_cast<double>(sample) * sample;
      }
      ++processed;
    }
    done = true;
  }
  static void CALLBACK Start(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    audio = std::thread(&Process);
  }
  static void CALLBACK CloseWhenDone(HWND, UINT, UINT_PTR timer, DWORD) {
    if (!done.load() && GetTickCount64() < giveUpAt) return;
    doneWhileMenuOpen = done.load();
    KillTimer(nullptr, timer);
    PostMessageW(menuOwner, WM_KEYDOWN, VK_ESCAPE, 1);
  }
};
PluginInstance* AudioInsideMenu::plugin = nullptr;
HWND AudioInsideMenu::menuOwner = nullptr;
std::thread AudioInsideMenu::audio;
std::atomic<int> AudioInsideMenu::processed{0};
std::atomic<bool> AudioInsideMenu::finite{true};
std::atomic<bool> AudioInsideMenu::done{false};
bool AudioInsideMenu::doneWhileMenuOpen = false;
double AudioInsideMenu::energy = 0.0;
ULONGLONG AudioInsideMenu::giveUpAt = 0;

TEST_F(EditorInput, ProcessingGoesOnWhileTheEditorHoldsTheUIThread) {
  ASSERT_TRUE(plugin_->Start(48000.0, 512));
  AudioInsideMenu::plugin = plugin_.get();
  AudioInsideMenu::menuOwner = editor_;
  AudioInsideMenu::giveUpAt = GetTickCount64() + AudioInsideMenu::kGiveUpMs;
  SetTimer(nullptr, 0, 100, &AudioInsideMenu::Start);
  SetTimer(nullptr, 0, 20, &AudioInsideMenu::CloseWhenDone);
  SendPress(editor_, kStructureMenu.x, kStructureMenu.y);
  SendRelease(editor_, kStructureMenu.x, kStructureMenu.y);
  ASSERT_TRUE(AudioInsideMenu::audio.joinable()) << "the menu's loop never ran";
  AudioInsideMenu::audio.join();
  EXPECT_TRUE(AudioInsideMenu::doneWhileMenuOpen) << "the audio finished while the menu was open";
  EXPECT_EQ(AudioInsideMenu::processed.load(), AudioInsideMenu::kBlocks);
  EXPECT_TRUE(AudioInsideMenu::finite.load());
  EXPECT_GT(AudioInsideMenu::energy, 1.0) << "the tone came through";
  plugin_->Stop();
}

}  // namespace
}  // namespace halcyra_test
