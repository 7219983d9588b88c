#include "editor/control_kind.h"

#include "effect/param_table.h"

namespace halcyra {
namespace {

// The switches among the global stepped parameters; every voice's Enabled field is one too.
constexpr int32_t kToggleParams[] = {kParamBypass,      kParamSync,        kParamAnalogNoise,
                                     kParamWetPolarity, kParamDryPolarity, kParamTransportReset,
                                     kParamAnalyzer,    kParamDcFilter};

bool IsToggleParam(int32_t paramIdx) {
  if (VoiceFieldOfParam(paramIdx) == kVoiceEnabled) return true;
  for (int32_t toggle : kToggleParams) {
    if (toggle == paramIdx) return true;
  }
  return false;
}

}  // namespace

ParameterControlKind ControlKindForParam(int32_t paramIdx) {
  if (!IsSteppedParam(paramIdx)) return ParameterControlKind::kKnob;
  return IsToggleParam(paramIdx) ? ParameterControlKind::kToggle : ParameterControlKind::kMenu;
}

}  // namespace halcyra
