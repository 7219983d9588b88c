#include "app/device_names.h"

namespace plugfw {
namespace {

constexpr const char* kBlanks = " \t";

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string::npos) return std::string();
  const size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

}  // namespace

std::string AudioDeviceDisplayName(const std::string& libraryName) {
  const size_t colon = libraryName.find(':');
  return Trimmed(colon == std::string::npos ? libraryName : libraryName.substr(colon + 1));
}

bool AudioDeviceNameMatches(const std::string& displayName, const char* savedName) {
  if (savedName == nullptr) return false;
  const std::string saved = Trimmed(savedName);
  return !saved.empty() && saved == Trimmed(displayName);
}

}  // namespace plugfw
