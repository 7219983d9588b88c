#pragma once
// The standalone host's view of the MIDI library: one input and one output object, each with
// numbered ports. Every operation answers with a result; the adapter over the library
// (midi_ports_rtmidi_win32.cpp) catches its exceptions. UI thread, except the input callback on
// the library's input thread and Send on the audio thread.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace plugfw {

class MidiPorts {
 public:
  virtual ~MidiPorts() = default;
  virtual uint32_t PortCount() = 0;
  // Empty when the port cannot be named.
  virtual std::string PortName(uint32_t index) = 0;
  virtual bool OpenPort(uint32_t index, const char* portName) = 0;
  virtual void ClosePort() = 0;
};

// Bytes of one incoming message. Library input thread.
using MidiInputCallback = void (*)(const uint8_t* bytes, size_t size, void* userData);

class MidiInput : public MidiPorts {
 public:
  virtual void SetCallback(MidiInputCallback callback, void* userData) = 0;
  virtual void CancelCallback() = 0;
};

class MidiOutput : public MidiPorts {
 public:
  virtual bool Send(const uint8_t* bytes, size_t size) = 0;
};

// Failures the library reports for calls into an object it made (not its warnings). The thread
// of the call: UI thread, or audio thread for Send.
using MidiErrorCallback = void (*)(const char* message);

#if defined(_WIN32)
// UI thread. RtMidi's WinMM objects. Null, with the library's message in error, when it refused
// to start; having no port at all is no failure and is not reported.
std::unique_ptr<MidiInput> CreateRtMidiInput(const char* clientName, uint32_t queueLimit,
                                             MidiErrorCallback onError, std::string& error);
std::unique_ptr<MidiOutput> CreateRtMidiOutput(const char* clientName, MidiErrorCallback onError,
                                               std::string& error);
#endif

}  // namespace plugfw
