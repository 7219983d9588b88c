// The portable pieces of the VST3 MIDI road: the plug-in's outgoing MIDI queue (order, growth,
// failed growth, set-up sizing) and the conversions between MIDI messages and the host's events
// and MIDI-controller parameters.

#include <gtest/gtest.h>

#include <vector>

#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "tests/core/counting_allocator.h"
#include "vst3/midi_output_queue.h"
#include "vst3/vst3_midi_events.h"

namespace plugfw {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

MidiMessage Midi(int32_t offset, uint8_t status, uint8_t data1 = 0, uint8_t data2 = 0) {
  MidiMessage message;
  message.sampleOffset = offset;
  message.status = status;
  message.data1 = data1;
  message.data2 = data2;
  return message;
}

std::vector<int32_t> Offsets(const MidiOutputQueue& queue) {
  std::vector<int32_t> offsets;
  for (int32_t i = 0; i < queue.Count(); ++i) offsets.push_back(queue.At(i).sampleOffset);
  return offsets;
}

TEST(MidiOutputQueue, KeepsOffsetOrderAndTheSendingOrderWithinAnOffset) {
  MidiOutputQueue queue;
  // data1 numbers the messages in the order they were sent.
  const int32_t offsets[] = {40, 10, 40, 0, 10, 99};
  for (uint8_t i = 0; i < 6; ++i) ASSERT_TRUE(queue.Add(Midi(offsets[i], 0x90, i)));
  EXPECT_EQ(Offsets(queue), (std::vector<int32_t>{0, 10, 10, 40, 40, 99}));
  const uint8_t sent[] = {3, 1, 4, 0, 2, 5};
  for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(queue.At(i).data1, sent[i]) << "position " << i;
}

TEST(MidiOutputQueue, GrowsByOneStepWhenABlockSendsMoreThanItsRoom) {
  MidiOutputQueue queue;
  ASSERT_EQ(queue.Capacity(), 512);
  for (int32_t i = 0; i < 513; ++i) ASSERT_TRUE(queue.Add(Midi(i, 0xB0, 7, 1))) << i;
  EXPECT_EQ(queue.Capacity(), 1024);
  EXPECT_EQ(queue.Count(), 513);
  EXPECT_EQ(queue.At(512).sampleOffset, 512);
}

TEST(MidiOutputQueue, FullWithoutMemoryDropsTheNewMessageAndKeepsTheRest) {
  MidiOutputQueue queue;
  for (int32_t i = 0; i < 512; ++i) ASSERT_TRUE(queue.Add(Midi(2 * i, 0x90, 60, 100)));
  bool added = true;
  {
    test::AllocationLimit nothing(0);
    added = queue.Add(Midi(1, 0x80, 60));
  }
  EXPECT_FALSE(added);
  EXPECT_EQ(queue.Count(), 512);
  EXPECT_EQ(queue.Capacity(), 512);
  EXPECT_EQ(queue.At(0).sampleOffset, 0);
  EXPECT_EQ(queue.At(1).sampleOffset, 2) << "the dropped message was placed anyway";
}

TEST(MidiOutputQueue, ConsumedMessagesMakeRoomBeforeTheQueueGrows) {
  MidiOutputQueue queue;
  for (int32_t i = 0; i < 512; ++i) ASSERT_TRUE(queue.Add(Midi(i, 0x90, 60, 100)));
  queue.Consume(100);
  {
    test::AllocationCounter counter;
    for (int32_t i = 0; i < 100; ++i) ASSERT_TRUE(queue.Add(Midi(1000 + i, 0x80, 60)));
    EXPECT_EQ(counter.Count(), 0);
  }
  EXPECT_EQ(queue.Capacity(), 512);
  EXPECT_EQ(queue.Count(), 512);
  EXPECT_EQ(queue.At(0).sampleOffset, 100);
}

TEST(MidiOutputQueue, LaterMessagesMoveIntoTheNextBlock) {
  MidiOutputQueue queue;
  for (int32_t offset : {5, 700, 1300}) queue.Add(Midi(offset, 0x90, 60, 100));
  queue.Consume(1);
  queue.Compact();
  queue.ShiftOffsets(512);
  EXPECT_EQ(Offsets(queue), (std::vector<int32_t>{188, 788}));
}

TEST(MidiOutputQueue, SetUpSizesItToTheBlockInWholeStepsNeverBelowWhatItHolds) {
  struct Case {
    int32_t held;
    int32_t maxBlock;
    int32_t capacity;
  };
  const Case cases[] = {{0, 1, 512}, {0, 512, 512}, {0, 513, 1024}, {0, 4096, 4096}, {700, 64, 1024}};
  for (const Case& c : cases) {
    MidiOutputQueue queue;
    for (int32_t i = 0; i < c.held; ++i) queue.Add(Midi(i, 0x90, 60, 100));
    ASSERT_TRUE(queue.Reserve(c.maxBlock));
    EXPECT_EQ(queue.Capacity(), c.capacity) << "block " << c.maxBlock << " holding " << c.held;
    EXPECT_EQ(queue.Count(), c.held);
  }
}

TEST(MidiOutputQueue, SetUpWithoutMemoryKeepsTheQueue) {
  MidiOutputQueue queue;
  queue.Add(Midi(3, 0x90, 60, 100));
  bool reserved = true;
  {
    test::AllocationLimit nothing(0);
    reserved = queue.Reserve(8192);
  }
  EXPECT_FALSE(reserved);
  EXPECT_EQ(queue.Capacity(), 512);
  ASSERT_EQ(queue.Count(), 1);
  EXPECT_EQ(queue.At(0).sampleOffset, 3);
}

// ---------------------------------------------------------------------------------------------

struct Bytes {
  uint8_t status, data1, data2;
  bool operator==(const Bytes& other) const {
    return status == other.status && data1 == other.data1 && data2 == other.data2;
  }
};
std::ostream& operator<<(std::ostream& out, const Bytes& b) {
  return out << std::hex << int(b.status) << " " << int(b.data1) << " " << int(b.data2);
}
Bytes BytesOf(const MidiMessage& m) { return {m.status, m.data1, m.data2}; }

Event NoteOn(int16 channel, int16 pitch, float velocity) {
  Event event{};
  event.type = Event::kNoteOnEvent;
  event.sampleOffset = 17;
  event.noteOn.channel = channel;
  event.noteOn.pitch = pitch;
  event.noteOn.velocity = velocity;
  event.noteOn.noteId = -1;
  return event;
}

TEST(MidiFromHostEvent, NotesAndPolyPressureBecomeTheirMessages) {
  Event noteOff{};
  noteOff.type = Event::kNoteOffEvent;
  noteOff.noteOff = NoteOffEvent{2, 64, 0.8f, -1, 0.0f};
  Event pressure{};
  pressure.type = Event::kPolyPressureEvent;
  pressure.polyPressure = PolyPressureEvent{15, 127, 0.5f, -1};
  struct Case {
    const char* name;
    Event event;
    Bytes expected;
  };
  const Case cases[] = {
      {"NoteOnVelocity100", NoteOn(3, 60, 100 / 127.0f), {0x93, 60, 100}},
      {"NoteOnFullVelocity", NoteOn(0, 0, 1.0f), {0x90, 0, 127}},
      {"NoteOffHasNoVelocity", noteOff, {0x82, 64, 0}},
      {"PolyPressureHalf", pressure, {0xAF, 127, 64}},
  };
  for (const Case& c : cases) {
    MidiMessage message;
    ASSERT_TRUE(MidiFromHostEvent(c.event, message)) << c.name;
    EXPECT_EQ(BytesOf(message), c.expected) << c.name;
    EXPECT_EQ(message.sampleOffset, c.event.sampleOffset) << c.name;
  }
}

TEST(MidiFromHostEvent, EveryVelocityComesBackAsSent) {
  for (int velocity = 1; velocity < 128; ++velocity) {
    MidiMessage message;
    ASSERT_TRUE(MidiFromHostEvent(NoteOn(0, 60, velocity / 127.0f), message));
    EXPECT_EQ(message.data2, velocity);
  }
}

TEST(MidiFromHostEvent, RefusesWhatNoMidiByteCarries) {
  Event chord{};
  chord.type = Event::kChordEvent;
  MidiMessage message;
  for (const Event& event : {NoteOn(16, 60, 0.5f), NoteOn(-1, 60, 0.5f), NoteOn(0, 128, 0.5f), chord})
    EXPECT_FALSE(MidiFromHostEvent(event, message));
}

TEST(MidiFromControllerParameter, ControllersPressureAndPitchBend) {
  struct Case {
    const char* name;
    ParamID id;
    double value;
    Bytes expected;
  };
  const Case cases[] = {
      {"MainVolumeFull", 0x10009, 1.0, {0xB0, 7, 127}},
      {"ModulationHalf", 0x10003, 0.5, {0xB0, 1, 64}},
      {"ValueAboveOneIsFull", 0x10003, 1.7, {0xB0, 1, 127}},
      {"ChannelPressure", 0x10082, 1.0, {0xD0, 127, 0}},
      {"PitchBendCentre", 0x10083, 0.5, {0xE0, 0x00, 0x40}},
      {"PitchBendTop", 0x10083, 1.0, {0xE0, 0x7F, 0x7F}},
      {"PitchBendBottom", 0x10083, 0.0, {0xE0, 0x00, 0x00}},
      {"ThirdChannelsExpression", 0x10002 + 2 * 130 + 11, 0.0, {0xB2, 11, 0}},
  };
  for (const Case& c : cases) {
    MidiMessage message;
    ASSERT_TRUE(MidiFromControllerParameter(c.id, c.value, 33, message)) << c.name;
    EXPECT_EQ(BytesOf(message), c.expected) << c.name;
    EXPECT_EQ(message.sampleOffset, 33) << c.name;
  }
  MidiMessage message;
  EXPECT_FALSE(MidiFromControllerParameter(0x10001, 1.0, 0, message));
  EXPECT_FALSE(MidiFromControllerParameter(0x10002 + 16 * 130, 1.0, 0, message)) << "a seventeenth channel";
}

TEST(HostEventFromMidi, NotesAsNoteEventsTheRestAsLegacyControllers) {
  struct Case {
    const char* name;
    Bytes message;
    uint16 type;
    int32 controller;  // of a legacy controller event
    int32 value, value2;
  };
  const Case cases[] = {
      {"ControlChange", {0xB5, 7, 99}, Event::kLegacyMIDICCOutEvent, 7, 99, 0},
      {"PolyPressure", {0xA1, 60, 30}, Event::kLegacyMIDICCOutEvent, kCtrlPolyPressure, 60, 30},
      {"ProgramChange", {0xC0, 5, 0}, Event::kLegacyMIDICCOutEvent, kCtrlProgramChange, 5, 0},
      {"ChannelPressure", {0xD3, 77, 0}, Event::kLegacyMIDICCOutEvent, kAfterTouch, 77, 0},
      {"PitchBend", {0xE0, 0x12, 0x34}, Event::kLegacyMIDICCOutEvent, kPitchBend, 0x12, 0x34},
  };
  for (const Case& c : cases) {
    Event event{};
    ASSERT_TRUE(HostEventFromMidi(Midi(250, c.message.status, c.message.data1, c.message.data2), event))
        << c.name;
    EXPECT_EQ(event.type, c.type) << c.name;
    EXPECT_EQ(event.sampleOffset, 250) << c.name;
    EXPECT_EQ(event.midiCCOut.controlNumber, c.controller) << c.name;
    EXPECT_EQ(event.midiCCOut.channel, c.message.status & 0x0F) << c.name;
    EXPECT_EQ(event.midiCCOut.value, c.value) << c.name;
    EXPECT_EQ(event.midiCCOut.value2, c.value2) << c.name;
  }

  Event event{};
  ASSERT_TRUE(HostEventFromMidi(Midi(0, 0x92, 60, 127), event));
  EXPECT_EQ(event.type, Event::kNoteOnEvent);
  EXPECT_EQ(event.noteOn.channel, 2);
  EXPECT_EQ(event.noteOn.pitch, 60);
  EXPECT_FLOAT_EQ(event.noteOn.velocity, 1.0f);
  ASSERT_TRUE(HostEventFromMidi(Midi(0, 0x82, 60, 64), event));
  EXPECT_EQ(event.type, Event::kNoteOffEvent);
  EXPECT_FLOAT_EQ(event.noteOff.velocity, 64 / 127.0f);
  ASSERT_TRUE(HostEventFromMidi(Midi(0, 0x90, 60, 0), event));
  EXPECT_EQ(event.type, Event::kNoteOffEvent) << "a note-on of velocity 0 ends the note";
  EXPECT_FALSE(HostEventFromMidi(Midi(0, 0xF8), event)) << "a clock tick has no host event";
}

}  // namespace
}  // namespace plugfw
