// The whole editor on the recording graphics context: what is where, which control each
// parameter gets, and what every page shows.

#include <algorithm>
#include <map>
#include <set>
#include <typeinfo>

#include "editor/backdrop.h"
#include "editor/brand.h"
#include "editor/context_help.h"
#include "editor/control_kind.h"
#include "editor/page_table.h"
#include "editor/preset_menu.h"
#include "editor/signal_display.h"
#include "editor/status.h"
#include "editor/voice_orbit_control.h"
#include "tests/editor/editor_fixture.h"
#include "tests/graphics/support/mouse_states.h"

namespace halcyra::test {
namespace {

struct Placed {
  const char* type;
  Rect rect;
};

const char* TypeOf(IControl* control) {
  if (dynamic_cast<Backdrop*>(control)) return "Backdrop";
  if (dynamic_cast<Brand*>(control)) return "Brand";
  if (dynamic_cast<PresetMenu*>(control)) return "PresetMenu";
  if (dynamic_cast<Button*>(control)) return "Button";
  if (dynamic_cast<EnumMenu*>(control)) return "EnumMenu";
  if (dynamic_cast<Knob*>(control)) return "Knob";
  if (dynamic_cast<ValueEntry*>(control)) return "ValueEntry";
  if (dynamic_cast<VoiceOrbitControl*>(control)) return "VoiceOrbitControl";
  if (dynamic_cast<SignalDisplay*>(control)) return "SignalDisplay";
  if (dynamic_cast<ContextHelp*>(control)) return "ContextHelp";
  if (dynamic_cast<Status*>(control)) return "Status";
  return "other";
}

using EditorLayoutTest = EditorFixture;

TEST_F(EditorLayoutTest, FrameControlsStandAtTheirPlacesInDrawingOrder) {
  const std::vector<IControl*> controls = Controls();
  const Placed head[] = {
      {"Backdrop", {0, 0, 1180, 800}},
      {"Brand", {28, 0, 238, 42}},
      {"PresetMenu", {747, 40, 1015, 82}},
      {"Button", {1028, 40, 1084, 82}},
      {"Button", {1096, 40, 1144, 82}},
      {"EnumMenu", {36, 106, 361, 142}},
      {"Button", {375, 106, 482, 142}},
      {"EnumMenu", {496, 106, 709, 142}},
      {"VoiceOrbitControl", {36, 151, 709, 374}},
      {"SignalDisplay", {724, 106, 1144, 374}},
      {"Knob", {45, 391, 215, 508}},
      {"ValueEntry", {0, 0, 0, 0}},
  };
  ASSERT_GT(controls.size(), std::size(head));
  for (size_t i = 0; i < std::size(head); ++i) {
    SCOPED_TRACE(i);
    EXPECT_STREQ(TypeOf(controls[i]), head[i].type);
    EXPECT_EQ(controls[i]->GetRect(), head[i].rect);
  }
  const Placed tail[] = {
      {"ContextHelp", {36, 720, 1144, 750}}, {"Button", {36, 762, 167, 794}},
      {"EnumMenu", {179, 762, 323, 794}},    {"Status", {337, 758, 942, 795}},
      {"Button", {958, 762, 1144, 794}},
  };
  const size_t first = controls.size() - std::size(tail);
  for (size_t i = 0; i < std::size(tail); ++i) {
    SCOPED_TRACE(i);
    EXPECT_STREQ(TypeOf(controls[first + i]), tail[i].type);
    EXPECT_EQ(controls[first + i]->GetRect(), tail[i].rect);
  }
  EXPECT_EQ(controls[first + 1]->GetParamIdx(0), kParamBypass);
  EXPECT_STREQ(controls[first + 1]->GetTooltip(), kBypassTooltip);
  EXPECT_EQ(controls[first + 2]->GetParamIdx(0), kParamMonitor);
  EXPECT_STREQ(static_cast<Button*>(controls.back())->Caption(), kSupportMailAddress);
  EXPECT_TRUE(controls[0]->GetIgnoreMouse());
}

TEST_F(EditorLayoutTest, EveryParameterHasAControlOfItsKind) {
  std::map<int32_t, std::set<ParameterControlKind>> kinds;
  for (IControl* control : Controls()) {
    const int32_t param = control->GetParamIdx(0);
    if (param < 0) continue;
    if (dynamic_cast<Knob*>(control)) kinds[param].insert(ParameterControlKind::kKnob);
    if (dynamic_cast<EnumMenu*>(control)) kinds[param].insert(ParameterControlKind::kMenu);
    if (auto* button = dynamic_cast<Button*>(control)) {
      EXPECT_EQ(button->Kind(), ButtonKind::kToggle);
      kinds[param].insert(ParameterControlKind::kToggle);
    }
  }
  for (int32_t param = 0; param < kParamCount; ++param) {
    SCOPED_TRACE(param);
    EXPECT_EQ(kinds[param], std::set<ParameterControlKind>{ControlKindForParam(param)});
  }
  // Each knob has its own value entry.
  for (Knob* knob : ControlsOf<Knob>()) {
    ASSERT_NE(knob->GetValueEntry(), nullptr);
    EXPECT_TRUE(knob->GetValueEntry()->GetRect().Unset());
  }
}

TEST_F(EditorLayoutTest, ParameterControlsTakeTheirCellsAndHelp) {
  auto* rate = VisibleFor<Knob>(kParamRate);
  ASSERT_NE(rate, nullptr);
  EXPECT_EQ(rate->GetRect(), Rect(45, 391, 215, 508));
  EXPECT_STREQ(rate->Caption(), "RATE");
  EXPECT_STREQ(rate->GetTooltip(), GetParamDefinition(kParamRate)->help);
  auto* width = VisibleFor<Knob>(kParamWidth);
  ASSERT_NE(width, nullptr);
  EXPECT_EQ(width->GetRect(), Rect(45 + 137.5f * 7, 607, 175 + 137.5f * 7, 711));

  layout_.view->SelectPage(1, *gfx_);
  auto* wetInvert = VisibleFor<Button>(kParamWetPolarity);
  ASSERT_NE(wetInvert, nullptr);
  EXPECT_EQ(wetInvert->GetRect(), Rect(45 + 137.5f * 6 + 5, 644, 175 + 137.5f * 6 - 5, 687));
  auto* band = VisibleFor<EnumMenu>(kParamProcessBand);
  ASSERT_NE(band, nullptr);
  EXPECT_EQ(band->BoxRect(), Rect(57, 646, 163, 698));
}

// What a page shows below the wide row: its row's parameters and its page buttons.
struct PageView {
  std::set<int32_t> params;
  std::set<std::string> buttons;
};

TEST_F(EditorLayoutTest, EachPageShowsItsRowItsButtonsAndNothingElse) {
  std::set<int32_t> always = {kParamModel, kParamSync, kParamDivision, kParamBypass, kParamMonitor};
  for (const PageControl& wide : kWideControls) always.insert(wide.paramIdx);
  const std::set<std::string> fixedButtons = {"A",     "COPY",     "SHAPE",   "MODULATION",        "VOICES",
                                              "TONE",  "DYNAMICS", "UTILITY", kSupportMailAddress, "SYNC",
                                              "BYPASS"};
  const std::map<int32_t, std::set<std::string>> sectionButtons = {
      {0, {"STRUCTURE / IMAGE", "BAND / POLARITY"}},
      {1, {"STRUCTURE / IMAGE", "BAND / POLARITY"}},
      {2, {"MOTION / ENVELOPE", "TEMPO / PHASE"}},
      {3, {"MOTION / ENVELOPE", "TEMPO / PHASE"}},
      {12, {"FILTER / FEEDBACK", "COLOUR / DIFFUSION"}},
      {13, {"FILTER / FEEDBACK", "COLOUR / DIFFUSION"}},
      {14, {"ENVELOPE / SIDECHAIN", "WET DUCK"}},
      {15, {"ENVELOPE / SIDECHAIN", "WET DUCK"}},
      {16, {}},
  };
  for (int32_t page = 0; page < kPageCount; ++page) {
    SCOPED_TRACE(page);
    layout_.view->SelectPage(page, *gfx_);
    PageView shown;
    for (IControl* control : Controls()) {
      if (control->IsHidden()) continue;
      const int32_t param = control->GetParamIdx(0);
      const bool inPageRow = control->GetRect().top >= 600.f && control->GetRect().bottom <= 712.f;
      if (param >= 0 && (always.count(param) == 0 || inPageRow)) shown.params.insert(param);
      if (auto* button = dynamic_cast<Button*>(control)) {
        if (param < 0 && fixedButtons.count(button->Caption()) == 0) shown.buttons.insert(button->Caption());
      }
    }
    std::set<int32_t> expected;
    const Page* row = FindPage(page);
    for (int32_t column = 0; column < row->controlCount; ++column)
      expected.insert(row->controls[column].paramIdx);
    EXPECT_EQ(shown.params, expected);
    if (page >= kFirstVoicePage && page <= kLastVoicePage) {
      EXPECT_EQ(shown.buttons, (std::set<std::string>{"VOICE 1", "VOICE 2", "VOICE 3", "VOICE 4", "VOICE 5",
                                                      "VOICE 6", "VOICE 7", "VOICE 8"}));
    } else {
      EXPECT_EQ(shown.buttons, sectionButtons.at(page));
    }
  }
}

TEST_F(EditorLayoutTest, OpensOnPageZeroWithItsSectionLit) {
  EXPECT_EQ(layout_.view->CurrentPage(), 0);
  EXPECT_EQ(layout_.view->HelpTitle(), "PHASE / PITCH / MOTION");
  EXPECT_TRUE(ButtonCaptioned("STRUCTURE / IMAGE")->IsOn());
  EXPECT_FALSE(ButtonCaptioned("BAND / POLARITY")->IsOn());
  EXPECT_FALSE(ButtonCaptioned("STRUCTURE / IMAGE")->IsHidden());
  EXPECT_TRUE(ButtonCaptioned("VOICE 1")->IsHidden());
}

TEST_F(EditorLayoutTest, AsksForItsFontAndLogoAndSaysWhenTheyAreMissing) {
  // The recording context has no fonts and this platform no embedded logo: the layout says
  // so instead of silently drawing nothing.
  EXPECT_FALSE(layout_.fontLoaded);
  EXPECT_FALSE(layout_.logoLoaded);
  auto brands = ControlsOf<Brand>();
  ASSERT_EQ(brands.size(), 1u);
  EXPECT_FALSE(brands[0]->HasLogo());
  gfx_->log.Clear();
  brands[0]->Draw(*gfx_);
  EXPECT_EQ(gfx_->log.Named("DoDrawText").at(0).text,
            "DoDrawText 'KESTRALYN' 36 0 238 42 KESTRALYN 23 blend(0,1)");
}

TEST_F(EditorLayoutTest, TheCornerZoomsTheWholeEditorBetween85And150Percent) {
  IControl* resizer = gfx_->GetCornerResizer();
  ASSERT_NE(resizer, nullptr);
  EXPECT_EQ(resizer->GetRect(), Rect(1160, 780, 1180, 800));
  EXPECT_EQ(gfx_->GetResizeMode(), plugfw::gfx::IGfx::kScaleResizeMode);
  gfx_->log.Clear();
  resizer->Draw(*gfx_);
  EXPECT_EQ(gfx_->log.Named("PathFill").at(0).text, "PathFill solid(255,54,67,73) rule0");

  const int32_t controls = gfx_->NControls();
  gfx_->MouseDownAll({plugfw::gfx::test::LeftButtonAt(1170, 790)});
  ASSERT_TRUE(gfx_->IsResizing());
  gfx_->MouseDragAll({plugfw::gfx::test::LeftButtonAt(3000, 3000, 1830, 2210)});
  EXPECT_EQ(gfx_->GetDrawScale(), 1.5f);
  gfx_->MouseDragAll({plugfw::gfx::test::LeftButtonAt(100, 100, -2900, -2900)});
  EXPECT_EQ(gfx_->GetDrawScale(), 0.85f);
  gfx_->MouseUpAll({plugfw::gfx::test::LeftButtonAt(100, 100)});
  EXPECT_FALSE(gfx_->IsResizing());
  // The units stay; only the zoom changed, and nothing was laid out twice.
  EXPECT_EQ(gfx_->Width(), 1180);
  EXPECT_EQ(gfx_->Height(), 800);
  EXPECT_EQ(gfx_->NControls(), controls);
  EXPECT_EQ(gfx_->GetCornerResizer()->GetRect(), Rect(1180 - 20 / 0.85f, 800 - 20 / 0.85f, 1180, 800));
}

TEST_F(EditorLayoutTest, NothingIsBuiltWithoutAGraphicsContext) {
  const EditorLayout none = BuildEditorLayout(plugin_.get(), nullptr);
  EXPECT_EQ(none.view, nullptr);
}

}  // namespace
}  // namespace halcyra::test
