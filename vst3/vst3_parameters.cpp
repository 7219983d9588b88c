#include "vst3/vst3_parameters.h"

#include <algorithm>
#include <cmath>

#include "core/heap_string.h"
#include "vst3/vst3_midi_events.h"
#include "vst3/vst3_text.h"

namespace plugfw {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr int32_t kCannotAutomateFlag = 0x1;
constexpr double kPitchBendCentre = 0.5;

// The controllers of the MIDI standard that have names; the rest are "Contr. " and their number.
constexpr const char* kControllerNames[kMidiControllersPerChannel] = {
    "BankSel.MSB", "Modulation",   "BreathCtrl",
    "Contr. 3",    "Foot Ctrl",    "Porta.Time",
    "DataEntMSB",  "MainVolume",   "Balance",
    "Contr. 9",    "Pan",          "Expression",
    "FXControl1",  "FXControl2",   "Contr. 14",
    "Contr. 15",   "Gen.Purp.1",   "Gen.Purp.2",
    "Gen.Purp.3",  "Gen.Purp.4",   "Contr. 20",
    "Contr. 21",   "Contr. 22",    "Contr. 23",
    "Contr. 24",   "Contr. 25",    "Contr. 26",
    "Contr. 27",   "Contr. 28",    "Contr. 29",
    "Contr. 30",   "Contr. 31",    "BankSel.LSB",
    "Modul. LSB",  "BrthCt LSB",   "Contr. 35",
    "FootCt LSB",  "Port.T LSB",   "DataEntLSB",
    "MainVolLSB",  "BalanceLSB",   "Contr. 41",
    "Pan LSB",     "Expr. LSB",    "Contr. 44",
    "Contr. 45",   "Contr. 46",    "Contr. 47",
    "Gen.P.1LSB",  "Gen.P.2LSB",   "Gen.P.3LSB",
    "Gen.P.4LSB",  "Contr. 52",    "Contr. 53",
    "Contr. 54",   "Contr. 55",    "Contr. 56",
    "Contr. 57",   "Contr. 58",    "Contr. 59",
    "Contr. 60",   "Contr. 61",    "Contr. 62",
    "Contr. 63",   "Damper Ped",   "Porta. Ped",
    "Sostenuto ",  "Soft Pedal",   "Legato Sw",
    "Hold 2",      "SoundCont 1",  "SoundCont 2",
    "SoundCont 3", "SoundCont 4",  "SoundCont 5",
    "SoundCont 6", "SoundCont 7",  "SoundCont 8",
    "SoundCont 9", "SoundCont 10", "Gen.Purp.5",
    "Gen.Purp.6",  "Gen.Purp.7",   "Gen.Purp.8",
    "Portamento",  "Contr. 85",    "Contr. 86",
    "Contr. 87",   "Contr. 88",    "Contr. 89",
    "Contr. 90",   "FX 1 Depth",   "FX 2 Depth",
    "FX 3 Depth",  "FX 4 Depth",   "FX 5 Depth",
    "Data Incr",   "Data Decr",    "Non-RegLSB",
    "Non-RegMSB",  "Reg LSB",      "Reg MSB",
    "Contr. 102",  "Contr. 103",   "Contr. 104",
    "Contr. 105",  "Contr. 106",   "Contr. 107",
    "Contr. 108",  "Contr. 109",   "Contr. 110",
    "Contr. 111",  "Contr. 112",   "Contr. 113",
    "Contr. 114",  "Contr. 115",   "Contr. 116",
    "Contr. 117",  "Contr. 118",   "Contr. 119",
    "Contr. 120",  "Reset Ctrl",   "Local Ctrl",
    "AllNoteOff",  "OmniModOff",   "OmniModeOn",
    "MonoModeOn",  "PolyModeOn",   "Channel Aftertouch",
    "Pitch Bend"};
constexpr int32_t kVst3TextUnits = 128;  // String128
constexpr int32_t kUtf8TextBytes = 4 * kVst3TextUnits + 1;

int32 StepCount(const IParam& param) {
  if (param.Type() == ParamType::kDouble) return 0;
  return static_cast<int32>(param.Max() - param.Min());
}

}  // namespace

ParameterInfo DescribeParameter(const IParam& param, ParamID id, UnitID unit) {
  ParameterInfo info{};
  info.id = id;
  Utf8ToUtf16(param.Name(), info.title, kVst3TextUnits);
  info.shortTitle[0] = 0;
  Utf8ToUtf16(param.Label(), info.units, kVst3TextUnits);
  info.stepCount = StepCount(param);
  info.defaultNormalizedValue = param.GetDefault(true);
  info.unitId = unit;
  info.flags = (param.Flags() & kCannotAutomateFlag) ? 0 : ParameterInfo::kCanAutomate;
  if (param.Type() == ParamType::kEnumerated) info.flags |= ParameterInfo::kIsList;
  return info;
}

const char* MidiControllerName(int32_t controller) {
  if (controller < 0 || controller >= kMidiControllersPerChannel) return "";
  return kControllerNames[controller];
}

Parameter* MakeMidiControllerParameter(int32_t controller, UnitID unit) {
  ParameterInfo info{};
  info.id = kFirstMidiControllerId + static_cast<ParamID>(controller);
  Utf8ToUtf16(MidiControllerName(controller), info.title, kVst3TextUnits);
  info.defaultNormalizedValue = controller == kPitchBendController ? kPitchBendCentre : 0.0;
  info.unitId = unit;
  return new Parameter(info);
}

IVST3Parameter::IVST3Parameter(IParam& param, ParamID id, UnitID unit) : param_(param) {
  info = DescribeParameter(param, id, unit);
  valueNormalized = param.GetNormalized();
  precision = param.DisplayPrecision();
}

void IVST3Parameter::toString(ParamValue normalized, String128 text) const {
  HeapString display;
  param_.FormatParamDisplay(normalized, true, display);
  Utf8ToUtf16(display.Get(), text, kVst3TextUnits);
}

bool IVST3Parameter::fromString(const TChar* text, ParamValue& normalized) const {
  char utf8[kUtf8TextBytes];
  Utf16ToUtf8(text, utf8, sizeof utf8);
  // Text that names no value must not set one: "abc" is not 0, and "nan" or "inf" no number.
  double parsed = 0;
  if (!param_.TryParseParamText(utf8, parsed) || !std::isfinite(parsed)) return false;
  normalized = param_.ToNormalized(parsed);
  return true;
}

ParamValue IVST3Parameter::toPlain(ParamValue normalized) const { return param_.FromNormalized(normalized); }

ParamValue IVST3Parameter::toNormalized(ParamValue plain) const { return param_.ToNormalized(plain); }

IVST3BypassParameter::IVST3BypassParameter()
    : StringListParameter(STR16("Bypass"), kBypassParamId, nullptr,
                          ParameterInfo::kCanAutomate | ParameterInfo::kIsList | ParameterInfo::kIsBypass,
                          kRootUnitId, nullptr) {
  appendString(STR16("off"));
  appendString(STR16("on"));
}

}  // namespace plugfw

namespace plugfw {

void IVST3BypassParameter::toString(Steinberg::Vst::ParamValue valueNormalized,
                                    Steinberg::Vst::String128 text) const {
  const double position = std::isfinite(valueNormalized) ? std::clamp(valueNormalized, 0.0, 1.0) : 0.0;
  StringListParameter::toString(position, text);
}

}  // namespace plugfw
