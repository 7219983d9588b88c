#pragma once
// AudioDevice: the standalone host's view of the audio library. Devices are named by id, and
// every operation answers with a result; the one adapter that implements this over the library
// (audio_device_rtaudio_win32.cpp) maps its device numbering and catches its exceptions, so
// nothing thrown reaches the host. UI thread, except the stream callback on the audio thread.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plugfw {

using AudioDeviceId = uint32_t;

struct AudioDeviceInfo {
  std::string name;  // as the library reports it
  int32_t inputChannels = 0;
  int32_t outputChannels = 0;
  bool isDefaultInput = false;
  bool isDefaultOutput = false;
  std::vector<int32_t> sampleRates;
};

// Non-interleaved 64-bit samples, channel c at offset c * frames. Device thread. Answers 0 to keep
// the stream running.
using AudioCallback = int (*)(double* output, double* input, uint32_t frames, double streamTime,
                              bool overOrUnderflow, void* userData);
// Errors the library reports asynchronously while a stream runs. Any thread.
using AudioErrorCallback = void (*)(const char* message);

// Each direction carries channels consecutive device channels from its first one (counted from 0).
struct AudioStreamRequest {
  AudioDeviceId inputDevice = 0;
  int32_t inputChannels = 0;  // 0: output only
  int32_t inputFirstChannel = 0;
  AudioDeviceId outputDevice = 0;
  int32_t outputChannels = 0;
  int32_t outputFirstChannel = 0;
  int32_t sampleRate = 0;
  uint32_t bufferFrames = 0;  // the device may grant another size; see OpenStream
  int32_t deviceBuffers = 0;  // depth of the device's ring in buffers; 0: the library's default
};

class AudioDevice {
 public:
  virtual ~AudioDevice() = default;
  // Ids of every device the library lists, in its order.
  virtual std::vector<AudioDeviceId> DeviceIds() = 0;
  // False when the device cannot be probed.
  virtual bool GetDeviceInfo(AudioDeviceId id, AudioDeviceInfo& info) = 0;
  // Opens a duplex (or output-only) stream of non-interleaved 64-bit floats. On success
  // grantedFrames holds the buffer size the device really uses. False leaves no stream open.
  virtual bool OpenStream(const AudioStreamRequest& request, AudioCallback callback, void* userData,
                          uint32_t& grantedFrames) = 0;
  // False leaves the stream stopped (still open).
  virtual bool StartStream() = 0;
  virtual void AbortStream() = 0;
  virtual void CloseStream() = 0;
  virtual bool IsStreamOpen() const = 0;
  virtual bool IsStreamRunning() const = 0;
};

#if defined(_WIN32)
// UI thread. RtAudio's DirectSound interface; null when it cannot be started. onError receives
// the errors it reports while a stream runs.
std::unique_ptr<AudioDevice> CreateRtAudioDevice(AudioErrorCallback onError);
#endif

}  // namespace plugfw
