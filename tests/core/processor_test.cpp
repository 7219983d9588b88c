#include "core/processor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "core/channel_io.h"
#include "tests/core/failing_allocator.h"

namespace plugfw {
namespace {

constexpr const char* kHalcyraChannelIo = "1-1 1-2 2-2 1.1-1 1.2-1 1.1-2 1.2-2 2.1-2 2.2-2";

// ---------------------------------------------------------------------------------------------------
// Channel-I/O string

struct ChannelIoCase {
  const char* text;
  bool accepted;
  ChannelIoCounts counts;  // expected when accepted
};

class ChannelIoParse : public ::testing::TestWithParam<ChannelIoCase> {};

TEST_P(ChannelIoParse, AcceptsWellFormedAndRefusesMalformedWithoutChangingTheList) {
  const ChannelIoCase& c = GetParam();
  PointerList<IOConfig> configs;
  ChannelIoCounts counts;
  ASSERT_TRUE(ParseChannelIo("2-2", configs, counts));
  ASSERT_EQ(counts.configCount, 1);

  const bool accepted = ParseChannelIo(c.text, configs, counts);
  ASSERT_EQ(accepted, c.accepted);
  if (accepted) {
    EXPECT_EQ(counts.configCount, c.counts.configCount);
    EXPECT_EQ(configs.Count(), c.counts.configCount);
    EXPECT_EQ(counts.maxInputChannels, c.counts.maxInputChannels);
    EXPECT_EQ(counts.maxOutputChannels, c.counts.maxOutputChannels);
    EXPECT_EQ(counts.maxInputBuses, c.counts.maxInputBuses);
    EXPECT_EQ(counts.maxOutputBuses, c.counts.maxOutputBuses);
  } else {
    // The earlier "2-2" survives a refused string, list and counts alike.
    EXPECT_EQ(counts.configCount, 1);
    EXPECT_EQ(counts.maxInputChannels, 2);
    ASSERT_EQ(configs.Count(), 1);
    EXPECT_EQ(configs.Get(0)->inputs.Get(0)->channels, 2);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Strings, ChannelIoParse,
    ::testing::Values(
        ChannelIoCase{kHalcyraChannelIo, true, {9, 4, 2, 2, 1}}, ChannelIoCase{"2-2", true, {1, 2, 2, 1, 1}},
        ChannelIoCase{"0-2", true, {1, 0, 2, 0, 1}}, ChannelIoCase{"*-2", true, {1, 0, 2, 1, 1}},
        ChannelIoCase{"2.*-2", true, {1, 2, 2, 2, 1}}, ChannelIoCase{"0.0-0", true, {1, 0, 0, 0, 0}},
        ChannelIoCase{"64-64", true, {1, 64, 64, 1, 1}}, ChannelIoCase{"02-1", true, {1, 2, 1, 1, 1}},
        ChannelIoCase{"1-1 8.8.8-2", true, {2, 24, 2, 3, 1}},
        // malformed: none may crash, all leave the list alone
        ChannelIoCase{nullptr, false, {}}, ChannelIoCase{"", false, {}}, ChannelIoCase{"garbage", false, {}},
        ChannelIoCase{"2", false, {}}, ChannelIoCase{"22", false, {}}, ChannelIoCase{"2-", false, {}},
        ChannelIoCase{"-2", false, {}}, ChannelIoCase{"-", false, {}}, ChannelIoCase{"1-2-3", false, {}},
        ChannelIoCase{"1-1 ", false, {}}, ChannelIoCase{" 1-1", false, {}},
        ChannelIoCase{"1-1  2-2", false, {}}, ChannelIoCase{"1-1\t2-2", false, {}},
        ChannelIoCase{"1..1-2", false, {}}, ChannelIoCase{"1.-2", false, {}},
        ChannelIoCase{".1-2", false, {}}, ChannelIoCase{"1-2.", false, {}}, ChannelIoCase{"65-2", false, {}},
        ChannelIoCase{"99999999999999999999-2", false, {}}, ChannelIoCase{"2-4294967298", false, {}},
        ChannelIoCase{"+1-1", false, {}}, ChannelIoCase{"1-1x", false, {}}, ChannelIoCase{"**-2", false, {}},
        ChannelIoCase{"1,1-2", false, {}}, ChannelIoCase{"1- 1", false, {}},
        ChannelIoCase{"1-1 2-", false, {}}));

TEST(ChannelIo, StoresBusesInOrderWithTheirDirection) {
  PointerList<IOConfig> configs;
  ChannelIoCounts counts;
  ASSERT_TRUE(ParseChannelIo("*-2 0.2-1.0.2", configs, counts));
  ASSERT_EQ(configs.Count(), 2);
  const IOConfig& any = *configs.Get(0);
  ASSERT_EQ(any.inputs.Count(), 1);
  EXPECT_EQ(any.inputs.Get(0)->channels, kAnyChannelCount);
  EXPECT_EQ(any.inputs.Get(0)->direction, IODirection::kInput);
  ASSERT_EQ(any.outputs.Count(), 1);
  EXPECT_EQ(any.outputs.Get(0)->direction, IODirection::kOutput);

  const IOConfig& zeros = *configs.Get(1);  // the 0-channel buses are dropped
  ASSERT_EQ(zeros.inputs.Count(), 1);
  EXPECT_EQ(zeros.inputs.Get(0)->channels, 2);
  ASSERT_EQ(zeros.outputs.Count(), 2);
  EXPECT_EQ(zeros.outputs.Get(0)->channels, 1);
  EXPECT_EQ(zeros.outputs.Get(1)->channels, 2);
}

TEST(ChannelIo, StorageFailureRefusesAndKeepsTheOldList) {
  PointerList<IOConfig> configs;
  ChannelIoCounts counts;
  ASSERT_TRUE(ParseChannelIo("1-1", configs, counts));
  {
    test::FailingAllocatorScope failing;
    EXPECT_FALSE(ParseChannelIo(kHalcyraChannelIo, configs, counts));
  }
  EXPECT_EQ(counts.configCount, 1);
  ASSERT_EQ(configs.Count(), 1);
  EXPECT_EQ(configs.Get(0)->outputs.Get(0)->channels, 1);
}

// ---------------------------------------------------------------------------------------------------
// Processor fixture

class RecordingProcessor : public IProcessor {
 public:
  explicit RecordingProcessor(const char* channelIo) : IProcessor(MakeConfig(channelIo)) {}

  bool SendMidiMessage(const MidiMessage& message) override {
    sent.push_back(message);
    return message.status != kRefusedStatus;
  }

  static constexpr uint8_t kRefusedStatus = 0xF4;
  std::vector<MidiMessage> sent;

 private:
  static PluginConfig MakeConfig(const char* channelIo) {
    PluginConfig config;
    config.channelIOStr = channelIo;
    config.latency = 7;
    config.processorKind = 0;
    return config;
  }
};

TEST(Processor, StartsFromTheConfigurationAndDefaults) {
  RecordingProcessor processor(kHalcyraChannelIo);
  EXPECT_EQ(processor.IOConfigCount(), 9);
  EXPECT_EQ(processor.MaxBusCount(IODirection::kInput), 2);
  EXPECT_EQ(processor.MaxBusCount(IODirection::kOutput), 1);
  EXPECT_EQ(processor.ChannelCount(IODirection::kInput), 4);
  EXPECT_EQ(processor.ChannelCount(IODirection::kOutput), 2);
  EXPECT_EQ(processor.ConnectedChannelCount(IODirection::kInput), 0);
  EXPECT_EQ(processor.ConnectedChannelCount(IODirection::kOutput), 0);
  EXPECT_EQ(processor.SampleRate(), 48000.0);
  EXPECT_EQ(processor.BlockSize(), 0);
  EXPECT_EQ(processor.LatencySamples(), 7);
  EXPECT_EQ(processor.TailSize(), 0);
  EXPECT_FALSE(processor.IsBypassed());
  EXPECT_EQ(processor.GetLatencyDelay(), nullptr);

  const TransportInfo& transport = processor.Transport();
  EXPECT_EQ(transport.tempo, 120.0);
  for (double unknown : {transport.samplePosition, transport.quarterNotePosition, transport.lastBarStart,
                         transport.cycleStart, transport.cycleEnd})
    EXPECT_EQ(unknown, -1.0);
  EXPECT_EQ(transport.timeSignatureNumerator, 4);
  EXPECT_EQ(transport.timeSignatureDenominator, 4);
  EXPECT_FALSE(transport.transportRunning);
  EXPECT_FALSE(transport.loopEnabled);
}

TEST(Processor, MalformedConfigurationGivesNoChannelsAndStaysSafe) {
  RecordingProcessor processor("2-2 junk");
  EXPECT_EQ(processor.IOConfigCount(), 0);
  EXPECT_EQ(processor.ChannelCount(IODirection::kInput), 0);
  EXPECT_TRUE(processor.SetBlockSize(64));
  EXPECT_FALSE(processor.CreateLatencyDelay());
  EXPECT_TRUE(processor.ProcessHostBuffers(64));
}

struct BusNameCase {
  IODirection direction;
  int32_t index;
  int32_t count;
  const char* name;
};

TEST(Processor, NamesBuses) {
  const BusNameCase cases[] = {
      {IODirection::kOutput, 0, 1, "Output"}, {IODirection::kOutput, 1, 2, "Output 1"},
      {IODirection::kInput, 0, 1, "Input"},   {IODirection::kInput, 0, 2, "Main"},
      {IODirection::kInput, 1, 2, "Aux"},     {IODirection::kInput, 2, 3, "Input 2"},
  };
  RecordingProcessor processor(kHalcyraChannelIo);
  for (const BusNameCase& c : cases) {
    HeapString name("stale");
    processor.ChannelBusName(c.direction, c.index, c.count, name);
    EXPECT_STREQ(name.Get(), c.name) << c.index << " of " << c.count;
  }
}

TEST(Processor, MatchesLayoutsExactlyAndAnyCountForStar) {
  RecordingProcessor processor(kHalcyraChannelIo);
  const int32_t mono[] = {1}, stereo[] = {2}, three[] = {3}, stereoAndMono[] = {2, 1}, both[] = {2, 2};
  EXPECT_EQ(processor.MatchIOConfig(mono, 1, mono, 1), 0);
  EXPECT_EQ(processor.MatchIOConfig(stereo, 1, stereo, 1), 2);
  EXPECT_EQ(processor.MatchIOConfig(stereoAndMono, 2, stereo, 1), 7);
  EXPECT_EQ(processor.MatchIOConfig(both, 2, stereo, 1), 8);
  EXPECT_EQ(processor.MatchIOConfig(three, 1, stereo, 1), -1);
  EXPECT_EQ(processor.MatchIOConfig(stereo, 1, both, 2), -1);
  EXPECT_EQ(processor.MatchIOConfig(nullptr, 1, stereo, 1), -1);

  RecordingProcessor any("*-2");
  const int32_t six[] = {6}, none[] = {0};
  EXPECT_EQ(any.MatchIOConfig(six, 1, stereo, 1), 0);
  EXPECT_EQ(any.MatchIOConfig(none, 1, stereo, 1), -1);
}

TEST(Processor, SendsEveryMidiMessageAndReportsAnyFailure) {
  RecordingProcessor processor("2-2");
  const MidiMessage messages[] = {
      {0, 0x90, 60, 100}, {3, RecordingProcessor::kRefusedStatus, 0, 0}, {9, 0x80, 60, 0}};
  EXPECT_FALSE(processor.SendMidiMessages(messages, 3));
  ASSERT_EQ(processor.sent.size(), 3u);  // the failure in the middle does not stop the rest
  EXPECT_EQ(processor.sent[2].sampleOffset, 9);
  EXPECT_TRUE(processor.SendMidiMessages(messages, 1));

  processor.ProcessMidiMessage({5, 0xB0, 7, 64});  // MIDI through by default
  ASSERT_EQ(processor.sent.size(), 5u);
  EXPECT_EQ(processor.sent.back().data1, 7);
}

// ---------------------------------------------------------------------------------------------------
// Block size and scratch buffers

void FillScratch(RecordingProcessor& processor, float value) {
  for (IODirection direction : {IODirection::kInput, IODirection::kOutput}) {
    float** pointers = processor.ChannelPointers(direction);
    for (int32_t c = 0; c < processor.ChannelCount(direction); ++c)
      std::fill(pointers[c], pointers[c] + processor.BlockSize(), value);
  }
}

void ExpectScratchHolds(const RecordingProcessor& processor, int32_t frames, float value) {
  for (IODirection direction : {IODirection::kInput, IODirection::kOutput}) {
    for (int32_t c = 0; c < processor.ChannelCount(direction); ++c) {
      const ProcessorChannel& channel = *processor.GetChannel(direction, c);
      ASSERT_EQ(channel.scratch.Size(), frames * 4) << c;
      const float* samples = reinterpret_cast<const float*>(channel.scratch.Data());
      for (int32_t s = 0; s < frames; ++s) ASSERT_EQ(samples[s], value) << c << " at " << s;
    }
  }
}

TEST(ProcessorBlockSize, ResizesAndZeroesOnlyOnChange) {
  RecordingProcessor processor(kHalcyraChannelIo);
  ASSERT_TRUE(processor.SetBlockSize(512));
  ExpectScratchHolds(processor, 512, 0.0f);

  FillScratch(processor, 0.5f);
  EXPECT_TRUE(processor.SetBlockSize(512));
  ExpectScratchHolds(processor, 512, 0.5f);  // same size: untouched

  for (int32_t frames : {4096, 33, 512}) {
    FillScratch(processor, 0.25f);
    ASSERT_TRUE(processor.SetBlockSize(frames));
    EXPECT_EQ(processor.BlockSize(), frames);
    ExpectScratchHolds(processor, frames, 0.0f);
    // The plug-in's pointers follow the buffers when they move.
    for (int32_t c = 0; c < 4; ++c)
      EXPECT_EQ(processor.ChannelPointers(IODirection::kInput)[c],
                reinterpret_cast<const float*>(processor.GetChannel(IODirection::kInput, c)->scratch.Data()));
  }
}

TEST(ProcessorBlockSize, RefusesSizesOfZeroAndBelow) {
  RecordingProcessor processor("2-2");
  ASSERT_TRUE(processor.SetBlockSize(256));
  FillScratch(processor, 1.0f);
  for (int32_t frames : {0, -1, -512, INT32_MIN, INT32_MAX}) {
    EXPECT_FALSE(processor.SetBlockSize(frames)) << frames;
    EXPECT_EQ(processor.BlockSize(), 256);
  }
  ExpectScratchHolds(processor, 256, 1.0f);
}

TEST(ProcessorBlockSize, FailedGrowthKeepsTheOldSize) {
  RecordingProcessor processor(kHalcyraChannelIo);
  ASSERT_TRUE(processor.SetBlockSize(64));
  FillScratch(processor, 0.75f);
  {
    test::FailingAllocatorScope failing;
    EXPECT_FALSE(processor.SetBlockSize(1 << 20));
  }
  EXPECT_EQ(processor.BlockSize(), 64);
  ExpectScratchHolds(processor, 64, 0.75f);
  EXPECT_TRUE(processor.SetBlockSize(1 << 20));
}

// Lets the first `allowed` allocations through, then refuses: some buffers grow, a later one fails.
class AllocatorThatRunsOut {
 public:
  explicit AllocatorThatRunsOut(int allowed) : previous_(SetHeapAllocator(&kCounting)) {
    remaining = allowed;
  }
  ~AllocatorThatRunsOut() { SetHeapAllocator(previous_); }

 private:
  static inline int remaining = 0;
  static bool Take() { return remaining-- > 0; }
  static inline const HeapAllocator kCounting{
      [](size_t bytes) { return Take() ? DefaultHeapAllocator().allocate(bytes) : nullptr; },
      [](void* block, size_t bytes) {
        return Take() ? DefaultHeapAllocator().reallocate(block, bytes) : nullptr;
      },
      [](void* block) { DefaultHeapAllocator().release(block); },
  };
  const HeapAllocator* previous_;
};

TEST(ProcessorBlockSize, GrowthFailingPartWayLeavesEveryBufferAtTheOldSize) {
  for (int allowed = 1; allowed < 6; ++allowed) {
    RecordingProcessor processor(kHalcyraChannelIo);  // six scratch buffers
    ASSERT_TRUE(processor.SetBlockSize(16));
    FillScratch(processor, 0.125f);
    {
      AllocatorThatRunsOut runsOut(allowed);
      EXPECT_FALSE(processor.SetBlockSize(100000)) << allowed;
    }
    EXPECT_EQ(processor.BlockSize(), 16);
    ExpectScratchHolds(processor, 16, 0.125f);
    // Every slot still points into a live buffer of the old size (ASan checks the writes).
    FillScratch(processor, 0.0f);
  }
}

// ---------------------------------------------------------------------------------------------------
// Host buffers

TEST(ProcessorHostBuffers, DisconnectedChannelsTakeNoHostBuffer) {
  RecordingProcessor processor("3-3");
  ASSERT_TRUE(processor.SetBlockSize(4));
  processor.SetChannelsConnected(IODirection::kInput, 0, 3, true);
  processor.SetChannelsConnected(IODirection::kInput, 1, 1, false);
  EXPECT_EQ(processor.ConnectedChannelCount(IODirection::kInput), 2);

  double first[4] = {0.5, -0.25, 1.0, 0.0};
  double second[4] = {0.1, 0.2, 0.3, 0.4};
  double* host[] = {first, second};
  ASSERT_TRUE(processor.AttachHostBuffers(IODirection::kInput, 0, 3, host, 4));
  float** inputs = processor.ChannelPointers(IODirection::kInput);
  for (int s = 0; s < 4; ++s) {
    EXPECT_EQ(inputs[0][s], static_cast<float>(first[s]));
    EXPECT_EQ(inputs[1][s], 0.0f);
    EXPECT_EQ(inputs[2][s], static_cast<float>(second[s]));  // a plain cast, no rounding tricks
  }
}

TEST(ProcessorHostBuffers, ConvertsThroughTheDefaultProcessAndBack) {
  RecordingProcessor processor("1-2");
  ASSERT_TRUE(processor.SetBlockSize(8));
  processor.SetChannelsConnected(IODirection::kInput, 0, 1, true);
  processor.SetChannelsConnected(IODirection::kOutput, 0, 2, true);

  double in[6] = {0.1, -0.7, 1e-3, 1.0 / 3.0, -1.0, 2.5};
  double left[6], right[6];
  std::fill(left, left + 6, 9.0);
  std::fill(right, right + 6, 9.0);
  double* inputs[] = {in};
  double* outputs[] = {left, right};
  ASSERT_TRUE(processor.AttachHostBuffers(IODirection::kInput, 0, 1, inputs, 6));
  ASSERT_TRUE(processor.AttachHostBuffers(IODirection::kOutput, 0, 2, outputs, 6));
  ASSERT_TRUE(processor.ProcessHostBuffers(6));
  for (int s = 0; s < 6; ++s) {
    EXPECT_EQ(left[s], static_cast<double>(static_cast<float>(in[s]))) << s;
    EXPECT_EQ(right[s], 0.0) << s;  // no input 1: silence
  }

  // A host buffer serves one block only: without a new attachment nothing is written.
  std::fill(left, left + 6, 9.0);
  ASSERT_TRUE(processor.ProcessHostBuffers(6));
  EXPECT_EQ(left[0], 9.0);
}

TEST(ProcessorHostBuffers, NullHostInputReadsAsSilence) {
  RecordingProcessor processor("1-1");
  ASSERT_TRUE(processor.SetBlockSize(4));
  FillScratch(processor, 0.5f);
  processor.SetChannelsConnected(IODirection::kInput, 0, 1, true);
  double* inputs[] = {nullptr};
  ASSERT_TRUE(processor.AttachHostBuffers(IODirection::kInput, 0, 1, inputs, 4));
  for (int s = 0; s < 4; ++s) EXPECT_EQ(processor.ChannelPointers(IODirection::kInput)[0][s], 0.0f);
  EXPECT_FALSE(processor.AttachHostBuffers(IODirection::kInput, 0, 1, nullptr, 4));
}

TEST(ProcessorHostBuffers, BlockLongerThanTheScratchIsSilencedNotOverrun) {
  RecordingProcessor processor("2-2");
  ASSERT_TRUE(processor.SetBlockSize(16));
  processor.SetChannelsConnected(IODirection::kInput, 0, 2, true);
  processor.SetChannelsConnected(IODirection::kOutput, 0, 2, true);
  constexpr int kLong = 64;
  std::vector<double> in(kLong, 0.5), left(kLong, 9.0), right(kLong, 9.0);
  double* inputs[] = {in.data(), in.data()};
  double* outputs[] = {left.data(), right.data()};
  EXPECT_FALSE(processor.AttachHostBuffers(IODirection::kInput, 0, 2, inputs, kLong));
  EXPECT_FALSE(processor.AttachHostBuffers(IODirection::kOutput, 0, 2, outputs, kLong));
  EXPECT_FALSE(processor.ProcessHostBuffers(kLong));
  for (int s = 0; s < kLong; ++s) {
    ASSERT_EQ(left[s], 0.0) << s;
    ASSERT_EQ(right[s], 0.0) << s;
  }
  EXPECT_FALSE(processor.AttachHostBuffers(IODirection::kInput, 0, 2, inputs, -1));
  EXPECT_FALSE(processor.ProcessHostBuffers(-1));
}

TEST(ProcessorHostBuffers, DisconnectingForgetsTheHostOutputAndRangesAreClipped) {
  RecordingProcessor processor("2-2");
  ASSERT_TRUE(processor.SetBlockSize(4));
  processor.SetChannelsConnected(IODirection::kOutput, -5, 100, true);  // clipped to the two channels
  EXPECT_EQ(processor.ConnectedChannelCount(IODirection::kOutput), 2);
  double left[4] = {9, 9, 9, 9}, right[4] = {9, 9, 9, 9};
  double* outputs[] = {left, right};
  ASSERT_TRUE(processor.AttachHostBuffers(IODirection::kOutput, 0, 2, outputs, 4));
  processor.SetChannelsConnected(IODirection::kOutput, 1, 1, false);
  ASSERT_TRUE(processor.ProcessHostBuffers(4));
  EXPECT_EQ(left[0], 0.0);
  EXPECT_EQ(right[0], 9.0);
  // The disconnected channel still hands the plug-in a writable pointer.
  EXPECT_EQ(processor.ChannelPointers(IODirection::kOutput)[1],
            reinterpret_cast<const float*>(processor.GetChannel(IODirection::kOutput, 1)->scratch.Data()));
}

// ---------------------------------------------------------------------------------------------------
// Latency

TEST(ProcessorLatency, DelayFollowsTheLatencyAndFailuresKeepTheOld) {
  RecordingProcessor processor(kHalcyraChannelIo);
  ASSERT_TRUE(processor.CreateLatencyDelay());
  LatencyDelay* delay = processor.GetLatencyDelay();
  ASSERT_NE(delay, nullptr);
  EXPECT_EQ(delay->inputChannels, 4);
  EXPECT_EQ(delay->outputChannels, 2);
  EXPECT_EQ(delay->length, 7);
  EXPECT_EQ(delay->buffer.Size(), 7 * 4 * 4);

  delay->position = 3;
  delay->Samples()[5] = 1.0f;
  ASSERT_TRUE(processor.SetLatencySamples(100));
  EXPECT_EQ(processor.LatencySamples(), 100);
  EXPECT_EQ(delay->length, 100);
  EXPECT_EQ(delay->position, 0);
  ASSERT_EQ(delay->buffer.Size(), 100 * 4 * 4);
  for (int i = 0; i < 400; ++i) ASSERT_EQ(delay->Samples()[i], 0.0f) << i;

  EXPECT_FALSE(processor.SetLatencySamples(-1));
  EXPECT_FALSE(processor.SetLatencySamples(INT32_MAX));  // would overflow the buffer size
  {
    test::FailingAllocatorScope failing;
    EXPECT_FALSE(processor.SetLatencySamples(100000));
  }
  EXPECT_EQ(processor.LatencySamples(), 100);
  EXPECT_EQ(delay->length, 100);

  ASSERT_TRUE(processor.SetLatencySamples(0));
  EXPECT_EQ(delay->buffer.Size(), 0);

  RecordingProcessor noInputs("0-2");
  EXPECT_FALSE(noInputs.CreateLatencyDelay());
  EXPECT_EQ(noInputs.GetLatencyDelay(), nullptr);
  EXPECT_TRUE(noInputs.SetLatencySamples(32));  // no delay to size: only the figure changes
  EXPECT_EQ(noInputs.LatencySamples(), 32);
}

// ---------------------------------------------------------------------------------------------------
// Pass-through of a bypassed block

// A block entry that marks every output, so a pass-through that ran it shows.
class MarkingProcessor : public RecordingProcessor {
 public:
  using RecordingProcessor::RecordingProcessor;
  void ProcessAudio(float** /*inputs*/, float** outputs, int32_t frames) override {
    for (int32_t c = 0; c < ChannelCount(IODirection::kOutput); ++c)
      std::fill(outputs[c], outputs[c] + frames, 0.25f);
  }
};

TEST(ProcessorPassThrough, ALatencyDelaysEachChannelByItsLengthAcrossBlocksAndInPlace) {
  MarkingProcessor processor("2-2");
  ASSERT_TRUE(processor.CreateLatencyDelay());
  ASSERT_TRUE(processor.SetLatencySamples(3));
  ASSERT_TRUE(processor.SetBlockSize(8));
  processor.SetChannelsConnected(IODirection::kInput, 0, 2, true);
  processor.SetChannelsConnected(IODirection::kOutput, 0, 2, true);
  std::vector<float> heardLeft, heardRight;
  for (int block = 0; block < 2; ++block) {
    float left[5], right[5];
    for (int s = 0; s < 5; ++s) {
      left[s] = float(1 + block * 5 + s);
      right[s] = -left[s];
    }
    float* channels[] = {left, right};  // the host processes in place
    ASSERT_TRUE(processor.AttachHostFloatBuffers(IODirection::kInput, 0, 2, channels, 5));
    ASSERT_TRUE(processor.AttachHostFloatBuffers(IODirection::kOutput, 0, 2, channels, 5));
    ASSERT_TRUE(processor.PassThroughBuffers(5));
    heardLeft.insert(heardLeft.end(), left, left + 5);
    heardRight.insert(heardRight.end(), right, right + 5);
  }
  EXPECT_EQ(heardLeft, (std::vector<float>{0, 0, 0, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(heardRight, (std::vector<float>{0, 0, 0, -1, -2, -3, -4, -5, -6, -7}));
}

TEST(ProcessorPassThrough, WithoutLatencyInputsAreCopiedAndOutputsWithoutOneSilenced) {
  MarkingProcessor processor("1-2");
  ASSERT_TRUE(processor.SetLatencySamples(0));
  ASSERT_TRUE(processor.SetBlockSize(4));
  processor.SetChannelsConnected(IODirection::kInput, 0, 1, true);
  processor.SetChannelsConnected(IODirection::kOutput, 0, 2, true);
  double in[4] = {0.5, -0.25, 1.0, 0.125};
  double left[4] = {9, 9, 9, 9}, right[4] = {9, 9, 9, 9};
  double* inputs[] = {in};
  double* outputs[] = {left, right};
  ASSERT_TRUE(processor.AttachHostBuffers(IODirection::kInput, 0, 1, inputs, 4));
  ASSERT_TRUE(processor.AttachHostBuffers(IODirection::kOutput, 0, 2, outputs, 4));
  ASSERT_TRUE(processor.PassThroughBuffersDouble(4));
  for (int s = 0; s < 4; ++s) {
    EXPECT_EQ(left[s], in[s]) << s;
    EXPECT_EQ(right[s], 0.0) << s;
  }
  EXPECT_FALSE(processor.PassThroughBuffers(5)) << "longer than the block size";
}

// ---------------------------------------------------------------------------------------------------
// Values the UI thread reads while the audio side writes them (ThreadSanitizer flags plain ones).

TEST(ProcessorThreads, SharedScalarsAreSafeToReadFromAnotherThread) {
  RecordingProcessor processor("2-2");
  constexpr int kRounds = 20000;
  std::atomic<bool> done{false};
  std::thread audio([&] {
    for (int i = 1; i <= kRounds; ++i) {
      processor.SetSampleRate(48000.0 + i);  // rises from the initial 48000
      processor.SetBypassed(i % 2 == 0);
      processor.SetRenderingOffline(i % 3 == 0);
      processor.SetTailSize(i);
      processor.SetChannelsConnected(IODirection::kOutput, 0, 2, i % 2 == 0);
    }
    done.store(true, std::memory_order_release);
  });
  double lastRate = 0.0;
  int32_t lastTail = 0;
  bool monotonic = true;
  while (!done.load(std::memory_order_acquire)) {
    const double rate = processor.SampleRate();
    const int32_t tail = processor.TailSize();
    monotonic = monotonic && rate >= lastRate && tail >= lastTail;
    lastRate = rate;
    lastTail = tail;
    (void)processor.IsBypassed();
    (void)processor.IsRenderingOffline();
    (void)processor.ConnectedChannelCount(IODirection::kOutput);
  }
  audio.join();
  EXPECT_TRUE(monotonic);
  EXPECT_EQ(processor.SampleRate(), 48000.0 + kRounds);
  EXPECT_EQ(processor.TailSize(), kRounds);
  EXPECT_EQ(processor.ConnectedChannelCount(IODirection::kOutput), 2);
}

}  // namespace
}  // namespace plugfw
