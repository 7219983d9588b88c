// What the host reads and sets through the edit controller and the bus interfaces: the 129
// parameter records against the effect's own table, units, buses and arrangements, value texts,
// host writes and their refusals.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "effect/factory_recipes.h"
#include "effect/param_table.h"
#include "effect/state_chunk.h"
#include "pluginterfaces/vst/ivstchannelcontextinfo.h"
#include "pluginterfaces/vst/ivstunits.h"
#include "pluginterfaces/vst/vstspeaker.h"
#include "tests/vst3/vst3_host.h"

namespace halcyra_test {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr int32 kParameterObjects = halcyra::kParamCount + 1;  // the table's and the host bypass

class Vst3Controller : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(module_.Loaded());
    factory_ = module_.GetFactory();
    ASSERT_NE(nullptr, factory_);
    plugin_ = std::make_unique<PluginInstance>(factory_, &host_, &handler_);
    ASSERT_TRUE(plugin_->Ready());
    controller_ = plugin_->controller;
  }
  void TearDown() override {
    plugin_.reset();
    if (factory_) factory_->release();
    EXPECT_EQ(0, handler_.StaleReadBacks()) << "performEdit came before the controller held the value";
  }

  template <typename Interface>
  Interface* Query() {
    void* object = nullptr;
    if (plugin_->component->queryInterface(Interface::iid, &object) != kResultOk) return nullptr;
    return static_cast<Interface*>(object);
  }

  PluginModule module_{PluginDllPath()};
  IPluginFactory* factory_ = nullptr;
  HostApplication host_;
  RecordingComponentHandler handler_;
  std::unique_ptr<PluginInstance> plugin_;
  IEditController* controller_ = nullptr;
};

std::string Text(const String128 text) { return ToUtf8(text); }

TEST_F(Vst3Controller, PublishesTheBypassFirstThenTheTableInIndexOrder) {
  ASSERT_EQ(kParameterObjects, controller_->getParameterCount());
  ParameterInfo info;
  ASSERT_EQ(kResultOk, controller_->getParameterInfo(0, info));
  EXPECT_EQ(kBypassParamId, info.id);
  for (int32 i = 1; i < kParameterObjects; ++i) {
    ASSERT_EQ(kResultOk, controller_->getParameterInfo(i, info));
    EXPECT_EQ(ParamID(i - 1), info.id) << "parameter object " << i;
  }
  for (int32 beyond : {kParameterObjects, -1}) {
    try {
      EXPECT_NE(kResultOk, controller_->getParameterInfo(beyond, info)) << "index " << beyond;
    } catch (...) {
      ADD_FAILURE() << "an exception left getParameterInfo(" << beyond << ")";
    }
  }
}

TEST_F(Vst3Controller, EveryParameterInfoMatchesTheParameterTable) {
  for (int32 i = 1; i < kParameterObjects; ++i) {
    ParameterInfo info;
    ASSERT_EQ(kResultOk, controller_->getParameterInfo(i, info));
    const int index = static_cast<int>(info.id);
    const halcyra::ParamDefinition* row = halcyra::GetParamDefinition(index);
    ASSERT_NE(nullptr, row) << "identifier " << info.id;
    SCOPED_TRACE(row->name);
    EXPECT_EQ(row->name, Text(info.title));
    EXPECT_EQ("", Text(info.shortTitle));
    EXPECT_EQ(row->unit, Text(info.units));
    const bool stepped = row->kind == halcyra::ParamKind::kStepped;
    EXPECT_EQ(stepped ? int32(row->maxValue - row->minValue) : 0, info.stepCount);
    // The default's normalized form reads back as the table's default (where it sits is below).
    EXPECT_NEAR(row->defaultValue, controller_->normalizedParamToPlain(info.id, info.defaultNormalizedValue),
                1e-6 * std::max(1.0f, std::fabs(row->defaultValue)));
    EXPECT_EQ(info.defaultNormalizedValue, controller_->getParamNormalized(info.id));
    EXPECT_EQ(kRootUnitId, info.unitId);
    // Stepped parameters are integers, not lists: automatable only.
    EXPECT_EQ(int32(ParameterInfo::kCanAutomate), info.flags);
  }
}

