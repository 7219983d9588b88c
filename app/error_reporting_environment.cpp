#include "app/error_reporting_environment.h"

#include <cstdio>
#include <string>
#include <utility>

namespace plugfw {

namespace {

class ErrorReportingEnvironment : public HostEnvironment {
 public:
  ErrorReportingEnvironment(std::unique_ptr<HostEnvironment> platform, ErrorSink sink)
      : platform_(std::move(platform)), sink_(sink) {}

  std::unique_ptr<AudioDevice> CreateAudioDevice(AudioErrorCallback onError) override {
    return platform_->CreateAudioDevice(onError);
  }
  std::unique_ptr<MidiInput> CreateMidiInput(const char* clientName, uint32_t queueLimit,
                                             MidiErrorCallback onError, std::string& error) override {
    return platform_->CreateMidiInput(clientName, queueLimit, onError, error);
  }
  std::unique_ptr<MidiOutput> CreateMidiOutput(const char* clientName, MidiErrorCallback onError,
                                               std::string& error) override {
    return platform_->CreateMidiOutput(clientName, onError, error);
  }
  std::unique_ptr<SettingsStore> OpenSettings(std::string& path) override {
    return platform_->OpenSettings(path);
  }
  void ShowError(const char* text, const char* title) override { sink_(text, title); }
  void SleepMs(int32_t milliseconds) override { platform_->SleepMs(milliseconds); }

 private:
  std::unique_ptr<HostEnvironment> platform_;
  ErrorSink sink_;
};

}  // namespace

void PrintErrorToStandardError(const char* text, const char* title) {
  std::fprintf(stderr, "%s: %s\n", title != nullptr ? title : "", text != nullptr ? text : "");
  std::fflush(stderr);
}

std::unique_ptr<HostEnvironment> WithErrorSink(std::unique_ptr<HostEnvironment> platform, ErrorSink sink) {
  return std::make_unique<ErrorReportingEnvironment>(std::move(platform),
                                                     sink != nullptr ? sink : &PrintErrorToStandardError);
}

}  // namespace plugfw
