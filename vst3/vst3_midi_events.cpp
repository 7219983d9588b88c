#include "vst3/vst3_midi_events.h"

#include <algorithm>
#include <cmath>

#include "pluginterfaces/vst/ivstmidicontrollers.h"

namespace plugfw {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr uint8_t kNoteOffStatus = 0x80;
constexpr uint8_t kNoteOnStatus = 0x90;
constexpr uint8_t kPolyPressureStatus = 0xA0;
constexpr uint8_t kControlChangeStatus = 0xB0;
constexpr uint8_t kProgramChangeStatus = 0xC0;
constexpr uint8_t kChannelPressureStatus = 0xD0;
constexpr uint8_t kPitchBendStatus = 0xE0;
constexpr int32_t kMidiChannels = 16;
constexpr int32_t kPitchBendCentre = 8192;
constexpr int32_t kPitchBendMax = 16383;

// Rounded, not cut: a host's velocity of 100 / 127 must come back as 100.
uint8_t SevenBitValue(double normalized) {
  if (!std::isfinite(normalized)) return 0;
  return static_cast<uint8_t>(std::lround(std::clamp(normalized, 0.0, 1.0) * 127.0));
}

bool IsMidiChannel(int32_t channel) { return channel >= 0 && channel < kMidiChannels; }
bool IsSevenBit(int32_t value) { return value >= 0 && value <= 127; }

MidiMessage Message(uint8_t kind, int32_t channel, int32_t data1, int32_t data2, int32_t offset) {
  MidiMessage message;
  message.sampleOffset = offset;
  message.status = static_cast<uint8_t>(kind | channel);
  message.data1 = static_cast<uint8_t>(data1);
  message.data2 = static_cast<uint8_t>(data2);
  return message;
}

Event ControllerEvent(uint8_t controller, int8 channel, uint8_t value, uint8_t value2) {
  Event event{};
  event.type = Event::kLegacyMIDICCOutEvent;
  event.midiCCOut.controlNumber = controller;
  event.midiCCOut.channel = channel;
  event.midiCCOut.value = static_cast<int8>(value & 0x7F);
  event.midiCCOut.value2 = static_cast<int8>(value2 & 0x7F);
  return event;
}

}  // namespace

bool MidiFromHostEvent(const Event& event, MidiMessage& message) {
  switch (event.type) {
    case Event::kNoteOnEvent: {
      const NoteOnEvent& note = event.noteOn;
      if (!IsMidiChannel(note.channel) || !IsSevenBit(note.pitch)) return false;
      message =
          Message(kNoteOnStatus, note.channel, note.pitch, SevenBitValue(note.velocity), event.sampleOffset);
      return true;
    }
    case Event::kNoteOffEvent: {
      const NoteOffEvent& note = event.noteOff;
      if (!IsMidiChannel(note.channel) || !IsSevenBit(note.pitch)) return false;
      message = Message(kNoteOffStatus, note.channel, note.pitch, 0, event.sampleOffset);
      return true;
    }
    case Event::kPolyPressureEvent: {
      const PolyPressureEvent& pressure = event.polyPressure;
      if (!IsMidiChannel(pressure.channel) || !IsSevenBit(pressure.pitch)) return false;
      message = Message(kPolyPressureStatus, pressure.channel, pressure.pitch,
                        SevenBitValue(pressure.pressure), event.sampleOffset);
      return true;
    }
    default:
      return false;
  }
}

bool MidiFromControllerParameter(ParamID id, double value, int32_t sampleOffset, MidiMessage& message) {
  if (id < kFirstMidiControllerId) return false;
  const ParamID index = id - kFirstMidiControllerId;
  const auto channel = static_cast<int32_t>(index / kMidiControllersPerChannel);
  const auto controller = static_cast<int32_t>(index % kMidiControllersPerChannel);
  if (!IsMidiChannel(channel)) return false;
  if (controller == kChannelPressureController) {
    message = Message(kChannelPressureStatus, channel, SevenBitValue(value), 0, sampleOffset);
  } else if (controller == kPitchBendController) {
    const double bend = std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.5;
    const int32_t position = std::clamp(
        kPitchBendCentre + static_cast<int32_t>((2.0 * bend - 1.0) * kPitchBendCentre), 0, kPitchBendMax);
    message = Message(kPitchBendStatus, channel, position & 0x7F, position >> 7, sampleOffset);
  } else {
    message = Message(kControlChangeStatus, channel, controller, SevenBitValue(value), sampleOffset);
  }
  return true;
}

bool HostEventFromMidi(const MidiMessage& message, Event& event) {
  const uint8_t kind = message.status & 0xF0;
  const auto channel = static_cast<int16>(message.status & 0x0F);
  const uint8_t data1 = message.data1 & 0x7F;
  const uint8_t data2 = message.data2 & 0x7F;
  // A note-on of velocity 0 is MIDI's note-off; a host takes a note event of velocity 0 literally.
  const bool noteOff = kind == kNoteOffStatus || (kind == kNoteOnStatus && data2 == 0);
  if (noteOff) {
    event = Event{};
    event.type = Event::kNoteOffEvent;
    event.noteOff = NoteOffEvent{channel, data1, data2 / 127.0f, -1, 0.0f};
  } else if (kind == kNoteOnStatus) {
    event = Event{};
    event.type = Event::kNoteOnEvent;
    event.noteOn = NoteOnEvent{channel, data1, 0.0f, data2 / 127.0f, 0, -1};
  } else if (kind == kPolyPressureStatus) {
    event = ControllerEvent(kCtrlPolyPressure, channel, data1, data2);
  } else if (kind == kControlChangeStatus) {
    event = ControllerEvent(data1, channel, data2, 0);
  } else if (kind == kProgramChangeStatus) {
    event = ControllerEvent(kCtrlProgramChange, channel, data1, 0);
  } else if (kind == kChannelPressureStatus) {
    event = ControllerEvent(kAfterTouch, channel, data1, 0);
  } else if (kind == kPitchBendStatus) {
    event = ControllerEvent(Steinberg::Vst::kPitchBend, channel, data1, data2);
  } else {
    return false;
  }
  event.busIndex = 0;
  event.sampleOffset = message.sampleOffset;
  return true;
}

}  // namespace plugfw