TEST_F(Vst3Controller, DefaultsSitWhereTheirRangesAndShapesPutThem) {
  const struct {
    ParamID id;
    double normalized;
  } cases[] = {
      {halcyra::kParamMix, 0.35},                // 35 % of 0..100 %
      {halcyra::kParamOutput, 0.5},              // 0 dB in -24..24 dB
      {halcyra::kParamBaseDelay, 0.748516996},   // 18 ms in 0.5..60 ms: ln 36 / ln 120
      {halcyra::kParamSplitLow, 0.414993353},    // 180 Hz in 40..1500 Hz: ln 4.5 / ln 37.5
      {halcyra::kParamFeedbackHp, 0.076527146},  // 30 Hz in 20..4000 Hz: ln 1.5 / ln 200
      {halcyra::kParamWetHp, 0.0},               // at the bottom of its range
      {halcyra::kParamWetLp, 1.0},               // at the top
      {ParamID(halcyra::VoiceParamIndex(0, halcyra::kVoiceRateRatio)), 0.5},  // 1 in 0.25..4: the middle
  };
  for (const auto& c : cases) {
    ParameterInfo info;
    ASSERT_EQ(kResultOk, controller_->getParameterInfo(int32(c.id) + 1, info));
    EXPECT_NEAR(c.normalized, info.defaultNormalizedValue, 1e-9) << Text(info.title);
  }
}

TEST_F(Vst3Controller, BypassParameterIsAnAutomatableOffOnList) {
  ParameterInfo info;
  ASSERT_EQ(kResultOk, controller_->getParameterInfo(0, info));
  EXPECT_EQ("Bypass", Text(info.title));
  EXPECT_EQ("", Text(info.shortTitle));
  EXPECT_EQ("", Text(info.units));
  EXPECT_EQ(int32(ParameterInfo::kCanAutomate | ParameterInfo::kIsList | ParameterInfo::kIsBypass),
            info.flags);
  EXPECT_EQ(0x10009, info.flags);
  EXPECT_EQ(1, info.stepCount);
  EXPECT_EQ(0.0, info.defaultNormalizedValue);
  EXPECT_EQ(kRootUnitId, info.unitId);
  String128 text;
  ASSERT_EQ(kResultOk, controller_->getParamStringByValue(kBypassParamId, 0.0, text));
  EXPECT_EQ("off", Text(text));
  ASSERT_EQ(kResultOk, controller_->getParamStringByValue(kBypassParamId, 1.0, text));
  EXPECT_EQ("on", Text(text));
}

TEST_F(Vst3Controller, OnlyTheRootUnitAndNoProgramLists) {
  IUnitInfo* units = Query<IUnitInfo>();
  ASSERT_NE(nullptr, units);
  ASSERT_EQ(1, units->getUnitCount());
  UnitInfo root;
  ASSERT_EQ(kResultOk, units->getUnitInfo(0, root));
  EXPECT_EQ(kRootUnitId, root.id);
  EXPECT_EQ(kNoParentUnitId, root.parentUnitId);
  EXPECT_EQ("Root", Text(root.name));
  EXPECT_EQ(kNoProgramListId, root.programListId);
  EXPECT_EQ(0, units->getProgramListCount());
  units->release();
}

TEST_F(Vst3Controller, PresetListIdentifierNamesTheFactoryRecipes) {
  IUnitInfo* units = Query<IUnitInfo>();
  ASSERT_NE(nullptr, units);
  constexpr ProgramListID kPresetList = 0x10001;
  for (int32 i = 0; i < halcyra::kFactoryRecipeCount; ++i) {
    String128 name;
    ASSERT_EQ(kResultOk, units->getProgramName(kPresetList, i, name)) << "recipe " << i;
    EXPECT_EQ(halcyra::FactoryRecipes()[i].name, Text(name)) << "recipe " << i;
  }
  String128 name;
  EXPECT_EQ(kResultFalse, units->getProgramName(0, 0, name));
  units->release();
}

struct BusCase {
  BusDirection direction;
  int32 index;
  const char* name;
  BusType type;
  uint32 flags;
};

