#pragma once
// The standalone host's view of the MIDI library: one input and one output object, each with
// numbered ports. Every operation answers with a result; the adapter over the library
// (midi_ports_rtmidi_win32.cpp) catches its exceptions. UI thread, except the input callback on
// the library's input thread and Send on the audio thread.

#include <cstddef>
#include <cstdint>
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

}  // namespace plugfw
