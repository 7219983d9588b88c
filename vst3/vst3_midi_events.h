#pragma once
// MIDI between the framework's three-byte messages and the VST3 host's forms: note and poly
// pressure events, changes of the MIDI-controller parameters (control change, channel pressure,
// pitch bend) and the legacy controller events a plug-in sends back. Any thread: pure.

#include <cstdint>

#include "core/queue_messages.h"
#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/vsttypes.h"

namespace plugfw {

// The MIDI-controller parameters: 130 per channel from this identifier on (controllers 0 to 127,
// then channel pressure and pitch bend); only channel 1's exist.
constexpr Steinberg::Vst::ParamID kFirstMidiControllerId = 0x10002;
constexpr int32_t kMidiControllersPerChannel = 130;
constexpr int32_t kChannelPressureController = 128;
constexpr int32_t kPitchBendController = 129;

// The message of a note-on, note-off or poly-pressure event; false for any other event, and for a
// channel or pitch that no MIDI byte can carry.
bool MidiFromHostEvent(const Steinberg::Vst::Event& event, MidiMessage& message);

// The message of a MIDI-controller parameter's new normalized value (limited to 0..1); false for
// an identifier outside the sixteen channels' controllers.
bool MidiFromControllerParameter(Steinberg::Vst::ParamID id, double value, int32_t sampleOffset,
                                 MidiMessage& message);

// The host event of a message: notes as note events, everything else with a controller as a
// legacy controller event; false for status bytes without one (system messages).
bool HostEventFromMidi(const MidiMessage& message, Steinberg::Vst::Event& event);

}  // namespace plugfw