TEST_F(Vst3Controller, StereoMainInputStereoSidechainAndStereoOutputNoEventBuses) {
  const BusCase cases[] = {
      {kInput, 0, "Main", kMain, BusInfo::kDefaultActive},
      {kInput, 1, "Aux", kAux, 0},
      {kOutput, 0, "Output", kMain, BusInfo::kDefaultActive},
  };
  EXPECT_EQ(2, plugin_->component->getBusCount(kAudio, kInput));
  EXPECT_EQ(1, plugin_->component->getBusCount(kAudio, kOutput));
  EXPECT_EQ(0, plugin_->component->getBusCount(kEvent, kInput));
  EXPECT_EQ(0, plugin_->component->getBusCount(kEvent, kOutput));
  for (const BusCase& c : cases) {
    SCOPED_TRACE(c.name);
    BusInfo info;
    ASSERT_EQ(kResultOk, plugin_->component->getBusInfo(kAudio, c.direction, c.index, info));
    EXPECT_EQ(kAudio, info.mediaType);
    EXPECT_EQ(c.direction, info.direction);
    EXPECT_EQ(2, info.channelCount);
    EXPECT_EQ(c.name, Text(info.name));
    EXPECT_EQ(c.type, info.busType);
    EXPECT_EQ(c.flags, info.flags);
    SpeakerArrangement arrangement = 0;
    ASSERT_EQ(kResultOk, plugin_->processor->getBusArrangement(c.direction, c.index, arrangement));
    EXPECT_EQ(SpeakerArr::kStereo, arrangement);
  }
  BusInfo none;
  EXPECT_NE(kResultOk, plugin_->component->getBusInfo(kAudio, kInput, 2, none));
}

struct ArrangementCase {
  const char* name;
  std::vector<SpeakerArrangement> inputs;
  std::vector<SpeakerArrangement> outputs;
  bool accepted;
};
void PrintTo(const ArrangementCase& c, std::ostream* out) { *out << c.name; }

class Vst3BusArrangement : public Vst3Controller, public ::testing::WithParamInterface<ArrangementCase> {};

std::vector<SpeakerArrangement> Arrangements(IAudioProcessor* processor, IComponent* component,
                                             BusDirection direction) {
  std::vector<SpeakerArrangement> out;
  for (int32 i = 0; i < component->getBusCount(kAudio, direction); ++i) {
    SpeakerArrangement arrangement = ~SpeakerArrangement(0);
    processor->getBusArrangement(direction, i, arrangement);
    out.push_back(arrangement);
  }
  return out;
}

TEST_P(Vst3BusArrangement, AcceptsExactlyTheDeclaredChannelLayouts) {
  const ArrangementCase& c = GetParam();
  std::vector<SpeakerArrangement> inputs = c.inputs, outputs = c.outputs;
  const auto inputsBefore = Arrangements(plugin_->processor, plugin_->component, kInput);
  const auto outputsBefore = Arrangements(plugin_->processor, plugin_->component, kOutput);
  const tresult result = plugin_->processor->setBusArrangements(inputs.data(), int32(inputs.size()),
                                                                outputs.data(), int32(outputs.size()));
  if (c.accepted) {
    ASSERT_EQ(kResultOk, result);
    EXPECT_EQ(c.inputs, Arrangements(plugin_->processor, plugin_->component, kInput));
    EXPECT_EQ(c.outputs, Arrangements(plugin_->processor, plugin_->component, kOutput));
  } else {
    EXPECT_EQ(kResultFalse, result);
    EXPECT_EQ(inputsBefore, Arrangements(plugin_->processor, plugin_->component, kInput));
    EXPECT_EQ(outputsBefore, Arrangements(plugin_->processor, plugin_->component, kOutput));
  }
}

using namespace SpeakerArr;
INSTANTIATE_TEST_SUITE_P(
    Layouts, Vst3BusArrangement,
    ::testing::Values(ArrangementCase{"MonoToMono", {kMono}, {kMono}, true},
                      ArrangementCase{"MonoToStereo", {kMono}, {kStereo}, true},
                      ArrangementCase{"StereoToStereo", {kStereo}, {kStereo}, true},
                      ArrangementCase{"MonoWithMonoSidechainToMono", {kMono, kMono}, {kMono}, true},
                      ArrangementCase{"StereoWithMonoSidechainToStereo", {kStereo, kMono}, {kStereo}, true},
                      ArrangementCase{
                          "StereoWithStereoSidechainToStereo", {kStereo, kStereo}, {kStereo}, true},
                      ArrangementCase{"StereoToMono", {kStereo}, {kMono}, false},
                      ArrangementCase{"StereoWithSidechainToMono", {kStereo, kStereo}, {kMono}, false},
                      ArrangementCase{"ThreeInputBuses", {kStereo, kStereo, kStereo}, {kStereo}, false},
                      ArrangementCase{"TwoOutputBuses", {kStereo}, {kStereo, kStereo}, false},
                      ArrangementCase{"SurroundInput", {k51}, {kStereo}, false},
                      ArrangementCase{"NoInput", {}, {kStereo}, false}),
    [](const ::testing::TestParamInfo<ArrangementCase>& info) { return std::string(info.param.name); });

