#include "tests/vst3/vst3_host.h"

#include <algorithm>
#include <cmath>

#include <cstring>
#include "core/math_constants.h"

#include "effect/state_chunk.h"

namespace halcyra_test {

using namespace Steinberg;
using namespace Steinberg::Vst;

std::string ToUtf8(const TChar* text) {
  std::string out;
  for (; text && *text; ++text) {
    const auto unit = static_cast<uint32_t>(static_cast<uint16_t>(*text));
    if (unit < 0x80) {
      out += static_cast<char>(unit);
    } else if (unit < 0x800) {
      out += static_cast<char>(0xC0 | (unit >> 6));
      out += static_cast<char>(0x80 | (unit & 0x3F));
    } else {  // the texts checked here hold no surrogate pairs
      out += static_cast<char>(0xE0 | (unit >> 12));
      out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (unit & 0x3F));
    }
  }
  return out;
}

std::string FixedText(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }

// ---------------------------------------------------------------------------------------------

PluginModule::PluginModule(const wchar_t* path) : handle_(LoadLibraryW(path)) {
  if (!handle_) return;
  initDll_ = reinterpret_cast<BoolEntry>(reinterpret_cast<void*>(GetProcAddress(handle_, "InitDll")));
  exitDll_ = reinterpret_cast<BoolEntry>(reinterpret_cast<void*>(GetProcAddress(handle_, "ExitDll")));
  getFactory_ =
      reinterpret_cast<FactoryEntry>(reinterpret_cast<void*>(GetProcAddress(handle_, "GetPluginFactory")));
  if (initDll_) initResult_ = initDll_();
}

PluginModule::~PluginModule() {
  if (!handle_) return;
  if (initResult_ && exitDll_) exitDll_();
  FreeLibrary(handle_);
}

const wchar_t* PluginDllPath() { return HALCYRA_VST3_DLL; }

// ---------------------------------------------------------------------------------------------

template <typename Interface, typename Object>
static tresult AnswerInterface(Object* self, const TUID iid, void** obj) {
  if (FUnknownPrivate::iidEqual(iid, Interface::iid) || FUnknownPrivate::iidEqual(iid, FUnknown::iid)) {
    self->addRef();
    *obj = static_cast<Interface*>(self);
    return kResultOk;
  }
  *obj = nullptr;
  return kNoInterface;
}

tresult PLUGIN_API HostApplication::getName(String128 name) {
  ++nameQueries_;
  std::memset(name, 0, sizeof(String128));
  std::wcsncpy(reinterpret_cast<wchar_t*>(name), kName, 127);
  return kResultOk;
}

tresult PLUGIN_API HostApplication::createInstance(TUID, TUID, void** obj) {
  *obj = nullptr;
  return kResultFalse;
}

tresult PLUGIN_API HostApplication::queryInterface(const TUID iid, void** obj) {
  return AnswerInterface<IHostApplication>(this, iid, obj);
}

tresult PLUGIN_API RecordingComponentHandler::beginEdit(ParamID id) {
  std::lock_guard<std::mutex> lock(mutex_);
  edits_.push_back({'b', id, 0.0});
  return kResultOk;
}

tresult PLUGIN_API RecordingComponentHandler::performEdit(ParamID id, ParamValue value) {
  if (IEditController* controller = controller_.load()) {
    if (controller->getParamNormalized(id) != value) ++staleReadBacks_;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  edits_.push_back({'p', id, value});
  return kResultOk;
}

tresult PLUGIN_API RecordingComponentHandler::endEdit(ParamID id) {
  std::lock_guard<std::mutex> lock(mutex_);
  edits_.push_back({'e', id, 0.0});
  return kResultOk;
}

tresult PLUGIN_API RecordingComponentHandler::restartComponent(int32 flags) {
  if (insideActivation_) ++restartsInsideActivation_;
  std::lock_guard<std::mutex> lock(mutex_);
  restarts_.push_back(flags);
  return kResultOk;
}

tresult PLUGIN_API RecordingComponentHandler::startGroupEdit() { return kResultOk; }
tresult PLUGIN_API RecordingComponentHandler::finishGroupEdit() { return kResultOk; }

tresult PLUGIN_API RecordingComponentHandler::queryInterface(const TUID iid, void** obj) {
  if (FUnknownPrivate::iidEqual(iid, IComponentHandler2::iid)) {
    addRef();
    *obj = static_cast<IComponentHandler2*>(this);
    return kResultOk;
  }
  return AnswerInterface<IComponentHandler>(this, iid, obj);
}

std::vector<RecordingComponentHandler::Edit> RecordingComponentHandler::Edits() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return edits_;
}

