#pragma once
// A small VST3 host written on the SDK's interface headers only: it loads the bundle's DLL, creates
// and initialises the one component, and feeds it processing data, parameter changes and state
// streams that it owns itself. Host objects live on the test's stack and count their references
// without deleting themselves, so a test can see what the plug-in still holds. Single-threaded
// unless a test says otherwise; the recording handler may be called from any thread.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"

namespace halcyra_test {

using Steinberg::int32;
using Steinberg::tresult;
using Steinberg::uint32;

constexpr tresult kInvalidArgumentResult = static_cast<tresult>(0x80070057);
constexpr Steinberg::Vst::ParamID kBypassParamId = 0x10000;

std::string ToUtf8(const Steinberg::Vst::TChar* text);
std::string FixedText(const char* field, size_t size);  // up to the first zero or the field's end

// ---------------------------------------------------------------------------------------------
// The module: LoadLibrary, InitDll, and the reverse on destruction (ExitDll, FreeLibrary).

class PluginModule {
 public:
  using BoolEntry = bool (*)();
  using FactoryEntry = Steinberg::IPluginFactory* (*)();

  explicit PluginModule(const wchar_t* path);
  ~PluginModule();
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  bool Loaded() const { return handle_ != nullptr && initDll_ && exitDll_ && getFactory_; }
  bool InitResult() const { return initResult_; }
  HMODULE Handle() const { return handle_; }
  bool InitDll() const { return initDll_(); }
  bool ExitDll() const { return exitDll_(); }
  // A new reference to the factory; the caller releases it.
  Steinberg::IPluginFactory* GetFactory() const { return getFactory_(); }

 private:
  HMODULE handle_ = nullptr;
  BoolEntry initDll_ = nullptr;
  BoolEntry exitDll_ = nullptr;
  FactoryEntry getFactory_ = nullptr;
  bool initResult_ = false;
};

// The path of the DLL inside the bundle, as this build placed it.
const wchar_t* PluginDllPath();

// The bundle's module loaded with a reference to its factory, for a test's lifetime: the reference
// is released and the module unloaded again on destruction. Factory() is null when loading failed.
class LoadedFactory {
 public:
  LoadedFactory() : module_(PluginDllPath()), factory_(module_.Loaded() ? module_.GetFactory() : nullptr) {}
  ~LoadedFactory() {
    if (factory_) factory_->release();
  }
  LoadedFactory(const LoadedFactory&) = delete;
  LoadedFactory& operator=(const LoadedFactory&) = delete;

  Steinberg::IPluginFactory* Factory() const { return factory_; }

 private:
  PluginModule module_;
  Steinberg::IPluginFactory* factory_;
};

// ---------------------------------------------------------------------------------------------
// Host objects.

class HostApplication : public Steinberg::Vst::IHostApplication {
 public:
  static constexpr const wchar_t* kName = L"HALCYRA Test Host";
  tresult PLUGIN_API getName(Steinberg::Vst::String128 name) override;
  tresult PLUGIN_API createInstance(Steinberg::TUID, Steinberg::TUID, void** obj) override;
  tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  uint32 PLUGIN_API addRef() override { return ++references_; }
  uint32 PLUGIN_API release() override { return --references_; }
  int References() const { return references_; }
  int NameQueries() const { return nameQueries_; }

