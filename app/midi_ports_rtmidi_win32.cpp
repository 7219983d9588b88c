// The MIDI adapters over RtMidi's WinMM interface. RtMidi reports failures by throwing until an
// error callback is set, and through the callback afterwards; every call into it is made here,
// inside a catch, and answered as a result. Its warnings (a port name asked for out of range, no
// device present) are not failures and are not passed on.

#include <windows.h>

#include <atomic>
#include <exception>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "RtMidi.h"
#include "app/midi_ports.h"

namespace plugfw {

namespace {

// Holds what is written to std::cerr for its lifetime. RtMidi writes there while its constructor
// runs, before an error callback can be set: with no MIDI device at all it warns that there is
// none, which on most machines is simply the case.
class CapturedStandardError {
 public:
  CapturedStandardError() : previous_(std::cerr.rdbuf(text_.rdbuf())) {}
  ~CapturedStandardError() { std::cerr.rdbuf(previous_); }
  CapturedStandardError(const CapturedStandardError&) = delete;
  CapturedStandardError& operator=(const CapturedStandardError&) = delete;

  // Without the blank lines the library puts around its messages.
  std::string Text() const {
    const std::string text = text_.str();
    const size_t first = text.find_first_not_of("\r\n");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of("\r\n") - first + 1);
  }

 private:
  std::ostringstream text_;
  std::streambuf* previous_;
};

bool IsWarning(RtMidiError::Type type) {
  return type == RtMidiError::WARNING || type == RtMidiError::DEBUG_WARNING;
}

// The shared port operations of RtMidiIn and RtMidiOut, and the library's error callback.
template <typename Library, typename Base>
class RtMidiPorts : public Base {
 public:
  RtMidiPorts(std::unique_ptr<Library> library, MidiErrorCallback onError)
      : library_(std::move(library)), onError_(onError) {
    library_->setErrorCallback(&RtMidiPorts::OnLibraryError, this);
  }
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
      return index < library_->getPortCount() ? library_->getPortName(index) : std::string();
    } catch (const std::exception&) {
      return std::string();
    }
  }
  bool OpenPort(uint32_t index, const char* portName) override {
    try {
      failed_.store(false, std::memory_order_relaxed);
      library_->openPort(index, portName);
      return !failed_.load(std::memory_order_relaxed) && library_->isPortOpen();
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

  // What the library said while it started: kept back when it has no port, since the one thing
  // it says then is that it has none.
  void PassOnStartMessage(const std::string& message) {
    if (!message.empty() && PortCount() > 0) Report(message.c_str());
  }

 protected:
  // With the callback set the library no longer throws: a call tells its failure by this flag.
  std::atomic<bool> failed_{false};
  std::unique_ptr<Library> library_;

 private:
  static void OnLibraryError(RtMidiError::Type type, const std::string& text, void* userData) {
    if (IsWarning(type)) return;
    auto* ports = static_cast<RtMidiPorts*>(userData);
    ports->failed_.store(true, std::memory_order_relaxed);
    ports->Report(text.c_str());
  }
  void Report(const char* message) {
    if (onError_ != nullptr) onError_(message);
  }

  MidiErrorCallback onError_;
};

class RtMidiInput : public RtMidiPorts<RtMidiIn, MidiInput> {
 public:
  using RtMidiPorts::RtMidiPorts;
  ~RtMidiInput() override { CancelCallback(); }

  // Timing messages are dropped; SysEx and active sensing are passed.
  void IgnoreTimingOnly() { library_->ignoreTypes(false, true, false); }

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
      failed_.store(false, std::memory_order_relaxed);
      library_->sendMessage(bytes, size);
      return !failed_.load(std::memory_order_relaxed);
    } catch (const std::exception&) {
      return false;
    }
  }
};

// Starts the library's object and wraps it; null with the library's message when it refused.
template <typename Adapter, typename Library, typename... Arguments>
std::unique_ptr<Adapter> StartRtMidi(MidiErrorCallback onError, std::string& error, Arguments... arguments) {
  std::unique_ptr<Library> library;
  std::string startMessage;
  {
    const CapturedStandardError captured;
    try {
      library = std::make_unique<Library>(RtMidi::WINDOWS_MM, arguments...);
    } catch (const std::exception& exception) {
      error = exception.what();
      return nullptr;
    }
    startMessage = captured.Text();
  }
  auto adapter = std::make_unique<Adapter>(std::move(library), onError);
  adapter->PassOnStartMessage(startMessage);
  return adapter;
}

}  // namespace

std::unique_ptr<MidiInput> CreateRtMidiInput(const char* clientName, uint32_t queueLimit,
                                             MidiErrorCallback onError, std::string& error) {
  try {
    std::unique_ptr<RtMidiInput> input =
        StartRtMidi<RtMidiInput, RtMidiIn>(onError, error, std::string(clientName), queueLimit);
    if (input == nullptr) return nullptr;
    input->IgnoreTimingOnly();
    return input;
  } catch (const std::exception& exception) {
    error = exception.what();
    return nullptr;
  }
}

std::unique_ptr<MidiOutput> CreateRtMidiOutput(const char* clientName, MidiErrorCallback onError,
                                               std::string& error) {
  try {
    return StartRtMidi<RtMidiOutput, RtMidiOut>(onError, error, std::string(clientName));
  } catch (const std::exception& exception) {
    error = exception.what();
    return nullptr;
  }
}

}  // namespace plugfw