std::vector<int32> RecordingComponentHandler::Restarts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return restarts_;
}

tresult PLUGIN_API ParamValueQueue::getPoint(int32 index, int32& offset, ParamValue& value) {
  if (index < 0 || index >= getPointCount()) return kResultFalse;
  offset = points_[index].offset;
  value = points_[index].value;
  return kResultOk;
}

tresult PLUGIN_API ParamValueQueue::addPoint(int32 offset, ParamValue value, int32& index) {
  index = getPointCount();
  points_.push_back({offset, value});
  return kResultOk;
}

tresult PLUGIN_API ParamValueQueue::queryInterface(const TUID iid, void** obj) {
  return AnswerInterface<IParamValueQueue>(this, iid, obj);
}

ParamValueQueue& ParameterChanges::Queue(ParamID id) {
  queues_.push_back(std::make_unique<ParamValueQueue>(id));
  return *queues_.back();
}

IParamValueQueue* PLUGIN_API ParameterChanges::getParameterData(int32 index) {
  return index >= 0 && index < getParameterCount() ? queues_[index].get() : nullptr;
}

IParamValueQueue* PLUGIN_API ParameterChanges::addParameterData(const ParamID& id, int32& index) {
  index = getParameterCount();
  return &Queue(id);
}

tresult PLUGIN_API ParameterChanges::queryInterface(const TUID iid, void** obj) {
  return AnswerInterface<IParameterChanges>(this, iid, obj);
}

tresult PLUGIN_API TestStream::read(void* buffer, int32 count, int32* done) {
  if (done) *done = 0;
  if (calls_++ == failOnCall) return kResultFalse;
  if (count < 0) return kInvalidArgument;
  const size_t left = bytes_.size() - std::min(position_, bytes_.size());
  const size_t n = std::min({static_cast<size_t>(count), left, static_cast<size_t>(maxChunk)});
  if (n > 0) std::memcpy(buffer, bytes_.data() + position_, n);
  position_ += n;
  if (done) *done = static_cast<int32>(n);
  return kResultOk;
}

tresult PLUGIN_API TestStream::write(void* buffer, int32 count, int32* done) {
  if (done) *done = 0;
  if (calls_++ == failOnCall) return kResultFalse;
  if (count < 0) return kInvalidArgument;
  size_t n = std::min(static_cast<size_t>(count), static_cast<size_t>(maxChunk));
  if (writeLimit >= 0)
    n = std::min(n, static_cast<size_t>(writeLimit) - std::min(position_, static_cast<size_t>(writeLimit)));
  if (bytes_.size() < position_ + n) bytes_.resize(position_ + n);
  if (n > 0) std::memcpy(bytes_.data() + position_, buffer, n);
  position_ += n;
  if (done) *done = static_cast<int32>(n);
  return kResultOk;
}

tresult PLUGIN_API TestStream::seek(int64 pos, int32 mode, int64* result) {
  int64 base = 0;
  if (mode == kIBSeekCur) base = static_cast<int64>(position_);
  if (mode == kIBSeekEnd) base = static_cast<int64>(bytes_.size());
  if (base + pos < 0) return kResultFalse;
  position_ = static_cast<size_t>(base + pos);
  if (result) *result = static_cast<int64>(position_);
  return kResultOk;
}

tresult PLUGIN_API TestStream::tell(int64* pos) {
  if (!pos) return kInvalidArgument;
  *pos = static_cast<int64>(position_);
  return kResultOk;
}

tresult PLUGIN_API TestStream::queryInterface(const TUID iid, void** obj) {
  return AnswerInterface<IBStream>(this, iid, obj);
}

// ---------------------------------------------------------------------------------------------

namespace {

constexpr size_t kGuardFrames = 64;
constexpr float kGuardValue = 12345.0f;

constexpr uint32_t FourChars(const char (&text)[5]) {
  return (uint32_t(uint8_t(text[0])) << 24) | (uint32_t(uint8_t(text[1])) << 16) |
         (uint32_t(uint8_t(text[2])) << 8) | uint32_t(uint8_t(text[3]));
}

}  // namespace

