#include "vst3/midi_output_queue.h"

#include <algorithm>
#include <new>

namespace plugfw {

MidiOutputQueue::MidiOutputQueue() { Resize(kGrowthStep); }

bool MidiOutputQueue::Resize(int32_t capacity) {
  std::unique_ptr<MidiMessage[]> storage(new (std::nothrow) MidiMessage[static_cast<size_t>(capacity)]);
  if (!storage) return false;
  std::copy(messages_.get() + consumed_, messages_.get() + count_, storage.get());
  messages_ = std::move(storage);
  count_ -= consumed_;
  consumed_ = 0;
  capacity_ = capacity;
  return true;
}

bool MidiOutputQueue::Add(const MidiMessage& message) {
  if (count_ == capacity_) {
    if (consumed_ > 0) {
      Compact();
    } else if (capacity_ > INT32_MAX - kGrowthStep || !Resize(capacity_ + kGrowthStep)) {
      return false;
    }
  }
  int32_t at = count_;
  while (at > consumed_ && messages_[at - 1].sampleOffset > message.sampleOffset) {
    messages_[at] = messages_[at - 1];
    --at;
  }
  messages_[at] = message;
  ++count_;
  return true;
}

void MidiOutputQueue::Consume(int32_t count) { consumed_ = std::min(count_, consumed_ + std::max(0, count)); }

void MidiOutputQueue::Compact() {
  std::copy(messages_.get() + consumed_, messages_.get() + count_, messages_.get());
  count_ -= consumed_;
  consumed_ = 0;
}

void MidiOutputQueue::ShiftOffsets(int32_t frames) {
  for (int32_t i = consumed_; i < count_; ++i) messages_[i].sampleOffset -= frames;
}

bool MidiOutputQueue::Reserve(int32_t messages) {
  Compact();
  const int64_t wanted = std::max<int64_t>(std::max(messages, count_), 1);
  const int64_t rounded = (wanted + kGrowthStep - 1) / kGrowthStep * kGrowthStep;
  if (rounded > INT32_MAX) return false;
  if (rounded == capacity_) return true;
  return Resize(static_cast<int32_t>(rounded));
}

}  // namespace plugfw
