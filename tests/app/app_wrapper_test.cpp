// The standalone wrapper: its MIDI input queues and their hand-over at the start of a block,
// MIDI and SysEx output through the host's port, block conversion and the inputs the host does
// not feed, and the answer to resize requests.

#include "app/app_wrapper.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/app/fake_host_environment.h"

namespace plugfw {
namespace {

using test::FakeMidiOutput;
using test::FakeMidiState;

class RecordingHost : public AppHost {
 public:
  MidiOutput* MidiOutputPort() override { return port; }
  MidiOutput* port = nullptr;
};

// A plug-in on the wrapper: the processor's default copy of inputs to outputs, plus a log of
// the MIDI and SysEx the processor and the editor receive.
class WrappedPlugin : public IAppWrapper {
 public:
  static PluginConfig Config(bool sendsMidi) {
    PluginConfig config;
    config.channelIOStr = "2.2-2";
    config.sendsMidiOutput = sendsMidi ? 1 : 0;
    config.editorWidth = 300;
    config.editorHeight = 200;
    return config;
  }
  WrappedPlugin(AppHost* host, bool sendsMidi) : IAppWrapper(InstanceInfo{host}, Config(sendsMidi)) {}

  void ProcessMidiMessage(const MidiMessage& message) override {
    processed.push_back(message.data1);
    IAppWrapper::ProcessMidiMessage(message);
  }
  void ProcessSysEx(const SysExRef& message) override { sysExSizes.push_back(message.size); }
  void SendMidiMsgToUI(const MidiMessage& message) override { toEditor.push_back(message.data1); }

  std::vector<int32_t> processed;
  std::vector<int32_t> toEditor;
  std::vector<int32_t> sysExSizes;
};

MidiMessage Note(uint8_t number) {
  MidiMessage message;
  message.sampleOffset = 99;
  message.status = 0x90;
  message.data1 = number;
  message.data2 = 100;
  return message;
}

struct Block {
  std::vector<double> inLeft, inRight, sideLeft, sideRight, outLeft, outRight;
  explicit Block(int32_t frames)
      : inLeft(frames, 0.5),
        inRight(frames, -0.25),
        sideLeft(frames, 0.9),
        sideRight(frames, 0.9),
        outLeft(frames, 7.0),
        outRight(frames, 7.0) {}
  bool Run(IAppWrapper& plugin, int32_t frames) {
    double* inputs[] = {inLeft.data(), inRight.data(), sideLeft.data(), sideRight.data()};
    double* outputs[] = {outLeft.data(), outRight.data()};
    return plugin.ProcessHostBlock(inputs, outputs, frames);
  }
};

TEST(AppWrapper, ConstructionConnectsEveryChannelAtBlockSize512) {
  WrappedPlugin plugin(nullptr, false);
  EXPECT_EQ(plugin.BlockSize(), 512);
  EXPECT_EQ(plugin.ConnectedChannelCount(IODirection::kInput), 4);
  EXPECT_EQ(plugin.ConnectedChannelCount(IODirection::kOutput), 2);
  EXPECT_EQ(plugin.ApiKind(), kApiKindStandalone);
  EXPECT_TRUE(plugin.HasApiTimer());
}

TEST(AppWrapper, ThirtyThreeMessagesBetweenBlocksKeepTheFirstThirtyTwoInOrder) {
  WrappedPlugin plugin(nullptr, false);
  for (uint8_t i = 0; i < 33; ++i) EXPECT_EQ(plugin.QueueMidiInput(Note(i)), i < 32) << int(i);
  Block block(64);
  ASSERT_TRUE(block.Run(plugin, 64));
  std::vector<int32_t> expected;
  for (int32_t i = 0; i < 32; ++i) expected.push_back(i);
  EXPECT_EQ(plugin.processed, expected);
  plugin.DrainProcessorQueues();
  EXPECT_EQ(plugin.toEditor, expected);
  // Nothing is handed on twice.
  ASSERT_TRUE(block.Run(plugin, 64));
  EXPECT_EQ(plugin.processed.size(), 32u);
}

TEST(AppWrapper, SysExInputReachesTheProcessorAtTheNextBlock) {
  WrappedPlugin plugin(nullptr, false);
  SysExMessage message;
  message.size = 6;
  for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(plugin.QueueSysExInput(message), i < 4);
  Block block(16);
  ASSERT_TRUE(block.Run(plugin, 16));
  EXPECT_EQ(plugin.sysExSizes, (std::vector<int32_t>{6, 6, 6, 6}));
}

TEST(AppWrapper, MidiLeavesThroughThePortOnlyWhenTheConfigurationSendsIt) {
  FakeMidiState state;
  FakeMidiOutput port(state);
  RecordingHost host;
  host.port = &port;
  const uint8_t bytes[] = {0xF0, 0x7E, 0x01, 0xF7};
  const SysExRef sysEx{0, 4, bytes};

  WrappedPlugin quiet(&host, false);
  EXPECT_FALSE(quiet.SendMidiMessage(Note(60)));
  quiet.SendSysExFromUI(sysEx);
  EXPECT_TRUE(state.sent.empty());

  WrappedPlugin sending(&host, true);
  EXPECT_TRUE(sending.SendMidiMessage(Note(60)));
  // Editor SysEx goes out at once, not at the next block.
  sending.SendSysExFromUI(sysEx);
  ASSERT_EQ(state.sent.size(), 2u);
  EXPECT_EQ(state.sent[0], (std::vector<uint8_t>{0x90, 60, 100}));
  EXPECT_EQ(state.sent[1], (std::vector<uint8_t>{0xF0, 0x7E, 0x01, 0xF7}));

  host.port = nullptr;
  EXPECT_FALSE(sending.SendMidiMessage(Note(61)));
}

TEST(AppWrapper, BlocksConvertBothWaysAndUnfedInputsReadSilence) {
  WrappedPlugin plugin(nullptr, false);
  Block block(100);
  ASSERT_TRUE(block.Run(plugin, 100));
  EXPECT_EQ(block.outLeft[0], 0.5);
  EXPECT_EQ(block.outRight[99], -0.25);

  // A mono device feeds one input: the second reads silence, not the host's buffer.
  plugin.SetHostInputChannels(1);
  Block mono(100);
  ASSERT_TRUE(mono.Run(plugin, 100));
  EXPECT_EQ(plugin.ConnectedChannelCount(IODirection::kInput), 1);
  EXPECT_EQ(mono.outLeft[50], 0.5);
  EXPECT_EQ(mono.outRight[50], 0.0);
}

TEST(AppWrapper, ABlockLongerThan512IsRefusedWithSilence) {
  WrappedPlugin plugin(nullptr, false);
  Block block(600);
  EXPECT_FALSE(block.Run(plugin, 600));
  EXPECT_EQ(block.outLeft[0], 0.0);
  EXPECT_EQ(block.outRight[599], 0.0);
}

TEST(AppWrapper, ResizeRequestsStoreANewSizeAndAlwaysAnswerFalse) {
  WrappedPlugin plugin(nullptr, false);
  EXPECT_FALSE(plugin.RequestEditorResize(300, 200));
  EXPECT_EQ(plugin.EditorWidth(), 300);
  EXPECT_FALSE(plugin.RequestEditorResize(640, 480));
  EXPECT_EQ(plugin.EditorWidth(), 640);
  EXPECT_EQ(plugin.EditorHeight(), 480);
}

}  // namespace
}  // namespace plugfw
