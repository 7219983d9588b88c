#include "core/channel_io.h"

#include <algorithm>
#include <new>

namespace plugfw {
namespace {

constexpr char kConfigSeparator = ' ';
constexpr char kDirectionSeparator = '-';
constexpr char kBusSeparator = '.';
constexpr char kAnyChannelsMark = '*';

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads one bus at text[*position], leaving *position on the character after it.
bool ParseBus(const char* text, int32_t* position, int32_t* channels) {
  const char* at = text + *position;
  if (*at == kAnyChannelsMark) {
    *channels = kAnyChannelCount;
    *position += 1;
    return true;
  }
  if (!IsDigit(*at)) return false;
  int32_t value = 0;
  int32_t length = 0;
  while (IsDigit(at[length])) {
    value = value * 10 + (at[length] - '0');
    if (value > kMaxBusChannels) return false;  // also stops overflow on long digit runs
    ++length;
  }
  *channels = value;
  *position += length;
  return true;
}

// Reads the buses of one side up to (not over) the character that ends it.
bool ParseSide(const char* text, int32_t* position, IODirection direction, PointerList<IOBus>& buses) {
  for (;;) {
    int32_t channels = 0;
    if (!ParseBus(text, position, &channels)) return false;
    if (channels != 0) {
      IOBus* bus = new (std::nothrow) IOBus{direction, channels};
      if (bus == nullptr || buses.Add(bus) == nullptr) {
        delete bus;
        return false;
      }
    }
    if (text[*position] != kBusSeparator) return true;
    *position += 1;
  }
}

bool ParseConfig(const char* text, int32_t* position, IOConfig& config) {
  if (!ParseSide(text, position, IODirection::kInput, config.inputs)) return false;
  if (text[*position] != kDirectionSeparator) return false;
  *position += 1;
  if (!ParseSide(text, position, IODirection::kOutput, config.outputs)) return false;
  const char end = text[*position];
  return end == '\0' || end == kConfigSeparator;
}

// Appends every parsed configuration behind the old ones, then drops the old ones, so that a
// failed growth leaves `to` exactly as it was. On success `from` is left empty.
bool ReplaceAll(PointerList<IOConfig>& from, PointerList<IOConfig>& to) {
  const int32_t oldCount = to.Count();
  for (int32_t i = 0; i < from.Count(); ++i) {
    if (to.Add(from.Get(i)) == nullptr) {
      while (to.Count() > oldCount) to.Remove(to.Count() - 1);
      return false;
    }
  }
  for (int32_t i = 0; i < oldCount; ++i) {
    delete to.Get(0);
    to.Remove(0);
  }
  while (from.Count() > 0) from.Remove(from.Count() - 1);
  return true;
}

}  // namespace

int32_t IOConfig::TotalChannels(IODirection direction) const {
  const PointerList<IOBus>& buses = Buses(direction);
  int32_t total = 0;
  for (int32_t i = 0; i < buses.Count(); ++i) total += std::max(0, buses.Get(i)->channels);
  return total;
}

bool ParseChannelIo(const char* text, PointerList<IOConfig>& configs, ChannelIoCounts& counts) {
  if (text == nullptr || *text == '\0') return false;
  PointerList<IOConfig> parsed;
  ChannelIoCounts found;
  int32_t position = 0;
  for (;;) {
    IOConfig* config = new (std::nothrow) IOConfig;
    if (config == nullptr || parsed.Add(config) == nullptr) {
      delete config;
      return false;
    }
    if (!ParseConfig(text, &position, *config)) return false;
    found.maxInputChannels = std::max(found.maxInputChannels, config->TotalChannels(IODirection::kInput));
    found.maxOutputChannels = std::max(found.maxOutputChannels, config->TotalChannels(IODirection::kOutput));
    found.maxInputBuses = std::max(found.maxInputBuses, config->inputs.Count());
    found.maxOutputBuses = std::max(found.maxOutputBuses, config->outputs.Count());
    if (text[position] == '\0') break;
    position += 1;  // the single space; an empty configuration after it fails in ParseBus
  }
  found.configCount = parsed.Count();

  if (!ReplaceAll(parsed, configs)) return false;
  counts = found;
  return true;
}

}  // namespace plugfw
