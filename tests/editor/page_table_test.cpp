#include "editor/page_table.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "editor/control_kind.h"
#include "editor/help_texts.h"
#include "effect/param_table.h"

namespace halcyra {
namespace {

std::map<int, int> ListingsPerParam() {
  std::map<int, int> listings;
  for (int page = 0; page < kPageCount; ++page) {
    const Page* row = FindPage(page);
    for (int column = 0; column < row->controlCount; ++column) ++listings[row->controls[column].paramIdx];
  }
  return listings;
}

TEST(PageTable, EveryParameterButBypassHasAPlaceOnAPageOrTheWideRow) {
  std::map<int, int> listings = ListingsPerParam();
  for (const PageControl& wide : kWideControls) ++listings[wide.paramIdx];
  for (int p = 0; p < kParamCount; ++p) {
    // Bypass has its own switch in the footer.
    EXPECT_EQ(listings.count(p), p == kParamBypass ? 0u : 1u) << p;
  }
}

TEST(PageTable, OnlyTheSharedParametersAppearOnTwoPages) {
  std::set<int> shared;
  for (const auto& [param, count] : ListingsPerParam()) {
    if (count > 1) shared.insert(param);
    EXPECT_LE(count, 2) << param;
  }
  const std::set<int> expected = {kParamPhase,    kParamStereoPhase,   kParamWave,        kParamSkew,
                                  kParamHumanize, kParamEnvelopeDepth, kParamEnvelopeRate};
  EXPECT_EQ(shared, expected);
}

TEST(PageTable, VoicePagesHoldTheirVoicesFieldsInOrder) {
  for (int voice = 0; voice < kVoiceCount; ++voice) {
    const Page* page = FindPage(kFirstVoicePage + voice);
    ASSERT_EQ(page->controlCount, kVoiceFieldCount);
    for (int field = 0; field < kVoiceFieldCount; ++field) {
      EXPECT_EQ(page->controls[field].paramIdx, 64 + 8 * voice + field);
    }
  }
  EXPECT_STREQ(FindPage(kFirstVoicePage)->controls[kVoicePan].caption, "PAN");
  EXPECT_EQ(FindPage(-1), nullptr);
  EXPECT_EQ(FindPage(kPageCount), nullptr);
}

TEST(PageTable, TabsOpenTheirFirstPageAndOwnTheirPages) {
  const int firstPages[kTabCount] = {0, 2, 4, 12, 14, 16};
  const int tabOfPage[kPageCount] = {0, 0, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 4, 4, 5};
  for (int tab = 0; tab < kTabCount; ++tab) EXPECT_EQ(TabFirstPage(tab), firstPages[tab]);
  for (int page = 0; page < kPageCount; ++page) {
    EXPECT_EQ(TabOfPage(page), tabOfPage[page]) << page;
    EXPECT_EQ(FindPage(page)->tab, tabOfPage[page]) << page;
  }
  EXPECT_EQ(TabOfPage(40), 5);
}

TEST(ControlKind, SwitchesGetTogglesOtherSteppedParametersMenusTheRestKnobs) {
  const std::set<int> menus = {4, 5, 10, 13, 22, 35, 38, 39, 48, 55, 56, 60, 62};
  std::set<int> toggles = {3, 9, 30, 40, 41, 59, 61, 63};
  for (int voice = 0; voice < kVoiceCount; ++voice) toggles.insert(64 + 8 * voice);
  for (int p = 0; p < kParamCount; ++p) {
    const ParameterControlKind expected = menus.count(p)     ? ParameterControlKind::kMenu
                                          : toggles.count(p) ? ParameterControlKind::kToggle
                                                             : ParameterControlKind::kKnob;
    EXPECT_EQ(ControlKindForParam(p), expected) << p;
  }
}

TEST(HelpTexts, VoiceParametersShareTheirFieldsTextAndUnknownIndicesHaveNone) {
  EXPECT_STREQ(ParamHelpText(kParamMix), GetParamDefinition(kParamMix)->help);
  EXPECT_STREQ(ParamHelpText(VoiceParamIndex(5, kVoicePan)), ParamHelpText(VoiceParamIndex(0, kVoicePan)));
  EXPECT_STRNE(ParamHelpText(VoiceParamIndex(0, kVoicePan)), ParamHelpText(VoiceParamIndex(0, kVoiceLevel)));
  EXPECT_STREQ(ParamHelpText(-1), "");
  EXPECT_STREQ(ParamHelpText(kParamCount), "");
  EXPECT_STREQ(ParamName(kParamCount), "");
}

}  // namespace
}  // namespace halcyra
