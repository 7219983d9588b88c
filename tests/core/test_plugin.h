#pragma once
// Test doubles for the plug-in's base chain: RecordingDelegate logs every hook the
// delegate runs, in order, as short texts the tests compare; TestPlugin is a plug-in base
// with a small configuration of its own. Single-threaded unless a test says otherwise.

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "core/api_base.h"
#include "core/param.h"
#include "core/plugin_base.h"
#include "core/plugin_config.h"
#include "core/queue_messages.h"
#include "graphics/editor_delegate.h"

namespace plugfw::test {

template <typename Base>
class RecordingDelegate : public Base {
 public:
  using Base::Base;

  std::vector<std::string> calls;
  const void* lastMessageData = nullptr;

  void ParamChanged(int32_t paramIdx) override { Record("ParamChanged(%d)", paramIdx); }
  void OnParamChange(int32_t paramIdx, ParamSource source, int32_t sampleOffset) override {
    Record("OnParamChange(%d,%s,%d)", paramIdx, ParamSourceName(source), sampleOffset);
    Base::OnParamChange(paramIdx, source, sampleOffset);
  }
  void ParamChangedUI(int32_t paramIdx, ParamSource source) override {
    Record("ParamChangedUI(%d,%s)", paramIdx, ParamSourceName(source));
  }
  void SendParamValueToUI(int32_t paramIdx, double value, bool valueIsNormalized) override {
    Record("SendParamValueToUI(%d,%g,%s)", paramIdx, value, valueIsNormalized ? "normalized" : "real");
    Base::SendParamValueToUI(paramIdx, value, valueIsNormalized);
  }
  bool OnMessage(int32_t messageTag, int32_t controlTag, int32_t dataSize, const void* data) override {
    Record("OnMessage(%d,%d,%d)", messageTag, controlTag, dataSize);
    lastMessageData = data;
    return Base::OnMessage(messageTag, controlTag, dataSize, data);
  }
  void OnMidiUI(const MidiMessage& message) override {
    Record("OnMidiUI(%d,%d,%d,%d)", message.sampleOffset, message.status, message.data1, message.data2);
  }
  void OnSysExUI(const SysExRef& message) override {
    Record("OnSysExUI(%d,%d)", message.sampleOffset, message.size);
  }
  void OnEditorOpened() override {
    Record("OnEditorOpened");
    Base::OnEditorOpened();
  }
  void OnEditorClosing() override { Record("OnEditorClosing"); }
  void BeginParamEditFromUI(int32_t paramIdx) override { Record("BeginParamEditFromUI(%d)", paramIdx); }
  void EndParamEditFromUI(int32_t paramIdx) override { Record("EndParamEditFromUI(%d)", paramIdx); }

 protected:
  void Record(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
  {
    char text[160];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    calls.emplace_back(text);
  }
};

using TestDelegate = RecordingDelegate<IEditorDelegate>;

// A configuration unlike the product's in every value the bases copy, so a field
// taken from the wrong place shows. The editor bounds come larger first.
inline PluginConfig MakeTestConfig() {
  PluginConfig config;
  config.paramCount = 4;
  config.presetCount = 3;
  config.channelIOStr = "2-2";
  config.pluginName = "Test Plug";
  config.productName = "Test Product";
  config.makerName = "Test Maker";
  config.version = PackVersion(3, 10, 2);
  config.uniqueId = FourCharCode("Tst1");
  config.makerId = FourCharCode("Tsmk");
  config.stateFlag = 1;
  config.editorPresent = 1;
  config.editorWidth = 600;
  config.editorHeight = 400;
  config.editorWidthBoundA = 1200;
  config.editorWidthBoundB = 300;
  config.editorHeightBoundA = 800;
  config.editorHeightBoundB = 200;
  config.hostMayResize = 0;
  config.extraTextA = "first";
  config.extraTextB = "second";
  return config;
}

class TestPlugin : public RecordingDelegate<IPluginBase> {
 public:
  explicit TestPlugin(const PluginConfig& config = MakeTestConfig(), int32_t apiKind = kApiKindStandalone)
      : RecordingDelegate<IPluginBase>(config.paramCount, config.presetCount) {
    CopyConfig(config, apiKind);
  }

  void OnHostIdentified() override { Record("OnHostIdentified(%d)", GetHost()); }
  void OnHostSettled() override { Record("OnHostSettled"); }
};

// An API base that records what it would tell the host and when the drain ends.
class TestApi : public RecordingDelegate<IApiBase> {
 public:
  explicit TestApi(const PluginConfig& config = MakeTestConfig(), int32_t apiKind = kApiKindStandalone)
      : RecordingDelegate<IApiBase>(config, apiKind) {}

  bool resizeAnswer = false;

  // The API base's own routing, not the recording stand-ins of the plain delegate.
  void BeginParamEditFromUI(int32_t paramIdx) override { IApiBase::BeginParamEditFromUI(paramIdx); }
  void EndParamEditFromUI(int32_t paramIdx) override { IApiBase::EndParamEditFromUI(paramIdx); }

  void SendParamValueToHost(int32_t paramIdx, double normalizedValue) override {
    Record("SendParamValueToHost(%d,%g)", paramIdx, normalizedValue);
  }
  void BeginHostParamEdit(int32_t paramIdx) override { Record("BeginHostParamEdit(%d)", paramIdx); }
  void EndHostParamEdit(int32_t paramIdx) override { Record("EndHostParamEdit(%d)", paramIdx); }
  bool RequestEditorResize(int32_t width, int32_t height) override {
    Record("RequestEditorResize(%d,%d)", width, height);
    return resizeAnswer;
  }
  void OnIdleTick() override { Record("OnIdleTick"); }
};

}  // namespace plugfw::test
