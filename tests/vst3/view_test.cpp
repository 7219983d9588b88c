// The editor view as a host sees it through the module: creation by name, the entry table,
// size negotiation, the frame's references and the refusals.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "core/resources.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "tests/vst3/editor_host.h"
#include "tests/vst3/vst3_host.h"

namespace halcyra_test {
namespace {

using namespace Steinberg;

class Vst3View : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(module_.Loaded());
    factory_ = module_.GetFactory();
    ASSERT_NE(nullptr, factory_);
    plugin_ = std::make_unique<PluginInstance>(factory_, &host_);
    ASSERT_TRUE(plugin_->Ready());
  }
  void TearDown() override {
    plugin_.reset();
    if (factory_) factory_->release();
  }

  IPlugView* CreateEditorView() { return plugin_->controller->createView(Vst::ViewType::kEditor); }

  PluginModule module_{PluginDllPath()};
  IPluginFactory* factory_ = nullptr;
  HostApplication host_;
  std::unique_ptr<PluginInstance> plugin_;
};

TEST_F(Vst3View, OnlyTheEditorNameMakesAView) {
  EXPECT_EQ(plugin_->controller->createView("settings"), nullptr);
  EXPECT_EQ(plugin_->controller->createView(nullptr), nullptr);
  IPlugView* view = CreateEditorView();
  ASSERT_NE(view, nullptr);

  void* scaling = nullptr;
  ASSERT_EQ(view->queryInterface(IPlugViewContentScaleSupport::iid, &scaling), kResultOk);
  static_cast<IPlugViewContentScaleSupport*>(scaling)->release();
  void* sameView = nullptr;
  ASSERT_EQ(view->queryInterface(IPlugView::iid, &sameView), kResultOk);
  EXPECT_EQ(sameView, view);
  view->release();
  EXPECT_EQ(view->release(), 0u);
}

TEST_F(Vst3View, AnswersItsEntriesForAWindowsEditor) {
  IPlugView* view = CreateEditorView();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultOk);
  EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeNSView), kResultFalse);
  EXPECT_EQ(view->isPlatformTypeSupported(nullptr), kResultFalse);
  // Nothing shows for another platform's window, so nothing may be reported as shown.
  int fakeView = 0;
  EXPECT_EQ(view->attached(&fakeView, kPlatformTypeNSView), kResultFalse);
  EXPECT_EQ(view->attached(nullptr, kPlatformTypeHWND), kResultFalse);

  ViewRect size;
  ASSERT_EQ(view->getSize(&size), kResultOk);
  EXPECT_EQ(size.getWidth(), 1180);
  EXPECT_EQ(size.getHeight(), 800);
  EXPECT_EQ(view->getSize(nullptr), kResultFalse);
  EXPECT_EQ(view->canResize(), kResultOk);
  EXPECT_EQ(view->onSize(nullptr), kResultFalse);

  auto* scaling = FUnknownPtr<IPlugViewContentScaleSupport>(view).getInterface();
  ASSERT_NE(scaling, nullptr);
  EXPECT_EQ(scaling->setContentScaleFactor(1.5f), kResultOk);
  EXPECT_EQ(scaling->setContentScaleFactor(0.f), kResultFalse);
  // No editor is open to take a key.
  EXPECT_EQ(view->onKeyDown(u'a', 0, 0), kResultFalse);
  view->release();
}

TEST_F(Vst3View, SizeProposalsComeBackAsTheNearestSizeTheEditorFills) {
  IPlugView* view = CreateEditorView();
  ASSERT_NE(view, nullptr);
  struct Case {
    ViewRect proposal;
    int32 width;
    int32 height;
  };
  // The editor zooms from 0.85 to 1.5 of 1180 x 800 and keeps its shape.
  const Case cases[] = {
      {ViewRect(0, 0, 100, 80), 1003, 680},                  // small: the smallest zoom
      {ViewRect(10, 20, 10 + 1475, 20 + 1000), 1475, 1000},  // one the editor fills: unchanged
      {ViewRect(10, 20, 1310, 920), 1300, 881},              // inside, of another shape
      {ViewRect(0, 0, 20000, 15000), 1770, 1200},            // huge: the largest zoom
      {ViewRect(30, 40, 30 + 2000, 40 + 100), 1003, 680},
  };
  for (const Case& c : cases) {
    ViewRect rect = c.proposal;
    EXPECT_EQ(view->checkSizeConstraint(&rect), kResultOk);
    EXPECT_EQ(rect.left, c.proposal.left);
    EXPECT_EQ(rect.top, c.proposal.top);
    EXPECT_EQ(rect.getWidth(), c.width);
    EXPECT_EQ(rect.getHeight(), c.height);
  }
  EXPECT_EQ(view->checkSizeConstraint(nullptr), kInvalidArgument);
  view->release();
}

TEST_F(Vst3View, HoldsItsFrameUntilReplacedOrReleased) {
  RecordingPlugFrame first;
  RecordingPlugFrame second;
  IPlugView* view = CreateEditorView();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->setFrame(&first), kResultOk);
  EXPECT_EQ(view->setFrame(&first), kResultOk);
  EXPECT_EQ(first.references, 2);
  EXPECT_EQ(view->setFrame(&second), kResultOk);
  EXPECT_EQ(first.references, 1);
  EXPECT_EQ(second.references, 2);
  view->release();
  EXPECT_EQ(second.references, 1);
}

TEST_F(Vst3View, TwoViewsLiveAndGoInEitherOrder) {
  for (int cycle = 0; cycle < 20; ++cycle) {
    IPlugView* first = CreateEditorView();
    IPlugView* second = CreateEditorView();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    if (cycle % 2 == 0) {
      second->removed();
      second->release();
      first->release();
    } else {
      first->release();
      second->release();
    }
  }
}

TEST(Vst3Resources, TheModuleCarriesTheLogoAndTheFont) {
  PluginModule module(PluginDllPath());
  ASSERT_TRUE(module.Loaded());
  struct Case {
    const char* name;
    const char* type;
    const char* magic;  // how the file starts
  };
  const Case cases[] = {{"kestralyn_logo.svg", "SVG", "<?xml"},
                        {"Roboto-Regular.ttf", "TTF", "\x00\x01\x00\x00"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    plugfw::HeapString stored;
    ASSERT_EQ(plugfw::LocateResource(c.name, c.type, &stored, module.Handle()),
              plugfw::ResourceLocation::kModuleResource);
    int32_t size = 0;
    const uint8_t* data = plugfw::FindResourceData(stored.Get(), c.type, &size, module.Handle());
    ASSERT_NE(data, nullptr);
    EXPECT_GT(size, 1000);
    EXPECT_EQ(std::memcmp(data, c.magic, 4), 0);
  }
}

}  // namespace
}  // namespace halcyra_test
