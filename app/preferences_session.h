#pragma once
// PreferencesSession: the rules of the preferences dialog over the standalone host, apart from
// the dialog's controls. It builds every list the dialog shows (devices, channels, the rates both
// devices offer, buffer sizes, MIDI ports and channels) with its selection, turns a choice into
// the host's current settings at once, and carries out Apply, OK and Cancel:
//   - the audio stream is reopened only when the audio settings differ from those the running
//     stream was opened with (or no stream runs), so a MIDI-only change leaves it running;
//   - a stream that cannot be opened is reported once (the host remembers what it told);
//   - OK always ends the dialog, so what works (MIDI and the rest) can be saved on a machine
//     whose audio does not open; audio settings that failed are not kept: the audio settings
//     that last worked (or, when none has, those of the opening moment) come back, quietly;
//   - Cancel puts back the settings of the opening moment, reopens the stream when anything of
//     it changed or was applied, without telling a failure again, and reopens the MIDI ports it
//     changed.
// Portable; UI thread.

#include <cstdint>
#include <string>
#include <vector>

#include "app/standalone_host.h"

namespace plugfw {

struct ChoiceList {
  std::vector<std::string> texts;
  int32_t selected = -1;  // -1: nothing selected
};

enum class ApplyOutcome {
  kUnchanged,  // the running stream already has these settings
  kOpened,
  kFailed,  // reported to the user
};

class PreferencesSession {
 public:
  static constexpr const char* kDriverName = "DirectSound";
  static constexpr const char* kAllMidiChannels = "all";
  static constexpr const char* kMidiPortFailedText = "The MIDI port could not be opened";

  // UI thread, like every operation of the session.
  explicit PreferencesSession(StandaloneHost& host) : host_(host) {}

  // Opening: a saved MIDI port that no longer exists becomes "off" (and is saved), then the
  // settings are copied for Cancel.
  void Begin();

  ChoiceList Drivers() const;
  // The input device list is for every driver but the second; its configuration button only for
  // that one.
  bool InputDeviceSelectable() const;
  bool DriverConfigAvailable() const;
  ChoiceList InputDevices() const;
  ChoiceList OutputDevices() const;
  // The first channel of a pair may be 1 to n - 1 (at least 1), the second 1 to n, for the n
  // channels of the selected device.
  ChoiceList FirstInputChannels() const;
  ChoiceList SecondInputChannels() const;
  ChoiceList FirstOutputChannels() const;
  ChoiceList SecondOutputChannels() const;
  // The input device's rates that the output device also offers, in the input device's order.
  ChoiceList SampleRates() const;
  std::vector<int32_t> SampleRateValues() const;
  ChoiceList BufferSizes() const;
  // Only when the host has both MIDI objects.
  bool HasMidi() const;
  ChoiceList MidiPorts(MidiDirection direction) const;
  ChoiceList MidiChannels(MidiDirection direction) const;

  // Choices by list index; an index outside the list changes nothing.
  void ChooseDriver(int32_t index);
  void ChooseInputDevice(int32_t index);
  void ChooseOutputDevice(int32_t index);
  void ChooseBufferSize(int32_t index);
  void ChooseSampleRate(int32_t index);
  void ChooseFirstInputChannel(int32_t index);
  void ChooseFirstOutputChannel(int32_t index);
  // Opens the port at once; one that does not open is reported and "off" is chosen instead.
  void ChooseMidiPort(MidiDirection direction, int32_t index);
  void ChooseMidiChannel(MidiDirection direction, int32_t index);

  ApplyOutcome Apply();
  // The dialog ends after it whatever the outcome; the caller then saves the settings.
  ApplyOutcome Ok();
  void Cancel();

 private:
  bool SelectedDevice(bool input, AudioDeviceId& id) const;
  const AudioDeviceInfo* SelectedDeviceInfo(bool input) const;
  ChoiceList DeviceList(bool input) const;
  ApplyOutcome OpenStream();
  // Recreates the audio object and opens the stream with the current settings, telling nothing.
  void ReopenQuietly();
  void ReopenMidiPort(MidiDirection direction, const HeapString& name);

  StandaloneHost& host_;
  bool streamTouched_ = false;  // applied, or the audio object recreated, since Begin
};

}  // namespace plugfw
