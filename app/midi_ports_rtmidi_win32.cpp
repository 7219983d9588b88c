// The MIDI adapters over RtMidi's WinMM interface. RtMidi reports failures by throwing; every
// call into it is made here, inside a catch, and answered as a result.

#include <windows.h>

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "RtMidi.h"
#include "app/midi_ports.h"

namespace plugfw {

std::unique_ptr<MidiInput> CreateRtMidiInput(const char* clientName, uint32_t queueLimit, std::string& error);
std::unique_ptr<MidiOutput> CreateRtMidiOutput(const char* clientName, std::string& error);

namespace {

// The shared port operations of RtMidiIn and RtMidiOut.
template <typename Library, typename Base>
class RtMidiPorts : public Base {
 public:
  explicit RtMidiPorts(std::unique_ptr<Library> library) : library_(std::move(library)) {}
  ~RtMidiPorts() override { ClosePort(); }

  uint32_t PortCount() override {
    try {
      return library_->getPortCount();
    } catch (const std::exception&) {
      return 0;
    }
  }
  std::string PortName(uint32_t index) override {
    try {
      return library_->getPortName(index);
    } catch (const std::exception&) {
      return std::string();
    }
  }
  bool OpenPort(uint32_t index, const char* portName) override {
    try {
      library_->openPort(index, portName);
      return library_->isPortOpen();
    } catch (const std::exception&) {
      return false;
    }
  }
  void ClosePort() override {
    try {
      library_->closePort();
    } catch (const std::exception&) {
    }
  }

 protected:
  std::unique_ptr<Library> library_;
};

class RtMidiInput : public RtMidiPorts<RtMidiIn, MidiInput> {
 public:
  using RtMidiPorts::RtMidiPorts;
  ~RtMidiInput() override { CancelCallback(); }

  void SetCallback(MidiInputCallback callback, void* userData) override {
    CancelCallback();
    callback_ = callback;
    userData_ = userData;
    try {
      library_->setCallback(&RtMidiInput::OnLibraryInput, this);
      callbackSet_ = true;
    } catch (const std::exception&) {
    }
  }
  void CancelCallback() override {
    if (!callbackSet_) return;
    callbackSet_ = false;
    try {
      library_->cancelCallback();
    } catch (const std::exception&) {
    }
  }

 private:
  static void OnLibraryInput(double /*timeStamp*/, std::vector<unsigned char>* message, void* userData) {
    auto* input = static_cast<RtMidiInput*>(userData);
    if (message == nullptr || input->callback_ == nullptr) return;
    input->callback_(message->data(), message->size(), input->userData_);
  }

  MidiInputCallback callback_ = nullptr;
  void* userData_ = nullptr;
  bool callbackSet_ = false;
};

class RtMidiOutput : public RtMidiPorts<RtMidiOut, MidiOutput> {
 public:
  using RtMidiPorts::RtMidiPorts;

  // The library only warns about a message it cannot send; refuse those here.
  bool Send(const uint8_t* bytes, size_t size) override {
    if (bytes == nullptr || size == 0) return false;
    try {
      if (!library_->isPortOpen()) return false;
      library_->sendMessage(bytes, size);
      return true;
    } catch (const std::exception&) {
      return false;
    }
  }
};

}  // namespace

std::unique_ptr<MidiInput> CreateRtMidiInput(const char* clientName, uint32_t queueLimit,
                                             std::string& error) {
  try {
    auto library = std::make_unique<RtMidiIn>(RtMidi::WINDOWS_MM, clientName, queueLimit);
    // Timing messages are dropped; SysEx and active sensing are passed.
    library->ignoreTypes(false, true, false);
    return std::make_unique<RtMidiInput>(std::move(library));
  } catch (const std::exception& exception) {
    error = exception.what();
    return nullptr;
  }
}

std::unique_ptr<MidiOutput> CreateRtMidiOutput(const char* clientName, std::string& error) {
  try {
    return std::make_unique<RtMidiOutput>(std::make_unique<RtMidiOut>(RtMidi::WINDOWS_MM, clientName));
  } catch (const std::exception& exception) {
    error = exception.what();
    return nullptr;
  }
}

}  // namespace plugfw