struct TextCase {
  ParamID id;
  double normalized;
  const char* text;
};

TEST_F(Vst3Controller, ValueTextsUseLabelsAndTheDisplayPrecision) {
  const TextCase cases[] = {
      {halcyra::kParamModel, 2.0 / 11.0, "Dimension"},
      {halcyra::kParamVoices, 1.0 / 7.0, "2"},
      {halcyra::kParamDivision, 0.4, "Quarter"},
      {halcyra::kParamBypass, 1.0, "On"},
      {ParamID(halcyra::VoiceParamIndex(0, halcyra::kVoiceEnabled)), 0.0, "Off"},
      {halcyra::kParamMix, 0.35, "35.00"},
      {halcyra::kParamInput, 0.5, "0.00"},
      {halcyra::kParamNoiseLevel, 0.0, "-100.00"},
      {halcyra::kParamBaseDelay, 1.0, "60.000"},
  };
  for (const TextCase& c : cases) {
    String128 text;
    ASSERT_EQ(kResultOk, controller_->getParamStringByValue(c.id, c.normalized, text)) << c.text;
    EXPECT_EQ(c.text, Text(text)) << "parameter " << c.id;
  }
}

TEST_F(Vst3Controller, TextsOfValuesOutsideTheRangeAreAnsweredNotThrown) {
  for (ParamID id : {kBypassParamId, ParamID(halcyra::kParamModel), ParamID(halcyra::kParamMix)}) {
    for (double value : {std::nan(""), double(INFINITY), -double(INFINITY), -0.5, 1.5}) {
      String128 text;
      tresult result = kInternalError;
      try {
        result = controller_->getParamStringByValue(id, value, text);
      } catch (...) {
        ADD_FAILURE() << "an exception left getParamStringByValue(0x" << std::hex << id << ", " << value
                      << ")";
        continue;
      }
      EXPECT_TRUE(result == kResultOk || result == kResultFalse)
          << "identifier " << id << ", value " << value;
    }
  }
}

void ToTChar(const char* text, String128 out) {
  int i = 0;
  for (; text[i] && i < 127; ++i) out[i] = static_cast<TChar>(text[i]);
  out[i] = 0;
}

TEST_F(Vst3Controller, ParsesLabelsAndNumbersIntoNormalizedValues) {
  const TextCase cases[] = {
      {halcyra::kParamModel, 2.0 / 11.0, "Dimension"},
      {halcyra::kParamDivision, 0.8, "Eighth Dotted"},
      {halcyra::kParamVoices, 1.0, "8"},
      {halcyra::kParamMix, 0.5, "50"},
      {halcyra::kParamMix, 1.0, "250"},
      {halcyra::kParamInput, 0.25, "-12"},
      {halcyra::kParamBaseDelay, 1.0, "60"},
      {halcyra::kParamBaseDelay, 1.0, "60 ms"},
      // Display texts as people type them.
      {halcyra::kParamBypass, 1.0, "on"},
      {halcyra::kParamInterpolation, 1.0, "cubic"},
      {halcyra::kParamModel, 2.0 / 11.0, "DIMENSION"},
  };
  for (const TextCase& c : cases) {
    String128 text;
    ToTChar(c.text, text);
    ParamValue normalized = -1.0;
    ASSERT_EQ(kResultOk, controller_->getParamValueByString(c.id, text, normalized)) << c.text;
    EXPECT_NEAR(c.normalized, normalized, 1e-9) << "\"" << c.text << "\" for parameter " << c.id;
  }
}

