#pragma once
// IVST3ProcessorBase: the processor side of the VST3 wrapper - the framework processor with
// the host's transport copied in per block, the bus layouts turned into speaker arrangements,
// and the processing set-up. The SDK bus objects belong to the single-component effect; the
// wrapper joins the two.

#include <cstdint>

#include "core/plugin_config.h"
#include "core/processor.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"

namespace plugfw {

// Any thread: pure. 1 mono, 2 stereo, 3 LRC, 4 ambisonic first order, 5 and 6 surround, 7 to 16 the SDK's
// usual layouts; any other count is the empty arrangement.
Steinberg::Vst::SpeakerArrangement SpeakerArrangementForChannelCount(int32_t channels);

// Any thread: pure. The number of speakers (set bits) of an arrangement.
int32_t SpeakerCount(Steinberg::Vst::SpeakerArrangement arrangement);

class IVST3ProcessorBase : public IProcessor {
 public:
  // The block size until the host's set-up gives its own.
  static constexpr int32_t kInitialBlockFrames = 512;

  // Set-up.
  explicit IVST3ProcessorBase(const PluginConfig& config);

  // Audio thread. Copies the host's context when there is one (the last copy stays otherwise) and
  // fills the framework transport from it.
  void UpdateTimeInfo(const Steinberg::Vst::ProcessData& data);
  const Steinberg::Vst::ProcessContext& LastProcessContext() const { return processContext_; }

  // Audio thread. The plug-in neither takes nor sends MIDI, so there is no output queue: nothing
  // is sent.
  bool SendMidiMessage(const MidiMessage& /*message*/) override { return false; }

  // Any thread: fixed at construction. Channels of input bus 0 in the widest layout: where the
  // side-chain's channels start.
  int32_t MainInputChannels() const { return mainInputChannels_; }

 protected:
  bool sidechainActive_ = false;

 private:
  int32_t mainInputChannels_ = 0;
  Steinberg::Vst::ProcessContext processContext_{};
};

}  // namespace plugfw
