#pragma once
// Which control edits a parameter: continuous parameters get a knob, on/off switches a toggle
// button, and every other stepped parameter a menu of its value labels. Pure: any thread.

#include <cstdint>

namespace halcyra {

enum class ParameterControlKind { kKnob, kToggle, kMenu };

// Knob for an index outside 0..127, as such an index is not stepped.
ParameterControlKind ControlKindForParam(int32_t paramIdx);

}  // namespace halcyra
