#pragma once
// The fixed-size records that travel through the framework's queues between the audio thread and
// the UI thread. Any thread, one at a time: plain data, copied by value.

#include <cstdint>

namespace plugfw {

// A parameter's real (not normalized) value.
struct ParamChange {
  int32_t paramIndex = 0;
  double value = 0.0;
};

struct MidiMessage {
  int32_t sampleOffset = 0;
  uint8_t status = 0;
  uint8_t data1 = 0;
  uint8_t data2 = 0;
};

constexpr int32_t kSysExMaxBytes = 512;

struct SysExMessage {
  int32_t sampleOffset = 0;
  int32_t size = 0;
  uint8_t data[kSysExMaxBytes] = {};
};

// A SysEx message whose bytes belong to the caller.
struct SysExRef {
  int32_t sampleOffset = 0;
  int32_t size = 0;
  const uint8_t* data = nullptr;
};

}  // namespace plugfw