TEST_F(Vst3Controller, RefusesTextsThatNameNoValue) {
  const struct {
    ParamID id;
    const char* text;
  } cases[] = {
      {halcyra::kParamBaseDelay, "abc"},     {halcyra::kParamMix, ""},
      {halcyra::kParamMix, "loud"},          {halcyra::kParamBypass, "yes"},
      {halcyra::kParamInterpolation, "cub"}, {halcyra::kParamModel, "Chorus"},
      {halcyra::kParamBaseDelay, "1e999"},
  };
  for (const auto& c : cases) {
    String128 text;
    ToTChar(c.text, text);
    ParamValue normalized = 0.625;
    EXPECT_EQ(kResultFalse, controller_->getParamValueByString(c.id, text, normalized))
        << "\"" << c.text << "\" for parameter " << c.id;
    EXPECT_EQ(0.625, normalized) << "\"" << c.text << "\" for parameter " << c.id;
  }
  EXPECT_NEAR(0.35, controller_->getParamNormalized(halcyra::kParamMix), 1e-9);
}

TEST_F(Vst3Controller, RefusesTextsThatParseToNonFiniteValues) {
  for (const char* input : {"nan", "NaN", "inf", "-inf"}) {
    String128 text;
    ToTChar(input, text);
    ParamValue normalized = 0.25;
    EXPECT_EQ(kResultFalse, controller_->getParamValueByString(halcyra::kParamMix, text, normalized))
        << input;
    EXPECT_TRUE(std::isfinite(normalized)) << input;
  }
  EXPECT_NEAR(0.35, controller_->getParamNormalized(halcyra::kParamMix), 1e-9);
}

struct PlainCase {
  ParamID id;
  double normalized;
  double plain;
};

TEST_F(Vst3Controller, PlainValuesFollowTheShapesAndTheSteps) {
  const PlainCase cases[] = {
      {halcyra::kParamMix, 0.25, 25.0},
      {halcyra::kParamBaseDelay, 0.5, std::sqrt(0.5 * 60.0)},
      {halcyra::kParamRate, 0.0, 0.01},
      {ParamID(halcyra::VoiceParamIndex(3, halcyra::kVoiceRateRatio)), 0.5, 1.0},
      {halcyra::kParamModel, 0.52, 6.0},  // 5.72 is rounded to the step
      {halcyra::kParamVoices, 0.5, 5.0},  // 4.5 rounds away from zero
  };
  for (const PlainCase& c : cases) {
    EXPECT_NEAR(c.plain, controller_->normalizedParamToPlain(c.id, c.normalized), 1e-9)
        << "parameter " << c.id;
  }
  EXPECT_NEAR(0.5, controller_->plainParamToNormalized(halcyra::kParamBaseDelay, std::sqrt(30.0)), 1e-9);
}

TEST_F(Vst3Controller, HostWritesReachTheParameterAndReadBack) {
  ASSERT_EQ(kResultOk, controller_->setParamNormalized(halcyra::kParamMix, 1.0));
  EXPECT_EQ(1.0, controller_->getParamNormalized(halcyra::kParamMix));
  ASSERT_EQ(kResultOk, controller_->setParamNormalized(halcyra::kParamBaseDelay, 0.5));
  EXPECT_EQ(0.5, controller_->getParamNormalized(halcyra::kParamBaseDelay));
  // The value the component saves is the value the controller took.
  EXPECT_FLOAT_EQ(100.0f, plugin_->StateValue(halcyra::kParamMix));
  EXPECT_NEAR(std::sqrt(30.0), plugin_->StateValue(halcyra::kParamBaseDelay), 1e-4);
}

