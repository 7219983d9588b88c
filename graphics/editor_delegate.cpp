#include "graphics/editor_delegate.h"

#include <algorithm>
#include <new>

namespace plugfw {

IEditorDelegate::IEditorDelegate(int32_t nParams) {
  for (int32_t i = 0; i < nParams; ++i) {
    IParam* param = new (std::nothrow) IParam();
    if (!param) return;
    if (!params_.Add(param)) {
      // A record the list could not take is still ours; later indices would be
      // shifted, so the list stops here rather than skipping one.
      delete param;
      return;
    }
  }
}

void* IEditorDelegate::OpenEditorWindow(void* /*parent*/) {
  OnEditorOpened();
  return nullptr;
}

void IEditorDelegate::CloseEditorWindow() { OnEditorClosing(); }

void IEditorDelegate::OnEditorOpened() { SendAllParamValuesToUI(); }

void IEditorDelegate::OnStateRestored() { SendAllParamValuesToUI(); }

void IEditorDelegate::OnParamChange(int32_t paramIdx, ParamSource /*source*/, int32_t /*sampleOffset*/) {
  if (!IsValidParamIndex(paramIdx)) return;
  ParamChanged(paramIdx);
}

void IEditorDelegate::OnAllParamsChanged(ParamSource source) {
  for (int32_t i = 0; i < NParams(); ++i) {
    OnParamChange(i, source, kNoSampleOffset);
    ParamChangedUI(i, source);
  }
}

bool IEditorDelegate::OnMessage(int32_t /*messageTag*/, int32_t /*controlTag*/, int32_t /*dataSize*/,
                                const void* /*data*/) {
  return false;
}

void IEditorDelegate::SendControlMsgToUI(int32_t controlTag, int32_t messageTag, int32_t dataSize,
                                         const void* data) {
  OnMessage(messageTag, controlTag, dataSize, data);
}

void IEditorDelegate::SendArbitraryMsgToUI(int32_t messageTag, int32_t dataSize, const void* data) {
  OnMessage(messageTag, kNoControlTag, dataSize, data);
}

void IEditorDelegate::SendMidiMsgToUI(const MidiMessage& message) { OnMidiUI(message); }

void IEditorDelegate::SendSysExToUI(const SysExRef& message) { OnSysExUI(message); }

void IEditorDelegate::SendParamValueToUI(int32_t paramIdx, double /*value*/, bool /*valueIsNormalized*/) {
  if (!IsValidParamIndex(paramIdx)) return;
  ParamChangedUI(paramIdx, ParamSource::kEditorDelegate);
}

void IEditorDelegate::SetParamFromUI(int32_t paramIdx, double normalizedValue) {
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  param->SetNormalized(normalizedValue);
  ParamChangedUI(paramIdx, ParamSource::kUI);
}

void IEditorDelegate::SendAllParamValuesToUI() {
  for (int32_t i = 0; i < NParams(); ++i) {
    SendParamValueToUI(i, GetParam(i)->GetNormalized(), true);
  }
}

bool IEditorDelegate::ConstrainEditorSize(int32_t& width, int32_t& height) const {
  const bool fits = width >= minWidth_ && width <= maxWidth_ && height >= minHeight_ && height <= maxHeight_;
  if (fits) return true;
  width = std::clamp(width, minWidth_, maxWidth_);
  height = std::clamp(height, minHeight_, maxHeight_);
  return false;
}

void IEditorDelegate::SetEditorSize(int32_t width, int32_t height) {
  editorWidth_ = width;
  editorHeight_ = height;
}

void IEditorDelegate::SetEditorSizeBounds(int32_t widthBoundA, int32_t widthBoundB, int32_t heightBoundA,
                                          int32_t heightBoundB) {
  minWidth_ = std::min(widthBoundA, widthBoundB);
  maxWidth_ = std::max(widthBoundA, widthBoundB);
  minHeight_ = std::min(heightBoundA, heightBoundB);
  maxHeight_ = std::max(heightBoundA, heightBoundB);
}

}  // namespace plugfw
