#include "graphics/platform/shell_text.h"

#include <cstring>

#include "core/ascii_case.h"

namespace plugfw::gfx {
namespace {

constexpr const char* kWebSchemes[] = {"http://", "https://", "mailto:"};
constexpr const char kMailScheme[] = "mailto:";

bool StartsWithIgnoringCase(const char* text, const char* prefix) {
  for (; *prefix != '\0'; ++text, ++prefix) {
    if (AsciiLower(*text) != *prefix) return false;  // also stops at text's end
  }
  return true;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool HasDrive(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

}  // namespace

bool IsOpenableWebAddress(const char* address) {
  if (address == nullptr) return false;
  for (const char* scheme : kWebSchemes) {
    if (StartsWithIgnoringCase(address, scheme) && address[std::strlen(scheme)] != '\0') return true;
  }
  return false;
}

bool WebAddressNeedsConnection(const char* address) {
  return address == nullptr || !StartsWithIgnoringCase(address, kMailScheme);
}

std::string RevealArguments(const std::string& path, bool select) {
  std::string arguments = select ? "/select," : "";
  return arguments + "\"" + path + "\"";
}

FileDialogFilter FileDialogFilterFor(const char* extensions) {
  FileDialogFilter filter;
  if (extensions == nullptr) return filter;
  bool first = true;
  const char* at = extensions;
  while (*at != '\0') {
    while (*at == ' ') ++at;
    const char* end = at;
    while (*end != '\0' && *end != ' ') ++end;
    if (end == at) break;
    const std::string extension(at, end);
    at = end;
    if (first && extension.size() <= kMaxDefaultExtensionLength) filter.defaultExtension = extension;
    first = false;
    const std::string pattern = (filter.pattern.empty() ? "*." : ";*.") + extension;
    if (filter.pattern.size() + pattern.size() <= kMaxFilterLength) filter.pattern += pattern;
  }
  return filter;
}

std::string FolderOfPath(const std::string& path) {
  const size_t separator = path.find_last_of("\\/");
  if (separator != std::string::npos) return path.substr(0, separator + 1);
  return HasDrive(path) ? path.substr(0, 2) : std::string();
}

std::string FolderWithSeparator(const std::string& folder) {
  if (folder.empty() || IsSeparator(folder.back())) return folder;
  return folder + "\\";
}

}  // namespace plugfw::gfx
