#include "effect/state_chunk.h"

#include <cmath>
#include <cstring>

#include "core/little_endian.h"
#include "effect/factory_recipes.h"

namespace halcyra {

void PutStateInt32(uint8_t* at, int32_t value) { plugfw::PutLittleEndian(at, static_cast<uint32_t>(value)); }

void PutStateFloat(uint8_t* at, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  PutStateInt32(at, static_cast<int32_t>(bits));
}

int32_t GetStateInt32(const uint8_t* at) {
  return static_cast<int32_t>(plugfw::GetLittleEndian<uint32_t>(at));
}

namespace {

float GetFloat(const uint8_t* at) {
  const uint32_t bits = static_cast<uint32_t>(GetStateInt32(at));
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void PutValues(uint8_t* at, const float values[kParamCount]) {
  for (int i = 0; i < kParamCount; ++i) PutStateFloat(at + 4 * i, values[i]);
}

void GetValues(const uint8_t* at, float values[kParamCount]) {
  for (int i = 0; i < kParamCount; ++i) values[i] = GetFloat(at + 4 * i);
}

}  // namespace

bool WriteStateChunk(plugfw::HeapBuffer& chunk, const float current[kParamCount],
                     const float inactive[kParamCount], int32_t recipeIndex, int32_t activeBank) {
  uint8_t bytes[kStateChunkBytes];
  std::memcpy(bytes + kStateMagicOffset, kStateMagic, sizeof kStateMagic);
  PutStateInt32(bytes + kStateVersionOffset, kStateVersion);
  PutStateInt32(bytes + kStateCountOffset, kParamCount);
  PutValues(bytes + kStateCurrentOffset, current);
  PutValues(bytes + kStateInactiveOffset, inactive);
  PutStateInt32(bytes + kStateRecipeOffset, recipeIndex);
  PutStateInt32(bytes + kStateActiveBankOffset, activeBank);
  const int32_t before = chunk.Size();
  if (chunk.Append(bytes, kStateChunkBytes) == before + kStateChunkBytes) return true;
  chunk.Resize(before);
  return false;
}

bool ValidateStateValues(const float values[kParamCount]) {
  for (int i = 0; i < kParamCount; ++i) {
    const ParamDefinition& definition = *GetParamDefinition(i);
    const float v = values[i];
    if (!std::isfinite(v) || v < definition.minValue || v > definition.maxValue) return false;
    if (definition.kind == ParamKind::kStepped && std::floor(v) != v) return false;
  }
  return true;
}

bool ParseStateChunk(const plugfw::HeapBuffer& chunk, int32_t position, StateChunkContents& out) {
  if (position < 0 || position > chunk.Size() || chunk.Size() - position != kStateChunkBytes) return false;
  const uint8_t* bytes = chunk.Data() + position;
  if (std::memcmp(bytes + kStateMagicOffset, kStateMagic, sizeof kStateMagic) != 0) return false;
  if (GetStateInt32(bytes + kStateVersionOffset) != kStateVersion) return false;
  if (GetStateInt32(bytes + kStateCountOffset) != kParamCount) return false;
  GetValues(bytes + kStateCurrentOffset, out.current);
  GetValues(bytes + kStateInactiveOffset, out.inactive);
  out.recipeIndex = GetStateInt32(bytes + kStateRecipeOffset);
  out.activeBank = GetStateInt32(bytes + kStateActiveBankOffset);
  return out.recipeIndex >= 0 && out.recipeIndex < kFactoryRecipeCount &&
         (out.activeBank == 0 || out.activeBank == 1) && ValidateStateValues(out.current) &&
         ValidateStateValues(out.inactive);
}

}  // namespace halcyra