 private:
  std::atomic<int> references_{1};
  std::atomic<int> nameQueries_{0};
};

// Records every call. When it knows the controller it checks, inside performEdit, that the
// controller already answers the value being performed.
class RecordingComponentHandler : public Steinberg::Vst::IComponentHandler,
                                  public Steinberg::Vst::IComponentHandler2 {
 public:
  struct Edit {
    char kind;  // 'b' begin, 'p' perform, 'e' end
    Steinberg::Vst::ParamID id;
    double value;
  };

  void WatchController(Steinberg::Vst::IEditController* controller) { controller_ = controller; }
  // Set by the host around calls during which the plug-in must not restart the component.
  void SetInsideActivation(bool inside) { insideActivation_ = inside; }

  tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID id) override;
  tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue value) override;
  tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID id) override;
  tresult PLUGIN_API restartComponent(int32 flags) override;
  tresult PLUGIN_API setDirty(Steinberg::TBool) override { return Steinberg::kResultOk; }
  tresult PLUGIN_API requestOpenEditor(Steinberg::FIDString) override { return Steinberg::kResultFalse; }
  tresult PLUGIN_API startGroupEdit() override;
  tresult PLUGIN_API finishGroupEdit() override;

  tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  uint32 PLUGIN_API addRef() override { return ++references_; }
  uint32 PLUGIN_API release() override { return --references_; }
  int References() const { return references_; }

  std::vector<Edit> Edits() const;
  std::vector<int32> Restarts() const;
  int RestartsInsideActivation() const { return restartsInsideActivation_; }
  // performEdit calls whose value the controller did not answer yet.
  int StaleReadBacks() const { return staleReadBacks_; }

 private:
  mutable std::mutex mutex_;
  std::vector<Edit> edits_;
  std::vector<int32> restarts_;
  std::atomic<Steinberg::Vst::IEditController*> controller_{nullptr};
  std::atomic<bool> insideActivation_{false};
  std::atomic<int> restartsInsideActivation_{0};
  std::atomic<int> staleReadBacks_{0};
  std::atomic<int> references_{1};
};

class ParamValueQueue : public Steinberg::Vst::IParamValueQueue {
 public:
  explicit ParamValueQueue(Steinberg::Vst::ParamID id) : id_(id) {}
  void Add(int32 offset, double value) { points_.push_back({offset, value}); }

  Steinberg::Vst::ParamID PLUGIN_API getParameterId() override { return id_; }
  int32 PLUGIN_API getPointCount() override { return static_cast<int32>(points_.size()); }
  tresult PLUGIN_API getPoint(int32 index, int32& offset, Steinberg::Vst::ParamValue& value) override;
  tresult PLUGIN_API addPoint(int32 offset, Steinberg::Vst::ParamValue value, int32& index) override;
  tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  uint32 PLUGIN_API addRef() override { return 1; }
  uint32 PLUGIN_API release() override { return 1; }

 private:
  struct Point {
    int32 offset;
    double value;
  };
  Steinberg::Vst::ParamID id_;
  std::vector<Point> points_;
};

class ParameterChanges : public Steinberg::Vst::IParameterChanges {
 public:
  ParamValueQueue& Queue(Steinberg::Vst::ParamID id);  // a new queue for the identifier
  void Clear() { queues_.clear(); }
  bool Empty() const { return queues_.empty(); }

  int32 PLUGIN_API getParameterCount() override { return static_cast<int32>(queues_.size()); }
  Steinberg::Vst::IParamValueQueue* PLUGIN_API getParameterData(int32 index) override;
  Steinberg::Vst::IParamValueQueue* PLUGIN_API addParameterData(const Steinberg::Vst::ParamID& id,
                                                                int32& index) override;
  tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  uint32 PLUGIN_API addRef() override { return 1; }
  uint32 PLUGIN_API release() override { return 1; }

 private:
  std::vector<std::unique_ptr<ParamValueQueue>> queues_;
};

// A memory stream with the misbehaviours a host's stream can have.
class TestStream : public Steinberg::IBStream {
 public:
  TestStream() = default;
  explicit TestStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  int32 maxChunk = 0x7FFFFFFF;  // at most this many bytes per read or write call
  int failOnCall = -1;          // the read or write call (0-based) that answers kResultFalse
  int32 writeLimit = -1;        // total bytes a write accepts before reporting 0 written; -1 none

  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  void Rewind() {
    position_ = 0;
    calls_ = 0;
  }

  tresult PLUGIN_API read(void* buffer, int32 count, int32* done) override;
  tresult PLUGIN_API write(void* buffer, int32 count, int32* done) override;
  tresult PLUGIN_API seek(Steinberg::int64 pos, int32 mode, Steinberg::int64* result) override;
  tresult PLUGIN_API tell(Steinberg::int64* pos) override;
  tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  uint32 PLUGIN_API addRef() override { return 1; }
  uint32 PLUGIN_API release() override { return 1; }

