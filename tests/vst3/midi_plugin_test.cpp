// The framework's VST3 wrapper on its own roads, through a small plug-in that takes and sends MIDI
// (tests/vst3/midi_test_plugin.h): the MIDI-controller parameters and their units, the default
// processing road (parameter changes, MIDI in, audio and the host bypass, MIDI out), the outgoing
// queue's set-up, growth and failed growth, the processing switch, and the default state form.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "pluginterfaces/vst/ivstunits.h"
#include "tests/core/counting_allocator.h"
#include "tests/vst3/midi_test_plugin.h"
#include "tests/vst3/vst3_host.h"

namespace halcyra_test {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;
using plugfw::MidiMessage;

constexpr double kRate = 48000.0;
constexpr int32 kBlock = 512;

class EventList : public IEventList {
 public:
  std::vector<Event> events;
  int32 PLUGIN_API getEventCount() override { return static_cast<int32>(events.size()); }
  tresult PLUGIN_API getEvent(int32 index, Event& event) override {
    if (index < 0 || index >= getEventCount()) return kInvalidArgument;
    event = events[static_cast<size_t>(index)];
    return kResultOk;
  }
  tresult PLUGIN_API addEvent(Event& event) override {
    events.push_back(event);
    return kResultOk;
  }
  tresult PLUGIN_API queryInterface(const TUID, void** obj) override {
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 PLUGIN_API addRef() override { return 1; }
  uint32 PLUGIN_API release() override { return 1; }
};

Event NoteEvent(uint16 type, int32 offset, int16 channel, int16 pitch, float amount) {
  Event event{};
  event.type = type;
  event.sampleOffset = offset;
  if (type == Event::kNoteOnEvent) event.noteOn = NoteOnEvent{channel, pitch, 0.0f, amount, 0, -1};
  if (type == Event::kNoteOffEvent) event.noteOff = NoteOffEvent{channel, pitch, amount, -1, 0.0f};
  if (type == Event::kPolyPressureEvent) event.polyPressure = PolyPressureEvent{channel, pitch, amount, -1};
  return event;
}

MidiMessage Midi(int32_t offset, uint8_t status, uint8_t data1, uint8_t data2) {
  MidiMessage message;
  message.sampleOffset = offset;
  message.status = status;
  message.data1 = data1;
  message.data2 = data2;
  return message;
}

std::string Text(const MidiMessage& m) {
  char text[40];
  std::snprintf(text, sizeof text, "%d:%02X %d %d", m.sampleOffset, m.status, m.data1, m.data2);
  return text;
}

std::vector<std::string> Texts(const std::vector<MidiMessage>& messages) {
  std::vector<std::string> texts;
  for (const MidiMessage& m : messages) texts.push_back(Text(m));
  return texts;
}

// "offset:kind ..." of a host event, in the words the tests below expect.
std::string Text(const Event& e) {
  char text[60];
  switch (e.type) {
    case Event::kNoteOnEvent:
      std::snprintf(text, sizeof text, "%d:on %d %d %.0f", e.sampleOffset, e.noteOn.channel, e.noteOn.pitch,
                    e.noteOn.velocity * 127);
      break;
    case Event::kNoteOffEvent:
      std::snprintf(text, sizeof text, "%d:off %d %d", e.sampleOffset, e.noteOff.channel, e.noteOff.pitch);
      break;
    case Event::kLegacyMIDICCOutEvent:
      std::snprintf(text, sizeof text, "%d:cc%d %d %d %d", e.sampleOffset, e.midiCCOut.controlNumber,
                    e.midiCCOut.channel, e.midiCCOut.value, e.midiCCOut.value2);
      break;
    case Event::kDataEvent:
      std::snprintf(text, sizeof text, "%d:data %u", e.sampleOffset, e.data.size);
      break;
    default:
      std::snprintf(text, sizeof text, "%d:type %d", e.sampleOffset, e.type);
  }
  return text;
}

std::vector<std::string> Texts(const EventList& list) {
  std::vector<std::string> texts;
  for (const Event& e : list.events) texts.push_back(Text(e));
  return texts;
}

class Vst3MidiPlugin : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin_ = new MidiTestPlugin();
    ASSERT_TRUE(plugin_->IsComplete());
    ASSERT_EQ(kResultOk, plugin_->initialize(&host_));
  }
  void TearDown() override {
    plugin_->setProcessing(false);
    plugin_->setActive(false);
    plugin_->terminate();
    plugin_->release();
  }

