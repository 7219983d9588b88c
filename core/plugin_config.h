#pragma once
// PluginConfig: the plug-in's fixed facts, built by the plug-in constructor on the stack
// and copied by the framework bases. PluginPreset: one preset slot. Set-up: the
// configuration is read once, during construction. Presets are filled then and only read
// afterwards, from any thread.

#include <cstdint>

#include "core/heap_buffer.h"

namespace plugfw {

// Major in the upper 16 bits, minor in bits 8-15, patch in bits 0-7.
constexpr int32_t PackVersion(int32_t major, int32_t minor, int32_t patch) {
  return static_cast<int32_t>((static_cast<uint32_t>(major) << 16) |
                              ((static_cast<uint32_t>(minor) & 0xFF) << 8) |
                              (static_cast<uint32_t>(patch) & 0xFF));
}

// Four characters packed with the first in the most significant byte ("Hlcy").
constexpr int32_t FourCharCode(const char (&code)[5]) {
  return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint8_t>(code[0])) << 24) |
                              (static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 16) |
                              (static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 8) |
                              static_cast<uint32_t>(static_cast<uint8_t>(code[3])));
}

// What the wrapper of the build passes as the API kind.
constexpr int32_t kApiKindVST3 = 1;
constexpr int32_t kApiKindStandalone = 5;

struct PluginConfig {
  int32_t paramCount = 0;
  int32_t presetCount = 0;
  const char* channelIOStr = "";
  const char* pluginName = "";
  const char* productName = "";
  const char* makerName = "";
  int32_t version = 0;  // packed, see PackVersion
  int32_t uniqueId = 0;
  int32_t makerId = 0;
  int32_t latency = 0;
  uint8_t takesMidiInput = 0;
  uint8_t sendsMidiOutput = 0;
  uint8_t thirdMidiFlag = 0;  // not consulted
  uint8_t stateFlag = 0;      // stored, not consulted
  int32_t processorKind = 0;  // 0 is an effect
  uint8_t editorPresent = 0;
  int32_t editorWidth = 0;
  int32_t editorHeight = 0;
  // Each pair in either order: the smaller becomes the minimum.
  int32_t editorWidthBoundA = 0;
  int32_t editorWidthBoundB = 0;
  int32_t editorHeightBoundA = 0;
  int32_t editorHeightBoundB = 0;
  uint8_t hostMayResize = 0;
  const char* extraTextA = "";  // stored, not consulted
  const char* extraTextB = "";  // stored, not consulted
};

struct PluginPreset {
  static constexpr int32_t kNameCapacity = 256;  // bytes, NUL included

  bool initialised = false;
  char name[kNameCapacity] = "empty";
  HeapBuffer chunk{HeapBuffer::kBlockGranularity};
};

}  // namespace plugfw