void ExpectedClassId(TUID out) {
  // COM layout, as a Windows GUID: Data1 little-endian, Data2 and Data3 (the two halves of the
  // second word) little-endian each, then the third and fourth words most significant byte first.
  const uint32_t words[4] = {FourChars("KEST"), FourChars("RALY"), FourChars("Kstl"), FourChars("Hlcy")};
  auto* bytes = reinterpret_cast<uint8_t*>(out);
  for (int i = 0; i < 4; ++i) bytes[i] = uint8_t(words[0] >> (8 * i));
  bytes[4] = uint8_t(words[1] >> 16);
  bytes[5] = uint8_t(words[1] >> 24);
  bytes[6] = uint8_t(words[1]);
  bytes[7] = uint8_t(words[1] >> 8);
  for (int i = 0; i < 4; ++i) {
    bytes[8 + i] = uint8_t(words[2] >> (24 - 8 * i));
    bytes[12 + i] = uint8_t(words[3] >> (24 - 8 * i));
  }
}

PluginInstance::PluginInstance(IPluginFactory* factory, HostApplication* host,
                               RecordingComponentHandler* handler)
    : handler_(handler) {
  TUID cid;
  ExpectedClassId(cid);
  void* object = nullptr;
  if (!factory || factory->createInstance(cid, IComponent::iid, &object) != kResultOk || !object) return;
  component = static_cast<IComponent*>(object);
  if (component->queryInterface(IAudioProcessor::iid, &object) == kResultOk)
    processor = static_cast<IAudioProcessor*>(object);
  if (component->queryInterface(IEditController::iid, &object) == kResultOk)
    controller = static_cast<IEditController*>(object);
  initializeResult = component->initialize(host);
  if (controller && handler) {
    controller->setComponentHandler(handler);
    handler->WatchController(controller);
  }
}

PluginInstance::~PluginInstance() {
  Stop();
  if (handler_) handler_->WatchController(nullptr);
  if (controller) {
    controller->setComponentHandler(nullptr);
    controller->release();
  }
  if (processor) processor->release();
  if (component) {
    if (initializeResult == kResultOk) component->terminate();
    component->release();
  }
}

bool PluginInstance::Start(double sampleRate, int32 maxBlock, int32 sampleSize) {
  ProcessSetup setup{kRealtime, sampleSize, maxBlock, sampleRate};
  if (processor->setupProcessing(setup) != kResultOk) return false;
  if (handler_) handler_->SetInsideActivation(true);
  active_ = component->setActive(true) == kResultOk;
  processing_ = active_ && processor->setProcessing(true) == kResultOk;
  if (handler_) handler_->SetInsideActivation(false);
  return active_ && processing_;
}

void PluginInstance::Stop() {
  if (handler_) handler_->SetInsideActivation(true);
  if (processing_) processor->setProcessing(false);
  if (active_) component->setActive(false);
  if (handler_) handler_->SetInsideActivation(false);
  processing_ = active_ = false;
}

std::vector<uint8_t> PluginInstance::State() {
  TestStream stream;
  if (component->getState(&stream) != kResultOk) return {};
  return stream.Bytes();
}

float PluginInstance::StateValue(int index) {
  const std::vector<uint8_t> state = State();
  float value = NAN;
  const size_t offset = halcyra::kStateCurrentOffset + 4 * static_cast<size_t>(index);
  if (state.size() >= offset + 4) std::memcpy(&value, state.data() + offset, 4);
  return value;
}

// ---------------------------------------------------------------------------------------------

