// The MIDI road of the VST3 processor: the host's parameter changes (with the MIDI controllers'
// parameters), note events and SysEx toward the plug-in, and the plug-in's MIDI and SysEx back to
// the host as events. Audio thread throughout.

#include <algorithm>
#include <cstring>

#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "vst3/vst3_midi_events.h"
#include "vst3/vst3_parameters.h"
#include "vst3/vst3_processor_base.h"

namespace plugfw {

using namespace Steinberg;
using namespace Steinberg::Vst;

void IVST3ProcessorBase::TakeMidi(const MidiMessage& message) {
  ProcessMidiMessage(message);
  plugin_.PushMidiToEditor(message);  // dropped when the editor's queue is full
}

void IVST3ProcessorBase::ProcessParameterChanges(ProcessData& data) {
  IParameterChanges* changes = data.inputParameterChanges;
  if (!changes) return;
  for (int32 q = 0; q < changes->getParameterCount(); ++q) {
    IParamValueQueue* queue = changes->getParameterData(q);
    int32_t offset = 0;
    ParamValue value = 0;
    if (!LastFinitePoint(queue, offset, value)) continue;
    const ParamID id = queue->getParameterId();
    MidiMessage message;
    if (id == kBypassParamId) {
      SetBypassed(value > 0.5);
    } else if (id < static_cast<ParamID>(plugin_.NParams())) {
      const auto index = static_cast<int32_t>(id);
      plugin_.GetParam(index)->SetNormalized(value);
      plugin_.OnParamChange(index, ParamSource::kHost, offset);
    } else if (MidiFromControllerParameter(id, value, offset, message)) {
      TakeMidi(message);
    }
  }
}

void IVST3ProcessorBase::ProcessMidiInput(ProcessData& data) {
  if (IEventList* events = data.inputEvents) {
    for (int32 i = 0; i < events->getEventCount(); ++i) {
      Event event{};
      if (events->getEvent(i, event) != kResultOk) continue;
      MidiMessage message;
      if (event.type == Event::kDataEvent) {
        const DataEvent& sysEx = event.data;
        if (sysEx.type == DataEvent::kMidiSysEx && sysEx.bytes && sysEx.size <= INT32_MAX)
          ProcessSysEx(SysExRef{event.sampleOffset, static_cast<int32_t>(sysEx.size), sysEx.bytes});
      } else if (MidiFromHostEvent(event, message)) {
        TakeMidi(message);
      }
    }
  }
  MidiMessage fromEditor;
  while (plugin_.PopMidiFromEditor(fromEditor)) ProcessMidiMessage(fromEditor);
  while (plugin_.PopSysExFromEditor(sysExFromEditor_)) {
    ProcessSysEx(SysExRef{sysExFromEditor_.sampleOffset, sysExFromEditor_.size, sysExFromEditor_.data});
  }
}

bool IVST3ProcessorBase::SendMidiMessage(const MidiMessage& message) { return midiOutput_.Add(message); }

bool IVST3ProcessorBase::SendSysEx(const SysExRef& message) {
  if (sysExOutputSent_) {
    // The host has read the last block's events: their bytes may go.
    sysExOutputCount_ = 0;
    sysExOutputSent_ = false;
  }
  if (sysExOutputCount_ == kSysExOutputSlots || message.size < 0 || message.size > kSysExMaxBytes ||
      (message.size > 0 && !message.data)) {
    return false;
  }
  SysExMessage& slot = sysExOutput_[sysExOutputCount_++];
  slot.sampleOffset = message.sampleOffset;
  slot.size = message.size;
  if (message.size > 0) std::memcpy(slot.data, message.data, static_cast<size_t>(message.size));
  return true;
}

void IVST3ProcessorBase::ProcessMidiOutput(ProcessData& data) {
  IEventList* events = data.outputEvents;
  const int32_t frames = std::max(0, data.numSamples);
  int32_t sent = 0;
  for (; sent < midiOutput_.Count() && midiOutput_.At(sent).sampleOffset < frames; ++sent) {
    Event event{};
    if (!events || !HostEventFromMidi(midiOutput_.At(sent), event)) continue;
    event.sampleOffset = std::max(0, event.sampleOffset);
    events->addEvent(event);
  }
  midiOutput_.Consume(sent);
  midiOutput_.Compact();
  midiOutput_.ShiftOffsets(frames);

  for (int32_t i = 0; events && i < sysExOutputCount_ && !sysExOutputSent_; ++i) {
    const SysExMessage& message = sysExOutput_[i];
    Event event{};
    event.type = Event::kDataEvent;
    event.sampleOffset = std::clamp(message.sampleOffset, 0, std::max(0, frames - 1));
    event.data.type = DataEvent::kMidiSysEx;
    event.data.size = static_cast<uint32>(message.size);
    event.data.bytes = message.data;
    events->addEvent(event);
  }
  sysExOutputSent_ = true;
}

}  // namespace plugfw
