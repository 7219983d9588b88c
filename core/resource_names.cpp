#include "core/resource_names.h"

#include <cstring>

#include "core/ascii_case.h"

namespace plugfw {

bool ResourceNameMatches(const char* storedName, const char* wantedName) {
  if (storedName == nullptr || wantedName == nullptr) return false;
  size_t length = std::strlen(storedName);
  if (length >= 2 && storedName[0] == '"' && storedName[length - 1] == '"') {
    ++storedName;
    length -= 2;
  }
  if (std::strlen(wantedName) != length) return false;
  for (size_t i = 0; i < length; ++i) {
    if (AsciiLower(storedName[i]) != AsciiLower(wantedName[i])) return false;
  }
  return true;
}

}  // namespace plugfw