// A host may load a state before initialize, or initialize again after terminate: the parameter
// objects made then show what the audio uses, the host's bypass switch included.
TEST_F(Vst3Controller, ParameterObjectsStartAtTheValuesThePluginHolds) {
  ASSERT_EQ(kResultOk, controller_->setParamNormalized(halcyra::kParamMix, 1.0));
  ASSERT_EQ(kResultOk, controller_->setParamNormalized(halcyra::kParamBaseDelay, 0.5));
  std::vector<uint8_t> saved = plugin_->State();
  ASSERT_EQ(1048u, saved.size());
  saved[halcyra::kStateChunkBytes] = 1;  // the host bypass on

  TUID cid;
  ExpectedClassId(cid);
  void* object = nullptr;
  ASSERT_EQ(kResultOk, factory_->createInstance(cid, IComponent::iid, &object));
  auto* fresh = static_cast<IComponent*>(object);
  TestStream stream(saved);
  ASSERT_EQ(kResultOk, fresh->setState(&stream));
  ASSERT_EQ(kResultOk, fresh->initialize(&host_));
  IEditController* freshController = nullptr;
  ASSERT_EQ(kResultOk, fresh->queryInterface(IEditController::iid, &object));
  freshController = static_cast<IEditController*>(object);
  EXPECT_EQ(1.0, freshController->getParamNormalized(halcyra::kParamMix));
  EXPECT_NEAR(0.5, freshController->getParamNormalized(halcyra::kParamBaseDelay), 1e-6);
  EXPECT_EQ(1.0, freshController->getParamNormalized(kBypassParamId));

  ASSERT_EQ(kResultOk, fresh->terminate());
  ASSERT_EQ(kResultOk, fresh->initialize(&host_));
  EXPECT_EQ(1.0, freshController->getParamNormalized(halcyra::kParamMix)) << "after a second initialize";
  EXPECT_EQ(1.0, freshController->getParamNormalized(kBypassParamId)) << "after a second initialize";
  freshController->release();
  EXPECT_EQ(kResultOk, fresh->terminate());
  fresh->release();
}

TEST_F(Vst3Controller, RefusesNonFiniteWritesAndKeepsTheValue) {
  ASSERT_EQ(kResultOk, controller_->setParamNormalized(halcyra::kParamDepth, 0.25));
  for (double bad : {std::nan(""), double(INFINITY), -double(INFINITY)}) {
    EXPECT_EQ(kResultFalse, controller_->setParamNormalized(halcyra::kParamDepth, bad)) << bad;
    EXPECT_EQ(kResultFalse, controller_->setParamNormalized(kBypassParamId, bad)) << bad;
  }
  EXPECT_EQ(0.25, controller_->getParamNormalized(halcyra::kParamDepth));
  EXPECT_EQ(0.0, controller_->getParamNormalized(kBypassParamId));
  EXPECT_FLOAT_EQ(5.0f, plugin_->StateValue(halcyra::kParamDepth));
}

TEST_F(Vst3Controller, RefusesIdentifiersWithoutAParameterAndReadsThemAsZero) {
  for (ParamID id : {ParamID(halcyra::kParamCount), ParamID(0x10001), ParamID(0x10002), ParamID(0x10009),
                     ParamID(0xFFFFFFFF)}) {
    EXPECT_EQ(kResultFalse, controller_->setParamNormalized(id, 0.5)) << std::hex << id;
    EXPECT_EQ(0.0, controller_->getParamNormalized(id)) << std::hex << id;
  }
}

TEST_F(Vst3Controller, MidiMappingNamesOnlyParametersThePluginHas) {
  IMidiMapping* mapping = Query<IMidiMapping>();
  ASSERT_NE(nullptr, mapping);
  std::vector<ParamID> ids;
  for (int32 i = 0; i < controller_->getParameterCount(); ++i) {
    ParameterInfo info;
    if (controller_->getParameterInfo(i, info) == kResultOk) ids.push_back(info.id);
  }
  for (int32 bus : {0, 1}) {
    for (int16 channel : {int16(0), int16(3)}) {
      for (CtrlNumber controllerNumber = 0; controllerNumber < 130; ++controllerNumber) {
        ParamID id = 0xDEADBEEF;
        if (mapping->getMidiControllerAssignment(bus, channel, controllerNumber, id) != kResultOk) continue;
        EXPECT_NE(ids.end(), std::find(ids.begin(), ids.end(), id))
            << "bus " << bus << " channel " << channel << " controller " << controllerNumber << " maps to 0x"
            << std::hex << id << ", which has no parameter";
      }
    }
  }
  mapping->release();
}

TEST_F(Vst3Controller, ChannelContextWithoutAListIsRefused) {
  ChannelContext::IInfoListener* listener = Query<ChannelContext::IInfoListener>();
  ASSERT_NE(nullptr, listener);
  EXPECT_EQ(kResultFalse, listener->setChannelContextInfos(nullptr));
  listener->release();
}

}  // namespace
}  // namespace halcyra_test
