#pragma once
// A small plug-in on the framework's VST3 wrapper that takes and sends MIDI, so that the wrapper's
// own roads (process, the MIDI controllers, the default state form) run as any plug-in would use
// them: three parameters in two groups, stereo in and out with a latency of three samples, a block
// entry that scales by its gain, MIDI and SysEx passed straight through, and a record of what
// reached it. Single-threaded, as the tests drive it.

#include <cstdint>
#include <vector>

#include "core/param.h"
#include "core/plugin_config.h"
#include "vst3/vst3_wrapper.h"

namespace halcyra_test {

class MidiTestPlugin : public plugfw::IVST3Wrapper {
 public:
  static constexpr int32_t kGain = 0;
  static constexpr int32_t kMode = 1;
  static constexpr int32_t kTone = 2;
  static constexpr int32_t kLatency = 3;

  struct ParamChange {
    int32_t index;
    plugfw::ParamSource source;
    int32_t sampleOffset;
  };

  static plugfw::PluginConfig Config() {
    plugfw::PluginConfig config;
    config.paramCount = 3;
    config.channelIOStr = "2-2";
    config.pluginName = "MIDI Test";
    config.productName = "MIDI Test";
    config.makerName = "Test Maker";
    config.version = plugfw::PackVersion(1, 0, 0);
    config.uniqueId = plugfw::FourCharCode("Mdtp");
    config.makerId = plugfw::FourCharCode("Tsmk");
    config.latency = kLatency;
    config.takesMidiInput = 1;
    config.sendsMidiOutput = 1;
    return config;
  }

  MidiTestPlugin() : IVST3Wrapper(InstanceInfo{}, Config()) {
    GetParam(kGain)->InitDoubleParam("Gain", 0.5, 0.0, 1.0, 0.01, "", 0, "Amp");
    GetParam(kMode)->InitEnumParam("Mode", 0, 3, "", 0, "Amp");
    GetParam(kMode)->AddDisplayText(0, "Clean");
    GetParam(kMode)->AddDisplayText(1, "Warm");
    GetParam(kMode)->AddDisplayText(2, "Hot");
    GetParam(kTone)->InitDoubleParam("Tone", 1000.0, 20.0, 20000.0, 1.0, "Hz", 0, "Filter",
                                     plugfw::IParam::ShapeExp());
  }

  void ProcessAudio(float** inputs, float** outputs, int32_t frames) override {
    const auto gain = static_cast<float>(GetParam(kGain)->Value());
    for (int32_t c = 0; c < 2; ++c) {
      for (int32_t s = 0; s < frames; ++s) outputs[c][s] = inputs[c][s] * gain;
    }
  }
  void ProcessMidiMessage(const plugfw::MidiMessage& message) override {
    midiIn.push_back(message);
    IVST3Wrapper::ProcessMidiMessage(message);  // through to the host
  }
  void ProcessSysEx(const plugfw::SysExRef& message) override {
    sysExIn.emplace_back(message.data, message.data + message.size);
    SendSysEx(message);
  }
  void ResetProcessing() override { ++resets; }
  void OnParamChange(int32_t paramIdx, plugfw::ParamSource source, int32_t sampleOffset) override {
    paramChanges.push_back({paramIdx, source, sampleOffset});
    IVST3Wrapper::OnParamChange(paramIdx, source, sampleOffset);
  }
  void SendMidiMsgToUI(const plugfw::MidiMessage& message) override { midiToEditor.push_back(message); }

  std::vector<plugfw::MidiMessage> midiIn;
  std::vector<plugfw::MidiMessage> midiToEditor;
  std::vector<std::vector<uint8_t>> sysExIn;
  std::vector<ParamChange> paramChanges;
  int resets = 0;
};

}  // namespace halcyra_test
