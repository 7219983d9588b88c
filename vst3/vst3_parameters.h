#pragma once
// The VST3 parameter objects: IVST3Parameter mirrors one framework parameter (display text,
// parsing and the shape's mapping are the parameter's own); IVST3BypassParameter is the host's
// bypass switch; a plug-in that takes MIDI gets one plain parameter per MIDI controller of
// channel 1. UI thread: the host's controller calls; built and dropped at set-up.

#include "core/param.h"
#include "public.sdk/source/vst/vstparameters.h"

namespace plugfw {

constexpr Steinberg::Vst::ParamID kBypassParamId = 0x10000;
constexpr Steinberg::Vst::ParamID kPresetParamId = 0x10001;  // reserved; never created

// Any thread: read-only parameter facts. The parameter's ParameterInfo as the host sees it: id,
// name, units, steps, default, flags.
Steinberg::Vst::ParameterInfo DescribeParameter(const IParam& param, Steinberg::Vst::ParamID id,
                                                Steinberg::Vst::UnitID unit);

// Any thread: a constant. The name of MIDI controller 0..127 ("Modulation", "Contr. 3"), of
// channel pressure (128) and of pitch bend (129), "" for any other number.
const char* MidiControllerName(int32_t controller);

// Set-up. The parameter of MIDI controller 0..129 of channel 1 in `unit`: no units, continuous,
// not automatable, resting at 0 (pitch bend at its centre, 0.5).
Steinberg::Vst::Parameter* MakeMidiControllerParameter(int32_t controller, Steinberg::Vst::UnitID unit);

class IVST3Parameter : public Steinberg::Vst::Parameter {
 public:
  // Set-up. Starts at the parameter's current value, which a state loaded earlier may have set.
  IVST3Parameter(IParam& param, Steinberg::Vst::ParamID id, Steinberg::Vst::UnitID unit);

  // UI thread.
  void toString(Steinberg::Vst::ParamValue valueNormalized, Steinberg::Vst::String128 text) const override;
  // A display text (in any case) or a number; false, changing nothing, for any other text and for
  // one that spells a value that is not a finite number.
  bool fromString(const Steinberg::Vst::TChar* text,
                  Steinberg::Vst::ParamValue& valueNormalized) const override;
  Steinberg::Vst::ParamValue toPlain(Steinberg::Vst::ParamValue valueNormalized) const override;
  Steinberg::Vst::ParamValue toNormalized(Steinberg::Vst::ParamValue plainValue) const override;

  OBJ_METHODS(IVST3Parameter, Parameter)

 private:
  IParam& param_;
};

class IVST3BypassParameter : public Steinberg::Vst::StringListParameter {
 public:
  // Set-up.
  IVST3BypassParameter();
  // UI thread. A value outside 0..1 (or not a number) names the nearest switch position.
  void toString(Steinberg::Vst::ParamValue valueNormalized, Steinberg::Vst::String128 text) const override;
  OBJ_METHODS(IVST3BypassParameter, StringListParameter)
};

}  // namespace plugfw
