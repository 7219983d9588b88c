#include "core/api_base.h"

#include <cmath>
#include <cstring>

namespace plugfw {

IApiBase::IApiBase(const PluginConfig& config, int32_t apiKind)
    : IPluginBase(config.paramCount, config.presetCount) {
  CopyConfig(config, apiKind);
}

IApiBase::~IApiBase() {
  // A tick must not reach a half-destroyed object.
  if (apiTimer_) apiTimer_->Stop();
}

bool IApiBase::QueuesAllocated() const {
  return paramsToEditor_.IsValid() && midiFromEditor_.IsValid() && midiToEditor_.IsValid() &&
         sysExFromEditor_.IsValid() && sysExToEditor_.IsValid();
}

void IApiBase::ReportAllParamsToHost() {
  for (int32_t i = 0; i < NParams(); ++i) SendParamValueToHost(i, GetParam(i)->GetNormalized());
}

void IApiBase::BeginParamEditFromUI(int32_t paramIdx) {
  if (IsValidParamIndex(paramIdx)) BeginHostParamEdit(paramIdx);
}

void IApiBase::SetParamFromUI(int32_t paramIdx, double normalizedValue) {
  if (!IsValidParamIndex(paramIdx)) return;
  SetParamValueAndInformHost(paramIdx, normalizedValue);
  ParamChangedUI(paramIdx, ParamSource::kUI);
}

void IApiBase::EndParamEditFromUI(int32_t paramIdx) {
  if (IsValidParamIndex(paramIdx)) EndHostParamEdit(paramIdx);
}

bool IApiBase::ResizeFromUI(int32_t width, int32_t height, bool resizeHost) {
  return resizeHost ? RequestEditorResize(width, height) : true;
}

void IApiBase::SendMidiFromUI(const MidiMessage& message) { PushMidiFromUI(message); }

void IApiBase::SendSysExFromUI(const SysExRef& message) { PushSysExFromUI(message); }

void IApiBase::SendMessageFromUI(int32_t messageTag, int32_t controlTag, int32_t dataSize, const void* data) {
  OnMessage(messageTag, controlTag, dataSize, data);
}

void IApiBase::PushMidiFromUI(const MidiMessage& message) { midiFromEditor_.Push(message); }

void IApiBase::PushSysExFromUI(const SysExRef& message) {
  SysExMessage item;
  if (BuildSysExMessage(message, item)) sysExFromEditor_.Push(item);
}

bool IApiBase::PushSysExToEditor(const SysExRef& message) {
  SysExMessage item;
  return BuildSysExMessage(message, item) && sysExToEditor_.Push(item);
}

bool IApiBase::BuildSysExMessage(const SysExRef& from, SysExMessage& to) {
  if (from.size < 0 || from.size > kSysExMaxBytes) return false;
  to.sampleOffset = from.sampleOffset;
  to.size = from.size;
  std::memset(to.data, 0, sizeof to.data);
  if (from.data) std::memcpy(to.data, from.data, static_cast<size_t>(from.size));
  return true;
}

void IApiBase::SetParamValueAndInformHost(int32_t paramIdx, double normalizedValue) {
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  param->SetNormalized(normalizedValue);
  // The host must hear what was stored (stepped, clamped), not the raw input.
  SendParamValueToHost(paramIdx, param->GetNormalized());
  OnParamChange(paramIdx, ParamSource::kUI, kNoSampleOffset);
}

bool IApiBase::CompareState(const double* values, int32_t count, int32_t startIndex) const {
  if (!values || startIndex < 0 || static_cast<int64_t>(startIndex) + NParams() > count) return false;
  for (int32_t i = 0; i < NParams(); ++i) {
    const float current = static_cast<float>(GetParam(i)->Value());
    const float stored = static_cast<float>(values[startIndex + i]);
    if (!(std::fabs(current - stored) < kCompareStateTolerance)) return false;
  }
  return true;
}

bool IApiBase::AppendParamIndices(int32_t count, HeapBuffer& indices) const {
  if (count >= NParams()) return true;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t before = indices.Size();
    if (indices.Append(&i, sizeof i) != before + static_cast<int32_t>(sizeof i)) return false;
  }
  return true;
}

bool IApiBase::LookupText(const char* /*key*/, HeapString& text) const {
  text.Set("");
  return false;
}

int32_t IApiBase::GetChannelColor(int32_t& red, int32_t& green, int32_t& blue) const {
  red = green = blue = 0;
  return 0;
}

void IApiBase::PushParamChangeFromProcessor(int32_t paramIdx, double value, bool valueIsNormalized) {
  const IParam* param = GetParam(paramIdx);
  if (!param) return;
  const double realValue = valueIsNormalized ? param->FromNormalized(value) : value;
  paramsToEditor_.Push(ParamChange{paramIdx, realValue});
}

void IApiBase::CreateApiTimer() {
  apiTimer_.reset();  // the old timer stops before its replacement starts
  apiTimer_ = TimerCreate([this](Timer&) { DrainProcessorQueues(); }, kApiTimerPeriodMs);
}

void IApiBase::DrainProcessorQueues() {
  ParamChange change;
  while (paramsToEditor_.Pop(change)) SendParamValueToUI(change.paramIndex, change.value, false);
  MidiMessage midi;
  while (midiToEditor_.Pop(midi)) SendMidiMsgToUI(midi);
  while (sysExToEditor_.Pop(drainLanding_)) {
    SendSysExToUI(SysExRef{drainLanding_.sampleOffset, drainLanding_.size, drainLanding_.data});
  }
  OnIdleTick();
}

}  // namespace plugfw
