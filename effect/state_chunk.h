#pragma once
// The plug-in's whole state as one fixed little-endian record of 1044 bytes: magic "HKLY",
// version 1, parameter count 128, the current values and the other A/B bank as float32[128]
// each, the last recalled recipe and which bank is shown. The factory recipes are stored in
// the same form. Any thread: pure functions, no plug-in object.

#include <cstdint>

#include "core/heap_buffer.h"
#include "effect/param_table.h"

namespace halcyra {

constexpr int32_t kStateVersion = 1;
constexpr int32_t kStateChunkBytes = 1044;
constexpr int32_t kStateMagicOffset = 0;
constexpr int32_t kStateVersionOffset = 4;
constexpr int32_t kStateCountOffset = 8;
constexpr int32_t kStateCurrentOffset = 12;
constexpr int32_t kStateInactiveOffset = 524;
constexpr int32_t kStateRecipeOffset = 1036;
constexpr int32_t kStateActiveBankOffset = 1040;
constexpr char kStateMagic[4] = {'H', 'K', 'L', 'Y'};

// The chunk's little-endian 32-bit words, also used by the formats built around it.
void PutStateInt32(uint8_t* at, int32_t value);
int32_t GetStateInt32(const uint8_t* at);
void PutStateFloat(uint8_t* at, float value);

struct StateChunkContents {
  float current[kParamCount];
  float inactive[kParamCount];
  int32_t recipeIndex;
  int32_t activeBank;  // 0: bank A shown, 1: bank B
};

// Appends the 1044 bytes. False when the chunk could not grow; it then keeps its old size, so
// nothing half-written is left behind.
bool WriteStateChunk(plugfw::HeapBuffer& chunk, const float current[kParamCount],
                     const float inactive[kParamCount], int32_t recipeIndex, int32_t activeBank);

// True when every value is finite, within its parameter's range and whole for stepped ones.
// The bounds are the table's own 32-bit floats, so everything the writer produces passes.
bool ValidateStateValues(const float values[kParamCount]);

// Reads and checks a chunk that must hold exactly kStateChunkBytes from position on. False for
// anything else (a negative position, a short or long remainder, a wrong header, a recipe index
// outside 0..39, an active-bank word other than 0 or 1, or values that fail validation); `out` is
// then unspecified and must not be used.
bool ParseStateChunk(const plugfw::HeapBuffer& chunk, int32_t position, StateChunkContents& out);

}  // namespace halcyra
