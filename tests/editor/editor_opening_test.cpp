// The editor as the plug-in opens it: the graphics factory and the layout that its constructor
// installs, the font's report, and the editor's zoom following the host's window.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "editor/backdrop.h"
#include "editor/button.h"
#include "editor/voice_field_plane.h"
#include "editor/voice_orbit_control.h"
#include "effect/halcyra.h"
#include "graphics/platform/platform_font.h"
#include "tests/graphics/support/mouse_states.h"
#include "tests/graphics/support/recording_gfx.h"

namespace halcyra::test {
namespace {

using plugfw::gfx::IGfx;
using plugfw::gfx::PlatformFont;
using plugfw::gfx::PlatformFontPtr;
using plugfw::gfx::test::RecordingGfx;
using Size = std::pair<int32_t, int32_t>;

// Lays the editor out when its window opens, as the platform window does, and loads fonts
// when told to.
class WindowedGfx : public RecordingGfx {
 public:
  WindowedGfx(plugfw::gfx::IGfxEditorDelegate& delegate, bool layOut)
      : RecordingGfx(delegate, Halcyra::kEditorWidth, Halcyra::kEditorHeight), layOut_(layOut) {}

  void* OpenPlatformWindow(void* parent) override {
    void* window = RecordingGfx::OpenPlatformWindow(parent);
    if (layOut_) GetDelegate()->LayoutUI(this);
    return window;
  }
  PlatformFontPtr LoadFontFromFile(const char* fontId, const char* file) override {
    RecordingGfx::LoadFontFromFile(fontId, file);
    return fontsLoad ? std::make_unique<PlatformFont>(false) : nullptr;
  }
  bool LoadFontIntoRenderer(const char* fontId, PlatformFont& font) override {
    RecordingGfx::LoadFontIntoRenderer(fontId, font);
    return fontsLoad;
  }

  bool fontsLoad = true;

 private:
  bool layOut_;
};

class EditorOpeningTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin_ = CreatePluginInstance({});
    ASSERT_NE(plugin_, nullptr);
  }
  void TearDown() override {
    if (plugin_) plugin_->CloseEditorWindow();
    plugin_.reset();
  }

  // Replaces the build's factory (which opens nothing natively) with one of the recording
  // context; the layout stays the constructor's.
  void UseRecordingWindows(bool layOut = true, bool fontsLoad = true, float platformScale = 1.f) {
    plugin_->SetMakeGraphicsFunction([this, layOut, fontsLoad, platformScale]() -> std::unique_ptr<IGfx> {
      auto gfx = std::make_unique<WindowedGfx>(*plugin_, layOut);
      gfx->fontsLoad = fontsLoad;
      gfx->platformWindowScale = platformScale;
      return gfx;
    });
  }
  WindowedGfx* Open() {
    void* window = plugin_->OpenEditorWindow(&parent_);
    return window != nullptr ? static_cast<WindowedGfx*>(plugin_->GetUI()) : nullptr;
  }
  Button* FirstButtonCaptioned(const char* caption) {
    IGfx* gfx = plugin_->GetUI();
    for (int32_t i = 0; gfx != nullptr && i < gfx->NControls(); ++i) {
      auto* button = dynamic_cast<Button*>(gfx->GetControl(i));
      if (button != nullptr && std::string(button->Caption()) == caption) return button;
    }
    return nullptr;
  }

  std::unique_ptr<Halcyra> plugin_;
  int parent_ = 0;
};

TEST_F(EditorOpeningTest, ABuildWithoutAnEditorWindowOpensNothing) {
  EXPECT_EQ(plugin_->OpenEditorWindow(&parent_), nullptr);
  EXPECT_EQ(plugin_->GetUI(), nullptr);
  EXPECT_FALSE(plugin_->LastEditorLayout().built);
}

TEST_F(EditorOpeningTest, TheInstalledLayoutBuildsTheEditorEachTimeItsWindowOpens) {
  UseRecordingWindows();
  WindowedGfx* gfx = Open();
  ASSERT_NE(gfx, nullptr);
  EXPECT_EQ(gfx->Width(), 1180);
  EXPECT_EQ(gfx->Height(), 800);
  ASSERT_GT(gfx->NControls(), 128);
  EXPECT_NE(dynamic_cast<Backdrop*>(gfx->GetControl(0)), nullptr);
  EXPECT_EQ(gfx->log.Named("LoadFontFromFile").at(0).text, "LoadFontFromFile KESTRALYN Roboto-Regular.ttf");
  const Halcyra::EditorLayoutReport report = plugin_->LastEditorLayout();
  EXPECT_TRUE(report.built);
  EXPECT_TRUE(report.fontLoaded);

  // The page a musician left is not kept: the next opening starts on page 0 again.
  Button* tone = FirstButtonCaptioned("TONE");
  ASSERT_NE(tone, nullptr);
  tone->OnMouseDown(tone->GetRect().CentreX(), tone->GetRect().CentreY(), {});
  EXPECT_FALSE(FirstButtonCaptioned("SHAPE")->IsOn());
  plugin_->CloseEditorWindow();
  EXPECT_EQ(plugin_->GetUI(), nullptr);
  ASSERT_NE(Open(), nullptr);
  EXPECT_TRUE(FirstButtonCaptioned("SHAPE")->IsOn());
  EXPECT_FALSE(FirstButtonCaptioned("TONE")->IsOn());
}

TEST_F(EditorOpeningTest, AFontThatDoesNotLoadIsReported) {
  UseRecordingWindows(true, false);
  ASSERT_NE(Open(), nullptr);
  EXPECT_TRUE(plugin_->LastEditorLayout().built);
  EXPECT_FALSE(plugin_->LastEditorLayout().fontLoaded);
}

