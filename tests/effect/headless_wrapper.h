#pragma once
// A wrapper for testing the plug-in class without a host: the API base and the processor
// base as the real wrappers combine them, every channel connected, and a log of what the
// plug-in tells the host and the editor. The tests drive ProcessAudio directly.

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "core/api_base.h"
#include "core/plugin_config.h"
#include "core/processor.h"

namespace plugfw::test {

class HeadlessWrapper : public IApiBase, public IProcessor {
 public:
  struct InstanceInfo {};

  enum class Call { kBeginEdit, kSendToHost, kEndEdit, kSendToUI };
  struct Logged {
    Call call;
    int32_t paramIdx;
    double value;
  };

  HeadlessWrapper(const InstanceInfo& /*info*/, const PluginConfig& config)
      : IApiBase(config, kApiKindStandalone), IProcessor(config) {
    SetChannelsConnected(IODirection::kInput, 0, ChannelCount(IODirection::kInput), true);
    SetChannelsConnected(IODirection::kOutput, 0, ChannelCount(IODirection::kOutput), true);
  }

  bool IsComplete() const { return QueuesAllocated() && ChannelsComplete(); }

  bool SendMidiMessage(const MidiMessage& /*message*/) override { return false; }

  void BeginHostParamEdit(int32_t paramIdx) override { Record({Call::kBeginEdit, paramIdx, 0}); }
  void SendParamValueToHost(int32_t paramIdx, double normalized) override {
    Record({Call::kSendToHost, paramIdx, normalized});
  }
  void EndHostParamEdit(int32_t paramIdx) override { Record({Call::kEndEdit, paramIdx, 0}); }
  void SendParamValueToUI(int32_t paramIdx, double value, bool valueIsNormalized) override {
    if (logUiSends) Record({Call::kSendToUI, paramIdx, value});
    IApiBase::SendParamValueToUI(paramIdx, value, valueIsNormalized);
  }

  // The editor's requests for another host size; some hosts answer from inside the request.
  bool RequestEditorResize(int32_t width, int32_t height) override {
    editorResizeRequests.emplace_back(width, height);
    if (duringEditorResize) duringEditorResize(width, height);
    return true;
  }

  size_t CountOf(Call call) const {
    size_t count = 0;
    for (const Logged& entry : log) count += entry.call == call;
    return count;
  }

  std::vector<Logged> log;
  // When set, the log is copied here as well, for a test that reads it after the plug-in has gone.
  std::vector<Logged>* logOutlivingPlugin = nullptr;
  bool logUiSends = true;
  std::vector<std::pair<int32_t, int32_t>> editorResizeRequests;
  std::function<void(int32_t width, int32_t height)> duringEditorResize;

 private:
  void Record(const Logged& entry) {
    log.push_back(entry);
    if (logOutlivingPlugin != nullptr) logOutlivingPlugin->push_back(entry);
  }
};

}  // namespace plugfw::test

namespace halcyra {
using PluginWrapper = plugfw::test::HeadlessWrapper;
}