  void Start(int32 maxBlock = kBlock, int32 sampleSize = kSample32) {
    ProcessSetup setup{kRealtime, sampleSize, maxBlock, kRate};
    ASSERT_EQ(kResultOk, plugin_->setupProcessing(setup));
    ASSERT_EQ(kResultOk, plugin_->setActive(true));
    ASSERT_EQ(kResultOk, plugin_->setProcessing(true));
  }

  // One block of silence carrying the changes and events given.
  tresult Play(ParameterChanges* changes = nullptr, EventList* in = nullptr, EventList* out = nullptr,
               int32 frames = kBlock) {
    AudioBlock block(frames, 2, 2, kSample32);
    block.Data().inputParameterChanges = changes;
    block.Data().inputEvents = in;
    block.Data().outputEvents = out;
    return plugin_->process(block.Data());
  }

  std::map<ParamID, ParameterInfo> Infos() {
    std::map<ParamID, ParameterInfo> infos;
    for (int32 i = 0; i < plugin_->getParameterCount(); ++i) {
      ParameterInfo info{};
      EXPECT_EQ(kResultOk, plugin_->getParameterInfo(i, info));
      infos[info.id] = info;
    }
    return infos;
  }

  HostApplication host_;
  MidiTestPlugin* plugin_ = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Parameters, units and buses.

TEST_F(Vst3MidiPlugin, MidiControllersAreParametersOfTheFirstChannelsUnit) {
  EXPECT_EQ(1 + 3 + 130, plugin_->getParameterCount());
  struct UnitRow {
    UnitID id, parent;
    const char* name;
  };
  const UnitRow units[] = {
      {0, -1, "Root"}, {1, 0, "Amp"}, {2, 0, "Filter"}, {4, 0, "MIDI CCs"}, {5, 4, "CH1"}};
  ASSERT_EQ(5, plugin_->getUnitCount());
  for (int32 i = 0; i < 5; ++i) {
    UnitInfo info{};
    ASSERT_EQ(kResultOk, plugin_->getUnitInfo(i, info));
    EXPECT_EQ(units[i].id, info.id) << units[i].name;
    EXPECT_EQ(units[i].parent, info.parentUnitId) << units[i].name;
    EXPECT_EQ(units[i].name, ToUtf8(info.name));
  }

  struct ControllerRow {
    ParamID id;
    const char* title;
    double defaultValue;
  };
  const ControllerRow controllers[] = {
      {0x10002, "BankSel.MSB", 0.0}, {0x10003, "Modulation", 0.0},         {0x10009, "MainVolume", 0.0},
      {0x10023, "Modul. LSB", 0.0},  {0x10044, "Sostenuto ", 0.0},         {0x10046, "Legato Sw", 0.0},
      {0x1004F, "SoundCont 8", 0.0}, {0x1005F, "FX 3 Depth", 0.0},         {0x10068, "Contr. 102", 0.0},
      {0x10081, "PolyModeOn", 0.0},  {0x10082, "Channel Aftertouch", 0.0}, {0x10083, "Pitch Bend", 0.5},
  };
  std::map<ParamID, ParameterInfo> infos = Infos();
  for (const ControllerRow& row : controllers) {
    ASSERT_EQ(1u, infos.count(row.id)) << row.title;
    const ParameterInfo& info = infos[row.id];
    EXPECT_EQ(row.title, ToUtf8(info.title));
    EXPECT_EQ("", ToUtf8(info.units)) << row.title;
    EXPECT_EQ(0, info.stepCount) << row.title;
    EXPECT_EQ(0, info.flags) << row.title;
    EXPECT_EQ(5, info.unitId) << row.title;
    EXPECT_EQ(row.defaultValue, info.defaultNormalizedValue) << row.title;
    EXPECT_EQ(row.defaultValue, plugin_->getParamNormalized(row.id)) << row.title;
  }
  EXPECT_EQ(0u, infos.count(0x10084)) << "only the first channel's controllers exist";
  EXPECT_EQ(1, infos[MidiTestPlugin::kGain].unitId);
  EXPECT_EQ(1, infos[MidiTestPlugin::kMode].unitId);
  EXPECT_EQ(int32(ParameterInfo::kCanAutomate | ParameterInfo::kIsList), infos[MidiTestPlugin::kMode].flags);
  EXPECT_EQ(2, infos[MidiTestPlugin::kTone].unitId);
}

TEST_F(Vst3MidiPlugin, EventBusesForMidiInAndOut) {
  for (BusDirection direction : {kInput, kOutput}) {
    ASSERT_EQ(1, plugin_->getBusCount(kEvent, direction));
    BusInfo info{};
    ASSERT_EQ(kResultOk, plugin_->getBusInfo(kEvent, direction, 0, info));
    EXPECT_EQ(direction == kInput ? "MIDI Input" : "MIDI Output", ToUtf8(info.name));
    EXPECT_EQ(1, info.channelCount);
    EXPECT_EQ(kMain, info.busType);
    EXPECT_EQ(uint32(BusInfo::kDefaultActive), info.flags);
  }
}

TEST_F(Vst3MidiPlugin, MidiMappingNamesTheControllerParameters) {
  const struct {
    int32 bus;
    int16 channel;
    CtrlNumber controller;
    tresult answer;
    ParamID id;
  } cases[] = {
      {0, 0, kCtrlVolume, kResultOk, 0x10009}, {0, 0, kCtrlBankSelectMSB, kResultOk, 0x10002},
      {0, 0, kAfterTouch, kResultOk, 0x10082}, {0, 0, kPitchBend, kResultOk, 0x10083},
      {1, 0, kCtrlVolume, kResultFalse, 0},    {0, 3, kCtrlVolume, kResultFalse, 0},
      {0, -1, kCtrlVolume, kResultFalse, 0},   {0, 0, kCtrlProgramChange, kResultFalse, 0},
  };
  for (const auto& c : cases) {
    ParamID id = 0xDEAD;
    EXPECT_EQ(c.answer, plugin_->getMidiControllerAssignment(c.bus, c.channel, c.controller, id))
        << "bus " << c.bus << " channel " << c.channel << " controller " << c.controller;
    if (c.answer == kResultOk) {
      EXPECT_EQ(c.id, id);
    }
  }
}

// ---------------------------------------------------------------------------------------------
// The default road.

TEST_F(Vst3MidiPlugin, ControllerParametersBecomeMidiForThePluginTheEditorAndTheHost) {
  Start();
  ParameterChanges changes;
  changes.Queue(0x10009).Add(10, 0.2);
  changes.Queue(0x10009).Add(20, 1.0);  // a second queue: each is read, last point only
  changes.Queue(0x10082).Add(5, 0.5);
  changes.Queue(0x10083).Add(7, 1.0);
  changes.Queue(0x10002 + 130 + 1).Add(0, 0.0);  // channel 2's modulation
  changes.Queue(0x10003).Add(0, std::nan(""));
  EventList out;
  ASSERT_EQ(kResultOk, Play(&changes, nullptr, &out));
  const std::vector<std::string> expected = {"10:B0 7 25", "20:B0 7 127", "5:D0 64 0", "7:E0 127 127",
                                             "0:B1 1 0"};
  EXPECT_EQ(expected, Texts(plugin_->midiIn));
  plugin_->DrainProcessorQueues();
  EXPECT_EQ(expected, Texts(plugin_->midiToEditor));
  EXPECT_EQ((std::vector<std::string>{"0:cc1 1 0 0", "5:cc128 0 64 0", "7:cc129 0 127 127", "10:cc7 0 25 0",
                                      "20:cc7 0 127 0"}),
            Texts(out));
}

TEST_F(Vst3MidiPlugin, ParameterChangesTakeTheirLastPointAndTheBypassSwitch) {
  Start();
  ParameterChanges changes;
  ParamValueQueue& gain = changes.Queue(MidiTestPlugin::kGain);
  gain.Add(0, 0.1);
  gain.Add(100, 0.8);
  changes.Queue(MidiTestPlugin::kMode).Add(40, 1.0);
  changes.Queue(MidiTestPlugin::kTone).Add(0, double(INFINITY));
  changes.Queue(kBypassParamId).Add(3, 0.7);
  plugin_->paramChanges.clear();
  ASSERT_EQ(kResultOk, Play(&changes));
  EXPECT_EQ(0.8, plugin_->GetParam(MidiTestPlugin::kGain)->Value());
  EXPECT_EQ(2.0, plugin_->GetParam(MidiTestPlugin::kMode)->Value());
  EXPECT_EQ(1000.0, plugin_->GetParam(MidiTestPlugin::kTone)->Value()) << "a non-finite point was taken";
  EXPECT_TRUE(plugin_->IsBypassed());
  ASSERT_EQ(2u, plugin_->paramChanges.size());
  EXPECT_EQ(MidiTestPlugin::kGain, plugin_->paramChanges[0].index);
  EXPECT_EQ(plugfw::ParamSource::kHost, plugin_->paramChanges[0].source);
  EXPECT_EQ(100, plugin_->paramChanges[0].sampleOffset);
  EXPECT_EQ(40, plugin_->paramChanges[1].sampleOffset);
}

TEST_F(Vst3MidiPlugin, NotesAndSysExReachThePluginTheEditorAndTheHost) {
  Start();
  EventList in;
  in.events.push_back(NoteEvent(Event::kNoteOnEvent, 0, 2, 60, 100 / 127.0f));
  in.events.push_back(NoteEvent(Event::kPolyPressureEvent, 64, 2, 60, 0.5f));
  in.events.push_back(NoteEvent(Event::kNoteOffEvent, 128, 2, 60, 0.3f));
  static const uint8_t kIdentityRequest[] = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
  Event sysEx{};
  sysEx.type = Event::kDataEvent;
  sysEx.sampleOffset = 200;
  sysEx.data = DataEvent{sizeof kIdentityRequest, DataEvent::kMidiSysEx, kIdentityRequest};
  in.events.push_back(sysEx);
  Event chord{};
  chord.type = Event::kChordEvent;
  in.events.push_back(chord);
  // What the editor sends the processor comes after the host's events.
  plugin_->SendMidiFromUI(Midi(0, 0xC0, 5, 0));
  static const uint8_t kEditorSysEx[] = {0xF0, 0x43, 0x10, 0xF7};
  plugin_->SendSysExFromUI(plugfw::SysExRef{0, sizeof kEditorSysEx, kEditorSysEx});

  EventList out;
  ASSERT_EQ(kResultOk, Play(nullptr, &in, &out));
  EXPECT_EQ((std::vector<std::string>{"0:92 60 100", "64:A2 60 64", "128:82 60 0", "0:C0 5 0"}),
            Texts(plugin_->midiIn));
  ASSERT_EQ(2u, plugin_->sysExIn.size());
  EXPECT_EQ(std::vector<uint8_t>(std::begin(kIdentityRequest), std::end(kIdentityRequest)),
            plugin_->sysExIn[0]);
  EXPECT_EQ(std::vector<uint8_t>(std::begin(kEditorSysEx), std::end(kEditorSysEx)), plugin_->sysExIn[1]);
  plugin_->DrainProcessorQueues();
  EXPECT_EQ((std::vector<std::string>{"0:92 60 100", "64:A2 60 64", "128:82 60 0"}),
            Texts(plugin_->midiToEditor))
      << "the editor hears the host's MIDI, not its own";

  // Passed through: notes as notes, the rest as legacy controllers, then the SysEx with its bytes.
  EXPECT_EQ((std::vector<std::string>{"0:on 2 60 100", "0:cc130 0 5 0", "64:cc131 2 60 64", "128:off 2 60",
                                      "200:data 6", "0:data 4"}),
            Texts(out));
  ASSERT_EQ(6u, out.events.size());
  EXPECT_EQ(0, std::memcmp(kIdentityRequest, out.events[4].data.bytes, sizeof kIdentityRequest));
  EXPECT_EQ(uint32(DataEvent::kMidiSysEx), out.events[4].data.type);
}

TEST_F(Vst3MidiPlugin, OutgoingMidiKeepsItsOrderAndWaitsForItsBlock) {
  Start();
  plugin_->SendMidiMessage(Midi(700, 0x90, 60, 100));
  plugin_->SendMidiMessage(Midi(5, 0x90, 62, 100));
  plugin_->SendMidiMessage(Midi(511, 0x80, 62, 0));
  plugin_->SendMidiMessage(Midi(5, 0x90, 64, 100));
  EventList first, second, third;
  ASSERT_EQ(kResultOk, Play(nullptr, nullptr, &first));
  ASSERT_EQ(kResultOk, Play(nullptr, nullptr, &second));
  ASSERT_EQ(kResultOk, Play(nullptr, nullptr, &third));
  EXPECT_EQ((std::vector<std::string>{"5:on 0 62 100", "5:on 0 64 100", "511:off 0 62"}), Texts(first));
  EXPECT_EQ((std::vector<std::string>{"188:on 0 60 100"}), Texts(second));
  EXPECT_TRUE(third.events.empty());
}

TEST_F(Vst3MidiPlugin, SetUpSizesTheOutgoingQueueToTheBlockInSteps) {
  EXPECT_EQ(512, plugin_->MidiOutputCapacity());
  ProcessSetup setup{kRealtime, kSample64, 1000, kRate};
  ASSERT_EQ(kResultOk, plugin_->setupProcessing(setup));
  EXPECT_EQ(1024, plugin_->MidiOutputCapacity());
  setup.maxSamplesPerBlock = 64;
  ASSERT_EQ(kResultOk, plugin_->setupProcessing(setup));
  EXPECT_EQ(512, plugin_->MidiOutputCapacity());
}

// More messages in a block than the set-up made room for: the queue grows by one step on the audio
// thread - the one allocation the road may make - and when that fails, the extra messages are
// dropped and said to be, while the rest reach the host in order.
TEST_F(Vst3MidiPlugin, ABlockMayGrowTheOutgoingQueueOrDropWhatFindsNoRoom) {
  Start();
  int dropped = 0;
  {
    plugfw::test::AllocationLimit nothing(0);
    for (int32 i = 0; i < 600; ++i) dropped += !plugin_->SendMidiMessage(Midi(i % kBlock, 0xB0, 7, i % 128));
  }
  EXPECT_EQ(600 - 512, dropped);
  EventList out;
  ASSERT_EQ(kResultOk, Play(nullptr, nullptr, &out));
  ASSERT_EQ(512u, out.events.size());
  for (size_t i = 1; i < out.events.size(); ++i)
    ASSERT_LE(out.events[i - 1].sampleOffset, out.events[i].sampleOffset) << i;

  for (int32 i = 0; i < 600; ++i) ASSERT_TRUE(plugin_->SendMidiMessage(Midi(i % kBlock, 0xB0, 7, 1)));
  EXPECT_EQ(1024, plugin_->MidiOutputCapacity());
  EventList all;
  ASSERT_EQ(kResultOk, Play(nullptr, nullptr, &all));
  EXPECT_EQ(600u, all.events.size());
}

TEST_F(Vst3MidiPlugin, TheHostBypassPassesTheInputThroughDelayedByTheLatency) {
  Start();
  ParameterChanges half;
  half.Queue(MidiTestPlugin::kGain).Add(0, 0.5);
  ParameterChanges bypass;
  bypass.Queue(kBypassParamId).Add(0, 1.0);
  for (ParameterChanges* changes : {&half, &bypass}) {
    AudioBlock block(8, 2, 2, kSample32);
    const float ramp[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    block.SetInput(0, 0, ramp);
    block.SetInput(0, 1, ramp);
    block.Data().inputParameterChanges = changes;
    ASSERT_EQ(kResultOk, plugin_->process(block.Data()));
    const std::vector<float> heard = block.OutputChannel(1);
    if (changes == &half) {
      EXPECT_EQ((std::vector<float>{0.5f, 1, 1.5f, 2, 2.5f, 3, 3.5f, 4}), heard);
    } else {
      EXPECT_EQ((std::vector<float>{0, 0, 0, 1, 2, 3, 4, 5}), heard) << "not the input three samples later";
    }
  }
}

// A block without buses hands the plug-in silence, not the buffers the host gave the block before
// (which the host may have freed since).
TEST_F(Vst3MidiPlugin, ABlockWithoutBusesReadsNothingOfTheBlockBefore) {
  Start();
  const std::vector<float> sine = Sine(64, 440.0, kRate, 0.5);
  AudioBlock before(64, 2, 2, kSample32);
  before.SetInput(0, 0, sine.data());
  before.SetInput(0, 1, sine.data());
  ASSERT_EQ(kResultOk, plugin_->process(before.Data()));
  ASSERT_GT(Rms(before.OutputChannel(0)), 0.1);

  AudioBlock without(64, 2, 2, kSample32);
  without.Data().numInputs = 0;
  without.Data().inputs = nullptr;
  ASSERT_EQ(kResultOk, plugin_->process(without.Data()));
  EXPECT_EQ(0.0, Rms(without.OutputChannel(0))) << "the last block's input was read again";
  before.FillOutput(0.25);
  without.Data().numOutputs = 0;
  without.Data().outputs = nullptr;
  ASSERT_EQ(kResultOk, plugin_->process(without.Data()));
  EXPECT_EQ(0.25, before.OutputSample(0, 0)) << "the last block's output was written again";
}

TEST_F(Vst3MidiPlugin, PausingResetsProcessingWhileActive) {
  Start();
  const int afterStart = plugin_->resets;
  ASSERT_EQ(kResultOk, plugin_->setProcessing(false));
  EXPECT_EQ(afterStart + 1, plugin_->resets);
  ASSERT_EQ(kResultOk, plugin_->setProcessing(true));
  ASSERT_EQ(kResultOk, plugin_->setActive(false));
  ASSERT_EQ(kResultOk, plugin_->setProcessing(false));
  EXPECT_EQ(afterStart + 1, plugin_->resets) << "nothing processes while inactive";
}

TEST_F(Vst3MidiPlugin, BeforeActivationBlocksTakeParameterChangesAndAreSilent) {
  ParameterChanges changes;
  changes.Queue(MidiTestPlugin::kGain).Add(0, 1.0);
  EventList in;
  in.events.push_back(NoteEvent(Event::kNoteOnEvent, 0, 0, 60, 1.0f));
  AudioBlock block(64, 2, 2, kSample32);
  const std::vector<float> sine = Sine(64, 440.0, kRate, 0.5);
  block.SetInput(0, 0, sine.data());
  block.SetInput(0, 1, sine.data());
  block.FillOutput(0.25);
  block.Data().inputParameterChanges = &changes;
  block.Data().inputEvents = &in;
  ASSERT_EQ(kResultOk, plugin_->process(block.Data()));
  EXPECT_EQ(1.0, plugin_->GetParam(MidiTestPlugin::kGain)->Value());
  EXPECT_TRUE(plugin_->midiIn.empty());
  EXPECT_EQ(0.0, Rms(block.OutputChannel(0)));
  EXPECT_EQ(0.0, Rms(block.OutputChannel(1)));
  EXPECT_EQ(3u, block.Output().silenceFlags);
}

TEST_F(Vst3MidiPlugin, BlocksBeyondTheLayoutOrTheSetUpAreRefusedWithSilenceWithinThem) {
  Start(64);
  const struct {
    const char* name;
    int32 frames;
    void (*spoil)(AudioBlock&);
  } cases[] = {
      {"ThreeOutputChannels", 64, [](AudioBlock& b) { b.Output().numChannels = 3; }},
      {"ThreeInputChannels", 64, [](AudioBlock& b) { b.Input(0).numChannels = 3; }},
      {"MoreFramesThanSetUp", 65, [](AudioBlock&) {}},
      {"NullOutputChannel", 64, [](AudioBlock& b) { b.Output().channelBuffers32[1] = nullptr; }},
      {"OtherSampleSize", 64, [](AudioBlock& b) { b.Data().symbolicSampleSize = kSample64; }},
  };
  for (const auto& c : cases) {
    AudioBlock block(c.frames, 2, 2, kSample32);
    block.FillOutput(0.25);
    c.spoil(block);
    EXPECT_EQ(kInvalidArgumentResult, plugin_->process(block.Data())) << c.name;
    EXPECT_TRUE(block.GuardsIntact()) << c.name << ": written beyond what the set-up allows";
  }
  AudioBlock block(64, 2, 2, kSample32);
  block.Data().numInputs = 2;  // a second input bus the layout does not have
  block.FillOutput(0.25);
  EXPECT_EQ(kInvalidArgumentResult, plugin_->process(block.Data()));
  EXPECT_EQ(0.0, Rms(block.OutputChannel(0)));
}

// ---------------------------------------------------------------------------------------------
// The default state form: the parameters as little-endian doubles, then the bypass word.

std::vector<uint8_t> StateBytes(double gain, double mode, double tone, int32_t bypass) {
  std::vector<uint8_t> bytes(28);
  const double values[3] = {gain, mode, tone};
  std::memcpy(bytes.data(), values, sizeof values);  // this test runs on a little-endian machine
  std::memcpy(bytes.data() + 24, &bypass, 4);
  return bytes;
}

TEST_F(Vst3MidiPlugin, DefaultStateHoldsTheValuesAndTheBypassAndRestoresThem) {
  Start();
  ASSERT_EQ(kResultOk, plugin_->setParamNormalized(MidiTestPlugin::kGain, 0.25));
  ASSERT_EQ(kResultOk, plugin_->setParamNormalized(MidiTestPlugin::kMode, 1.0));
  ASSERT_EQ(kResultOk, plugin_->setParamNormalized(MidiTestPlugin::kTone, 0.5));
  ParameterChanges bypass;
  bypass.Queue(kBypassParamId).Add(0, 1.0);
  ASSERT_EQ(kResultOk, Play(&bypass));
  TestStream written;
  ASSERT_EQ(kResultOk, plugin_->getState(&written));
  ASSERT_EQ(28u, written.Bytes().size());
  double tone = 0;
  std::memcpy(&tone, written.Bytes().data() + 16, sizeof tone);
  // Tone halfway along 20..20000 Hz on its exponential shape: the geometric mean, the root of 400000.
  EXPECT_NEAR(632.455532, tone, 1e-6);
  EXPECT_EQ(StateBytes(0.25, 2.0, tone, 1), written.Bytes());

  MidiTestPlugin* other = new MidiTestPlugin();
  ASSERT_EQ(kResultOk, other->initialize(&host_));
  TestStream restore(written.Bytes());
  restore.maxChunk = 5;  // a stream that hands over a few bytes per read
  ASSERT_EQ(kResultOk, other->setState(&restore));
  EXPECT_EQ(0.25, other->GetParam(MidiTestPlugin::kGain)->Value());
  EXPECT_EQ(2.0, other->GetParam(MidiTestPlugin::kMode)->Value());
  EXPECT_EQ(0.25, other->getParamNormalized(MidiTestPlugin::kGain));
  EXPECT_NEAR(0.5, other->getParamNormalized(MidiTestPlugin::kTone), 1e-12);
  EXPECT_TRUE(other->IsBypassed());
  EXPECT_EQ(1.0, other->getParamNormalized(kBypassParamId));
  other->terminate();
  other->release();
}

TEST_F(Vst3MidiPlugin, DefaultStateRefusesWhatItCannotTakeAndChangesNothing) {
  std::vector<uint8_t> tooLong = StateBytes(0.1, 1, 500, 0);
  tooLong.resize(0x100001, 0);
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"BypassWordOfTwo", StateBytes(0.1, 1, 500, 2)},
      {"BypassWordCut", std::vector<uint8_t>(26, 0)},
      {"ValuesCut", std::vector<uint8_t>(20, 0)},
      {"Empty", {}},
      {"LongerThanAMegabyte", tooLong},
  };
  for (const auto& c : cases) {
    TestStream stream(c.bytes);
    EXPECT_EQ(kResultFalse, plugin_->setState(&stream)) << c.name;
    EXPECT_EQ(0.5, plugin_->GetParam(MidiTestPlugin::kGain)->Value()) << c.name;
    EXPECT_EQ(0.0, plugin_->GetParam(MidiTestPlugin::kMode)->Value()) << c.name;
    EXPECT_EQ(0.5, plugin_->getParamNormalized(MidiTestPlugin::kGain)) << c.name;
    EXPECT_FALSE(plugin_->IsBypassed()) << c.name;
  }
  EXPECT_EQ(kResultFalse, plugin_->setState(nullptr));
}

// A stream that reports an error on every read yet hands over its bytes, as some hosts' do.
class ComplainingStream : public TestStream {
 public:
  using TestStream::TestStream;
  tresult PLUGIN_API read(void* buffer, int32 count, int32* done) override {
    TestStream::read(buffer, count, done);
    return kResultFalse;
  }
};

TEST_F(Vst3MidiPlugin, OnlyWaveLabsStreamsAreReadPastAnError) {
  ComplainingStream elsewhere(StateBytes(0.75, 1, 500, 0));
  EXPECT_EQ(kResultFalse, plugin_->setState(&elsewhere));
  EXPECT_EQ(0.5, plugin_->GetParam(MidiTestPlugin::kGain)->Value());

  plugin_->SetHost("WaveLab Pro 12", 0);
  ComplainingStream inWaveLab(StateBytes(0.75, 1, 500, 0));
  EXPECT_EQ(kResultOk, plugin_->setState(&inWaveLab));
  EXPECT_EQ(0.75, plugin_->GetParam(MidiTestPlugin::kGain)->Value());
}

}  // namespace
}  // namespace halcyra_test