AudioBlock::AudioBlock(int32 frames, int32 inputChannels, int32 outputChannels, int32 sampleSize,
                       int32 sidechainChannels, Placement placement)
    : frames_(frames), sampleSize_(sampleSize) {
  // Twice the frames plus a margin: room for a 64-bit reading of 32-bit buffers, and a guard.
  const size_t storage = 2 * static_cast<size_t>(std::max(frames, 1)) + kGuardFrames;
  spare32_.assign(storage, kGuardValue);
  spare64_.assign(storage, kGuardValue);
  const int32 busChannels[2] = {inputChannels, std::max(sidechainChannels, 0)};
  const int busCount = sidechainChannels >= 0 ? 2 : 1;
  for (int bus = 0; bus < busCount; ++bus) {
    in32_[bus].assign(busChannels[bus], std::vector<float>(storage, kGuardValue));
    in64_[bus].assign(busChannels[bus], std::vector<double>(storage, kGuardValue));
    for (auto& channel : in32_[bus]) std::fill(channel.begin(), channel.begin() + frames_, 0.0f);
    for (auto& channel : in64_[bus]) std::fill(channel.begin(), channel.begin() + frames_, 0.0);
    for (int c = 0; c < busChannels[bus]; ++c) {
      inPtr32_[bus].push_back(in32_[bus][c].data());
      inPtr64_[bus].push_back(in64_[bus][c].data());
    }
    if (busChannels[bus] > 0) {
      inPtr32_[bus].push_back(spare32_.data());
      inPtr64_[bus].push_back(spare64_.data());
    }
    inputs_[bus].numChannels = busChannels[bus];
    inputs_[bus].silenceFlags = 0;
    if (sampleSize == kSample64)
      inputs_[bus].channelBuffers64 = inPtr64_[bus].empty() ? nullptr : inPtr64_[bus].data();
    else
      inputs_[bus].channelBuffers32 = inPtr32_[bus].empty() ? nullptr : inPtr32_[bus].data();
  }
  out32_.assign(outputChannels, std::vector<float>(storage, kGuardValue));
  out64_.assign(outputChannels, std::vector<double>(storage, kGuardValue));
  for (auto& channel : out32_) std::fill(channel.begin(), channel.begin() + frames_, 0.0f);
  for (auto& channel : out64_) std::fill(channel.begin(), channel.begin() + frames_, 0.0);
  for (int c = 0; c < outputChannels; ++c) {
    const bool shared = placement == Placement::kInPlace && c < inputChannels;
    outPtr32_.push_back(shared ? inPtr32_[0][c] : out32_[c].data());
    outPtr64_.push_back(shared ? inPtr64_[0][c] : out64_[c].data());
  }
  if (outputChannels > 0) {
    outPtr32_.push_back(spare32_.data());
    outPtr64_.push_back(spare64_.data());
  }
  outputs_[0].numChannels = outputChannels;
  outputs_[0].silenceFlags = 0;
  if (sampleSize == kSample64)
    outputs_[0].channelBuffers64 = outPtr64_.empty() ? nullptr : outPtr64_.data();
  else
    outputs_[0].channelBuffers32 = outPtr32_.empty() ? nullptr : outPtr32_.data();

  data_.processMode = kRealtime;
  data_.symbolicSampleSize = sampleSize;
  data_.numSamples = frames;
  data_.numInputs = busCount;
  data_.inputs = inputs_;
  data_.numOutputs = 1;
  data_.outputs = outputs_;
}

void AudioBlock::SetInput(int bus, int channel, const float* samples) {
  for (int32 i = 0; i < frames_; ++i) {
    inPtr32_[bus][channel][i] = samples[i];
    inPtr64_[bus][channel][i] = samples[i];
  }
}

void AudioBlock::FillOutput(double value) {
  for (size_t c = 0; c < out32_.size(); ++c) {
    std::fill(outPtr32_[c], outPtr32_[c] + frames_, static_cast<float>(value));
    std::fill(outPtr64_[c], outPtr64_[c] + frames_, value);
  }
}

double AudioBlock::OutputSample(int channel, int32 frame) const {
  return sampleSize_ == kSample64 ? outPtr64_[channel][frame] : outPtr32_[channel][frame];
}

bool AudioBlock::GuardsIntact() const {
  const auto intact = [this](const auto& channels) {
    for (const auto& channel : channels) {
      for (size_t i = static_cast<size_t>(std::max(frames_, 0)); i < channel.size(); ++i)
        if (channel[i] != kGuardValue) return false;
    }
    return true;
  };
  const bool spareIntact =
      std::all_of(spare32_.begin(), spare32_.end(), [](float v) { return v == kGuardValue; }) &&
      std::all_of(spare64_.begin(), spare64_.end(), [](double v) { return v == kGuardValue; });
  return spareIntact && intact(in32_[0]) && intact(in32_[1]) && intact(in64_[0]) && intact(in64_[1]) &&
         intact(out32_) && intact(out64_);
}

std::vector<float> AudioBlock::OutputChannel(int channel) const {
  std::vector<float> out(static_cast<size_t>(frames_));
  for (int32 i = 0; i < frames_; ++i) out[i] = static_cast<float>(OutputSample(channel, i));
  return out;
}

std::vector<float> Sine(int32 frames, double frequency, double sampleRate, double amplitude,
                        int32 startFrame) {
  std::vector<float> out(static_cast<size_t>(frames));
  const double step = plugfw::kTwoPi * frequency / sampleRate;
  for (int32 i = 0; i < frames; ++i)
    out[i] = static_cast<float>(amplitude * std::sin(step * (startFrame + i)));
  return out;
}

double Rms(const std::vector<float>& samples, size_t from) {
  double sum = 0.0;
  size_t count = 0;
  for (size_t i = from; i < samples.size(); ++i, ++count) sum += double(samples[i]) * samples[i];
  return count ? std::sqrt(sum / count) : 0.0;
}

}  // namespace halcyra_test