TEST_F(EditorOpeningTest, TheZoomFollowsTheParentWindowWithinItsLimits) {
  struct Case {
    int32_t width, height;
    float platformScale;
    float scale;
    std::vector<Size> hostAsked;  // only when the parent cannot be filled
  } cases[] = {
      {2360, 1600, 1.f, 1.5f, {{1770, 1200}}},
      // Held at the height, the editor is narrower than its parent: the host is asked too.
      {1180, 680, 1.f, 0.85f, {{1003, 680}}},
      {1475, 1000, 1.f, 1.25f, {}},
      // At a platform scale of 2 a parent of 1180 x 800 pixels holds the editor at 0.5.
      {1180, 800, 2.f, 0.85f, {{2006, 1360}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    UseRecordingWindows(true, true, c.platformScale);
    WindowedGfx* gfx = Open();
    ASSERT_NE(gfx, nullptr);
    plugin_->editorResizeRequests.clear();
    plugin_->HandleParentResize(c.width, c.height);
    EXPECT_EQ(gfx->GetDrawScale(), c.scale);
    EXPECT_EQ(gfx->Width(), 1180);
    EXPECT_EQ(plugin_->editorResizeRequests, c.hostAsked);
    // Closing would remember the zoom for the next opening: each case has a plug-in of its own.
    plugin_->CloseEditorWindow();
    plugin_ = CreatePluginInstance({});
    ASSERT_NE(plugin_, nullptr);
  }
}

TEST_F(EditorOpeningTest, AParentResizeWithNothingToZoomChangesNothing) {
  plugin_->HandleParentResize(2360, 1600);  // no editor
  UseRecordingWindows(false);
  WindowedGfx* empty = Open();
  ASSERT_NE(empty, nullptr);
  plugin_->HandleParentResize(2360, 1600);  // an editor not laid out yet
  EXPECT_EQ(empty->GetDrawScale(), 1.f);
  plugin_->CloseEditorWindow();

  UseRecordingWindows();
  WindowedGfx* gfx = Open();
  ASSERT_NE(gfx, nullptr);
  for (const Size& unusable : {Size{0, 800}, Size{1180, -5}}) {
    plugin_->HandleParentResize(unusable.first, unusable.second);
    EXPECT_EQ(gfx->GetDrawScale(), 1.f);
  }
  EXPECT_TRUE(plugin_->editorResizeRequests.empty());
}

TEST_F(EditorOpeningTest, AHostAnsweringTheResizeFromInsideItIsNotFollowedAgain) {
  UseRecordingWindows();
  WindowedGfx* gfx = Open();
  ASSERT_NE(gfx, nullptr);
  int answers = 0;
  plugin_->duringEditorResize = [&](int32_t width, int32_t height) {
    ++answers;
    // The host applies a size of its own to the parent at once.
    plugin_->HandleParentResize(width / 2, height / 2);
  };
  plugin_->HandleParentResize(4000, 4000);
  EXPECT_EQ(answers, 1);
  EXPECT_EQ(gfx->GetDrawScale(), 1.5f);
  EXPECT_EQ(plugin_->editorResizeRequests, (std::vector<Size>{{1770, 1200}}));
}

// A host that lets the plug-in go with its editor still open, while the musician holds a voice
// in the field: the editor closes before any part of the plug-in goes, and the drag's two
// gestures end while the host still hears them.
TEST_F(EditorOpeningTest, APluginDestroyedWithItsEditorOpenAndAVoiceHeldClosesTheEditorFirst) {
  using Logged = plugfw::test::HeadlessWrapper::Logged;
  using Call = plugfw::test::HeadlessWrapper::Call;
  UseRecordingWindows();
  WindowedGfx* gfx = Open();
  ASSERT_NE(gfx, nullptr);
  VoiceOrbitControl* field = nullptr;
  for (int32_t i = 0; i < gfx->NControls(); ++i) {
    if (field == nullptr) field = dynamic_cast<VoiceOrbitControl*>(gfx->GetControl(i));
  }
  ASSERT_NE(field, nullptr);
  // Voice 1 in use at the centre of the field, halfway up its 80 ms axis.
  plugin_->GetParam(kParamModel)->Set(static_cast<double>(Structure::kDigitalClassic));
  plugin_->GetParam(kParamBaseDelay)->Set(40);
  plugin_->GetParam(VoiceParamIndex(0, kVoiceEnabled))->Set(1);
  plugin_->GetParam(VoiceParamIndex(0, kVoicePan))->Set(0);
  plugin_->GetParam(VoiceParamIndex(0, kVoiceDelayOffset))->Set(0);
  const float x = PanToX(0);
  const float y = DelayToY(40, kMinAxisMs);
  gfx->MouseDownAll({plugfw::gfx::test::LeftButtonAt(x, y)});
  gfx->MouseDragAll({plugfw::gfx::test::LeftButtonAt(x + 30.f, y - 10.f, 30.f, -10.f)});
  ASSERT_TRUE(field->IsDragging());

  std::vector<Logged> heard;
  plugin_->logOutlivingPlugin = &heard;
  plugin_.reset();
  std::vector<int32_t> ended;
  for (const Logged& entry : heard) {
    if (entry.call == Call::kEndEdit) ended.push_back(entry.paramIdx);
  }
  std::sort(ended.begin(), ended.end());
  EXPECT_EQ(ended,
            (std::vector<int32_t>{VoiceParamIndex(0, kVoiceDelayOffset), VoiceParamIndex(0, kVoicePan)}));
}

}  // namespace
}  // namespace halcyra::test
