// The AudioDevice adapter over RtAudio's DirectSound interface. RtAudio 5 numbers devices by
// index and reports failures by throwing (or, once a stream has an error callback, by calling
// it and returning): every call into it is made here, inside a catch, and checked against the
// stream state afterwards, so the host sees only ids and results.

#include <windows.h>

#include <atomic>
#include <exception>
#include <memory>

#include "RtAudio.h"
#include "app/audio_device.h"

namespace plugfw {

namespace {

std::atomic<AudioErrorCallback> gErrorCallback{nullptr};

void ReportError(const char* message) {
  AudioErrorCallback callback = gErrorCallback.load(std::memory_order_acquire);
  if (callback != nullptr) callback(message);
}

void ForwardLibraryError(RtAudioError::Type type, const std::string& message) {
  if (type != RtAudioError::WARNING && type != RtAudioError::DEBUG_WARNING) ReportError(message.c_str());
}

class RtAudioDevice : public AudioDevice {
 public:
  explicit RtAudioDevice(std::unique_ptr<RtAudio> audio) : audio_(std::move(audio)) {}

  ~RtAudioDevice() override {
    AbortStream();
    CloseStream();
  }

  // Probes every device once. RtAudio's DirectSound interface marks only device 0 as the default
  // of either direction, although it lists the output devices first and means "the first
  // capture device" as the default input; the flags are set here as it means them.
  std::vector<AudioDeviceId> DeviceIds() override {
    devices_.clear();
    unsigned int count = 0;
    try {
      count = audio_->getDeviceCount();
    } catch (const std::exception& error) {
      ReportError(error.what());
    }
    bool inputDefaultSeen = false;
    bool outputDefaultSeen = false;
    std::vector<AudioDeviceId> ids;
    for (unsigned int id = 0; id < count; ++id) {
      Probed device;
      device.probed = Probe(id, device.info);
      device.info.isDefaultInput = device.probed && !inputDefaultSeen && device.info.inputChannels > 0;
      device.info.isDefaultOutput = device.probed && !outputDefaultSeen && device.info.outputChannels > 0;
      inputDefaultSeen = inputDefaultSeen || device.info.isDefaultInput;
      outputDefaultSeen = outputDefaultSeen || device.info.isDefaultOutput;
      devices_.push_back(device);
      ids.push_back(id);
    }
    return ids;
  }

  bool GetDeviceInfo(AudioDeviceId id, AudioDeviceInfo& info) override {
    if (id >= devices_.size() && DeviceIds().size() <= id) return false;
    if (!devices_[id].probed) return false;
    info = devices_[id].info;
    return true;
  }

  bool OpenStream(const AudioStreamRequest& request, AudioCallback callback, void* userData,
                  uint32_t& grantedFrames) override {
    callback_ = callback;
    userData_ = userData;
    RtAudio::StreamParameters output;
    output.deviceId = request.outputDevice;
    output.nChannels = static_cast<unsigned int>(request.outputChannels);
    output.firstChannel = static_cast<unsigned int>(request.outputFirstChannel);
    RtAudio::StreamParameters input;
    input.deviceId = request.inputDevice;
    input.nChannels = static_cast<unsigned int>(request.inputChannels);
    input.firstChannel = static_cast<unsigned int>(request.inputFirstChannel);
    RtAudio::StreamOptions options;
    options.flags = RTAUDIO_NONINTERLEAVED;
    options.numberOfBuffers =
        static_cast<unsigned int>(request.deviceBuffers > 0 ? request.deviceBuffers : 0);
    unsigned int frames = request.bufferFrames;
    try {
      audio_->openStream(&output, request.inputChannels > 0 ? &input : nullptr, RTAUDIO_FLOAT64,
                         static_cast<unsigned int>(request.sampleRate), &frames,
                         &RtAudioDevice::OnLibraryAudio, this, &options, &ForwardLibraryError);
    } catch (const std::exception& error) {
      ReportError(error.what());
    }
    if (!IsStreamOpen()) return false;
    grantedFrames = frames;
    return true;
  }

  bool StartStream() override {
    try {
      audio_->startStream();
    } catch (const std::exception& error) {
      ReportError(error.what());
    }
    return IsStreamRunning();
  }

  void AbortStream() override {
    try {
      if (audio_->isStreamRunning()) audio_->abortStream();
    } catch (const std::exception& error) {
      ReportError(error.what());
    }
  }

  void CloseStream() override {
    try {
      if (audio_->isStreamOpen()) audio_->closeStream();
    } catch (const std::exception& error) {
      ReportError(error.what());
    }
  }

  bool IsStreamOpen() const override { return audio_->isStreamOpen(); }
  bool IsStreamRunning() const override { return audio_->isStreamRunning(); }

 private:
  static int OnLibraryAudio(void* output, void* input, unsigned int frames, double streamTime,
                            RtAudioStreamStatus status, void* userData) {
    auto* device = static_cast<RtAudioDevice*>(userData);
    return device->callback_(static_cast<double*>(output), static_cast<double*>(input), frames, streamTime,
                             status != 0, device->userData_);
  }

  struct Probed {
    bool probed = false;
    AudioDeviceInfo info;
  };

  bool Probe(AudioDeviceId id, AudioDeviceInfo& info) {
    try {
      const RtAudio::DeviceInfo library = audio_->getDeviceInfo(id);
      if (!library.probed) return false;
      info.name = library.name;
      info.inputChannels = static_cast<int32_t>(library.inputChannels);
      info.outputChannels = static_cast<int32_t>(library.outputChannels);
      info.sampleRates.assign(library.sampleRates.begin(), library.sampleRates.end());
      return true;
    } catch (const std::exception& error) {
      ReportError(error.what());
      return false;
    }
  }

  std::unique_ptr<RtAudio> audio_;
  std::vector<Probed> devices_;
  AudioCallback callback_ = nullptr;
  void* userData_ = nullptr;
};

}  // namespace

std::unique_ptr<AudioDevice> CreateRtAudioDevice(AudioErrorCallback onError) {
  gErrorCallback.store(onError, std::memory_order_release);
  try {
    auto audio = std::make_unique<RtAudio>(RtAudio::WINDOWS_DS);
    audio->showWarnings(false);
    return std::make_unique<RtAudioDevice>(std::move(audio));
  } catch (const std::exception& error) {
    ReportError(error.what());
    return nullptr;
  }
}

}  // namespace plugfw
