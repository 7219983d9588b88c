#include "core/resource_names.h"

#include <cstring>

namespace plugfw {
namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool ResourceNameMatches(const char* storedName, const char* wantedName) {
  if (storedName == nullptr || wantedName == nullptr) return false;
  size_t length = std::strlen(storedName);
  if (length >= 2 && storedName[0] == '"' && storedName[length - 1] == '"') {
    ++storedName;
    length -= 2;
  }
  if (std::strlen(wantedName) != length) return false;
  for (size_t i = 0; i < length; ++i) {
    if (LowerAscii(storedName[i]) != LowerAscii(wantedName[i])) return false;
  }
  return true;
}

}  // namespace plugfw
