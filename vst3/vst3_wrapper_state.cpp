// The wrapper's default state form: the plug-in's own state (WriteState, ReadState) followed by
// the host bypass as a little-endian 32-bit 0 or 1. UI thread, also while the audio thread
// processes: values are exchanged atomically.

#include <cstring>

#include "vst3/vst3_wrapper.h"

namespace plugfw {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr int32 kReadPieceBytes = 128;
constexpr int32 kBypassWordBytes = 4;

void PutWord(uint8_t* at, uint32_t word) {
  for (int i = 0; i < kBypassWordBytes; ++i) at[i] = static_cast<uint8_t>(word >> (8 * i));
}

uint32_t GetWord(const uint8_t* at) {
  uint32_t word = 0;
  for (int i = 0; i < kBypassWordBytes; ++i) word |= static_cast<uint32_t>(at[i]) << (8 * i);
  return word;
}

}  // namespace

tresult PLUGIN_API IVST3Wrapper::getState(IBStream* state) {
  if (!state) return kResultFalse;
  HeapBuffer chunk(HeapBuffer::kBlockGranularity);
  if (!WriteState(chunk)) return kResultFalse;
  uint8_t word[kBypassWordBytes];
  PutWord(word, IsBypassed() ? 1 : 0);
  const int32_t size = chunk.Size();
  if (chunk.Append(word, kBypassWordBytes) != size + kBypassWordBytes) return kResultFalse;
  for (int32_t written = 0; written < chunk.Size();) {
    int32 count = 0;
    const int32 left = chunk.Size() - written;
    if (state->write(chunk.Data() + written, left, &count) != kResultOk || count < 1 || count > left)
      return kResultFalse;
    written += count;
  }
  return kResultOk;
}

tresult PLUGIN_API IVST3Wrapper::setState(IBStream* state) { return ReadComponentState(state); }

tresult IVST3Wrapper::ReadComponentState(IBStream* state) {
  if (!state) return kResultFalse;
  // WaveLab reports errors from streams that still have bytes to give.
  const bool readOnAfterErrors = GetHost() == kHostWaveLab;
  HeapBuffer bytes(HeapBuffer::kBlockGranularity);
  for (;;) {
    uint8_t piece[kReadPieceBytes];
    int32 count = 0;
    if (state->read(piece, kReadPieceBytes, &count) != kResultOk && !readOnAfterErrors) break;
    if (count <= 0) break;
    if (count > kReadPieceBytes || bytes.Size() + count > kMaxStateBytes) return kResultFalse;
    const int32_t before = bytes.Size();
    if (bytes.Append(piece, count) != before + count) return kResultFalse;
  }

  // A state the plug-in takes but whose bypass word is not 0 or 1 must leave the values as they were.
  HeapBuffer saved(HeapBuffer::kBlockGranularity);
  for (int32_t i = 0; i < NParams(); ++i) {
    const double value = GetParam(i)->Value();
    if (saved.Append(&value, sizeof value) != (i + 1) * static_cast<int32_t>(sizeof value))
      return kResultFalse;
  }
  const int32_t position = ReadState(bytes, 0);
  const bool wordFits = position >= 0 && position <= bytes.Size() - kBypassWordBytes;
  const uint32_t bypass = wordFits ? GetWord(bytes.Data() + position) : UINT32_MAX;
  if (bypass > 1) {
    for (int32_t i = 0; i < NParams(); ++i) {
      double value = 0;
      std::memcpy(&value, saved.Data() + i * static_cast<int32_t>(sizeof value), sizeof value);
      GetParam(i)->Set(value);
    }
    OnAllParamsChanged(ParamSource::kPreset);
    return kResultFalse;
  }
  SetBypassed(bypass == 1);
  SyncParameterObjects();
  if (IVST3BypassParameter* parameter = BypassParameter()) parameter->setNormalized(bypass);
  OnStateRestored();
  return kResultOk;
}

}  // namespace plugfw
