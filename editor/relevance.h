#pragma once
// Which controls matter for the current settings: a voice slot is in use when the structure and
// the voice count let it sound and it is enabled; a control is shown inactive (disabled) when
// the structure or another control makes its parameter have no effect. Inactive controls keep
// their stored values. Pure functions of the plain parameter values: any thread.

#include <array>
#include <cstdint>

#include "effect/engine_smoothing.h"
#include "effect/param_table.h"

namespace plugfw {
class IEditorDelegate;
}

namespace halcyra {

// The 128 plain (not normalized) values in index order.
using PlainValues = std::array<double, kParamCount>;

// Any thread: lock-free loads of the parameter records; a record the delegate lacks reads
// as its table default.
PlainValues ReadPlainValues(const plugfw::IEditorDelegate& delegate);
// The same for one parameter; 0 for an index outside 0..127.
double ReadPlainValue(const plugfw::IEditorDelegate& delegate, int32_t paramIdx);

// The structure a plain Structure value selects; a value no record holds (not finite, far out of
// range) reads as 0, Digital Classic.
Structure StructureOf(double structureValue);
// Micro Pitch moves pitch by its heads rather than by a modulated delay: what several controls show
// differently for it.
bool IsMicroPitch(double structureValue);

// How many voices the structure lets sound: three for Tri Chorus, one for Vibrato, else eight.
int32_t StructureVoiceCap(int32_t structure);

// False for a voice outside 0..7.
bool IsVoiceInUse(const PlainValues& values, int32_t voice);

// False for an index outside 0..127.
bool IsControlInactive(const PlainValues& values, int32_t paramIdx);

// Any thread: the same over the delegate's current values.
bool IsVoiceInUse(const plugfw::IEditorDelegate& delegate, int32_t voice);
bool IsControlInactive(const plugfw::IEditorDelegate& delegate, int32_t paramIdx);

}  // namespace halcyra
