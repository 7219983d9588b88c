#pragma once
// IVST3ProcessorBase: the processor side of the VST3 wrapper - the framework processor with
// the host's transport copied in per block, the bus layouts turned into speaker arrangements,
// the processing set-up, and the MIDI road: the host's parameter changes and events in, the
// plug-in's MIDI and SysEx out. The SDK bus objects belong to the single-component effect; the
// wrapper joins the two.

#include <cstdint>

#include "core/api_base.h"
#include "core/plugin_config.h"
#include "core/processor.h"
#include "core/queue_messages.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "vst3/midi_output_queue.h"

namespace plugfw {

// Any thread: pure. 1 mono, 2 stereo, 3 LRC, 4 ambisonic first order, 5 and 6 surround, 7 to 16 the SDK's
// usual layouts; any other count is the empty arrangement.
Steinberg::Vst::SpeakerArrangement SpeakerArrangementForChannelCount(int32_t channels);

// Any thread: pure. The number of speakers (set bits) of an arrangement.
int32_t SpeakerCount(Steinberg::Vst::SpeakerArrangement arrangement);

// Audio thread: pure. True when the bus hands over a buffer of the sample size (32 or 64 bits) for
// each of its channels; false for any other sample size.
bool HasChannelBuffers(const Steinberg::Vst::AudioBusBuffers& bus, int32_t sampleSize);

// Audio thread. The queue's last point, when it can be read and its value is finite: the one a
// block applies, since nothing here follows a parameter within a block.
bool LastFinitePoint(Steinberg::Vst::IParamValueQueue* queue, int32_t& sampleOffset,
                     Steinberg::Vst::ParamValue& value);

class IVST3ProcessorBase : public IProcessor {
 public:
  // The block size until the host's set-up gives its own.
  static constexpr int32_t kInitialBlockFrames = 512;
  // SysEx messages the plug-in may send per block.
  static constexpr int32_t kSysExOutputSlots = 4;

  // Set-up. The plug-in is the API base of the object this is part of.
  IVST3ProcessorBase(const PluginConfig& config, IApiBase& plugin);

  // Audio thread. Copies the host's context when there is one (the last copy stays otherwise) and
  // fills the framework transport from it.
  void UpdateTimeInfo(const Steinberg::Vst::ProcessData& data);
  const Steinberg::Vst::ProcessContext& LastProcessContext() const { return processContext_; }

  // Audio thread. The last finite point of every queue: 0x10000 switches the processor's bypass,
  // a parameter takes its value and runs its change hook, and a MIDI controller's parameter
  // becomes MIDI for the plug-in and the editor.
  void ProcessParameterChanges(Steinberg::Vst::ProcessData& data);
  // Audio thread. The host's notes and poly pressure reach the plug-in and the editor, its SysEx
  // the plug-in; then what the editor queued for the plug-in.
  void ProcessMidiInput(Steinberg::Vst::ProcessData& data);
  // Audio thread. What the plug-in sent for this block becomes the host's output events; messages
  // for later blocks wait, their offsets counted from the next block's start.
  void ProcessMidiOutput(Steinberg::Vst::ProcessData& data);

  // Audio thread. Queued for the host in offset order; false when it found no room (see
  // MidiOutputQueue) and was dropped.
  bool SendMidiMessage(const MidiMessage& message) override;
  // Audio thread. Sent with this block's output events; false for a message of more than 512 bytes
  // or beyond kSysExOutputSlots in one block.
  bool SendSysEx(const SysExRef& message) override;

  // Set-up. Room for the messages of a block of maxBlockFrames; false keeps the old room.
  bool ReserveMidiOutput(int32_t maxBlockFrames) { return midiOutput_.Reserve(maxBlockFrames); }
  int32_t MidiOutputCapacity() const { return midiOutput_.Capacity(); }

  // Any thread: fixed at construction. Channels of input bus 0 in the widest layout: where the
  // side-chain's channels start.
  int32_t MainInputChannels() const { return mainInputChannels_; }

 protected:
  bool sidechainActive_ = false;

 private:
  void TakeMidi(const MidiMessage& message);

  IApiBase& plugin_;
  int32_t mainInputChannels_ = 0;
  Steinberg::Vst::ProcessContext processContext_{};
  MidiOutputQueue midiOutput_;
  // The SysEx bytes must outlive the block: the host reads the output events after it.
  SysExMessage sysExOutput_[kSysExOutputSlots];
  int32_t sysExOutputCount_ = 0;
  bool sysExOutputSent_ = false;
  SysExMessage sysExFromEditor_;
};

}  // namespace plugfw
