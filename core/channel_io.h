#pragma once
// The channel-I/O string ("1-1 1-2 2.2-2"): the bus layouts a plug-in accepts, parsed into IOConfig
// records. Parsing reads into temporaries and commits only a string that is well-formed throughout,
// so a refused string leaves the caller's list as it was. Any thread: no shared state.

#include <cstdint>

#include "core/pointer_list.h"

namespace plugfw {

enum class IODirection : int32_t { kInput = 0, kOutput = 1 };

// A "*" bus: the layout takes any number of channels there.
constexpr int32_t kAnyChannelCount = -64;
// Larger counts are refused, so a typo cannot ask for millions of channel records.
constexpr int32_t kMaxBusChannels = 64;

struct IOBus {
  IODirection direction = IODirection::kInput;
  int32_t channels = 0;  // kAnyChannelCount for "*"
};

// One accepted layout, buses in the order of the string. Buses of 0 channels are not stored.
struct IOConfig {
  PointerList<IOBus> inputs;
  PointerList<IOBus> outputs;

  const PointerList<IOBus>& Buses(IODirection direction) const {
    return direction == IODirection::kInput ? inputs : outputs;
  }
  // Sum over the buses; a "*" bus adds nothing, as its width is not known.
  int32_t TotalChannels(IODirection direction) const;
};

struct ChannelIoCounts {
  int32_t configCount = 0;
  int32_t maxInputChannels = 0;
  int32_t maxOutputChannels = 0;
  int32_t maxInputBuses = 0;
  int32_t maxOutputBuses = 0;
};

// Configurations separated by single spaces; each is "inputs-outputs"; each side is buses separated
// by "."; a bus is a decimal count (0 .. kMaxBusChannels) or "*". On success the parsed
// configurations replace those in configs and counts holds their maxima. Null, empty or malformed
// text (or storage that cannot be had) answers false and changes neither configs nor counts.
bool ParseChannelIo(const char* text, PointerList<IOConfig>& configs, ChannelIoCounts& counts);

}  // namespace plugfw
