#pragma once
// MidiOutputQueue: the MIDI a plug-in sends during a block, kept in sample-offset order until the
// block's end hands it to the host. Audio thread, except Reserve (set-up). Growth by one step of
// 512 messages is the only allocation the audio thread may make, and only when a block sends more
// than the set-up made room for; a message that finds no room is dropped.

#include <cstdint>
#include <memory>

#include "core/queue_messages.h"

namespace plugfw {

class MidiOutputQueue {
 public:
  static constexpr int32_t kGrowthStep = 512;

  // Set-up. Room for kGrowthStep messages; Capacity() is 0 when even that could not be had.
  MidiOutputQueue();

  // After the messages of the same offset that came before it. Room is made by compacting, then
  // by growing one step; false (the message dropped) when growth fails.
  bool Add(const MidiMessage& message);

  // The messages not yet consumed, in offset order.
  int32_t Count() const { return count_ - consumed_; }
  const MidiMessage& At(int32_t index) const { return messages_[consumed_ + index]; }
  // The first `count` messages are done with; Compact drops them.
  void Consume(int32_t count);
  void Compact();
  // Every message left moves `frames` earlier: the next block starts that much later.
  void ShiftOffsets(int32_t frames);

  // Set-up. Compacts, then makes room for `messages` rounded up to a whole step, never less than
  // it holds; false (nothing changed) when that room cannot be had.
  bool Reserve(int32_t messages);
  int32_t Capacity() const { return capacity_; }

 private:
  bool Resize(int32_t capacity);

  std::unique_ptr<MidiMessage[]> messages_;
  int32_t capacity_ = 0;
  int32_t consumed_ = 0;
  int32_t count_ = 0;
};

}  // namespace plugfw