 private:
  std::vector<uint8_t> bytes_;
  size_t position_ = 0;
  int calls_ = 0;
};

// ---------------------------------------------------------------------------------------------
// One plug-in instance: created from the factory's class, initialised with the host context,
// terminated and released on destruction.

class PluginInstance {
 public:
  explicit PluginInstance(Steinberg::IPluginFactory* factory, HostApplication* host,
                          RecordingComponentHandler* handler = nullptr);
  ~PluginInstance();
  PluginInstance(const PluginInstance&) = delete;
  PluginInstance& operator=(const PluginInstance&) = delete;

  bool Ready() const {
    return component && processor && controller && initializeResult == Steinberg::kResultOk;
  }

  // setupProcessing, setActive(true), setProcessing(true); false when any step failed.
  bool Start(double sampleRate, int32 maxBlock, int32 sampleSize = Steinberg::Vst::kSample32);
  void Stop();  // setProcessing(false), setActive(false)

  // The current state as the plug-in writes it; empty when getState failed.
  std::vector<uint8_t> State();
  float StateValue(int index);  // current value of parameter `index` from the state

  Steinberg::Vst::IComponent* component = nullptr;
  Steinberg::Vst::IAudioProcessor* processor = nullptr;
  Steinberg::Vst::IEditController* controller = nullptr;
  tresult initializeResult = Steinberg::kResultFalse;

 private:
  RecordingComponentHandler* handler_;
  bool active_ = false;
  bool processing_ = false;
};

// The class ID that the factory's one class must have.
void ExpectedClassId(Steinberg::TUID out);

// ---------------------------------------------------------------------------------------------
// Audio buffers for one block: owned channel storage, bus records and the processing data.

enum class Placement { kSeparate, kInPlace };

class AudioBlock {
 public:
  // Main input, optional sidechain, one output bus; channel counts 0..2.
  AudioBlock(int32 frames, int32 inputChannels, int32 outputChannels, int32 sampleSize,
             int32 sidechainChannels = -1, Placement placement = Placement::kSeparate);
  AudioBlock(const AudioBlock&) = delete;  // the bus records point into this object
  AudioBlock& operator=(const AudioBlock&) = delete;

  Steinberg::Vst::ProcessData& Data() { return data_; }
  Steinberg::Vst::AudioBusBuffers& Input(int bus) { return inputs_[bus]; }
  Steinberg::Vst::AudioBusBuffers& Output() { return outputs_[0]; }
  int32 Frames() const { return frames_; }

  void SetInput(int bus, int channel, const float* samples);  // frames samples
  void FillOutput(double value);
  double OutputSample(int channel, int32 frame) const;
  std::vector<float> OutputChannel(int channel) const;
  // Every channel's storage reaches past the frames, filled with a marker; false when a write
  // went beyond the block (a plug-in taking 32-bit buffers for 64-bit ones, or the frame count on trust).
  bool GuardsIntact() const;

 private:
  int32 frames_;
  int32 sampleSize_;
  std::vector<std::vector<float>> in32_[2], out32_;
  std::vector<std::vector<double>> in64_[2], out64_;
  // After each bus's channels its pointer array holds one spare, guard-filled channel, so a
  // plug-in that trusts a channel count one too high reads memory of ours and is caught.
  std::vector<float> spare32_;
  std::vector<double> spare64_;
  std::vector<float*> inPtr32_[2], outPtr32_;
  std::vector<double*> inPtr64_[2], outPtr64_;
  // One spare entry on each side, so a block that announces one bus too many reads no stray memory.
  Steinberg::Vst::AudioBusBuffers inputs_[3];
  Steinberg::Vst::AudioBusBuffers outputs_[2];
  Steinberg::Vst::ProcessData data_;
};

// Deterministic test signals.
std::vector<float> Sine(int32 frames, double frequency, double sampleRate, double amplitude,
                        int32 startFrame = 0);
double Rms(const std::vector<float>& samples, size_t from = 0);

}  // namespace halcyra_test
