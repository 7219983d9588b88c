#include "graphics/platform/font_data.h"

#include <cstring>

namespace plugfw::gfx {

bool FontData::Assign(const void* bytes, int32_t size, int32_t faceIndex) {
  bytes_.Resize(0);
  faceIndex_ = -1;
  reader_ = FontInfoReader();
  if (!bytes || size <= 0 || bytes_.Append(bytes, size) != size) {
    bytes_.Resize(0);
    return false;
  }
  SelectFace(faceIndex);
  return true;
}

void FontData::SelectFace(int32_t faceIndex) {
  faceIndex_ = faceIndex;
  reader_.Read(bytes_.Data(), bytes_.Size(), faceIndex);
}

bool FontData::IsUsable() const {
  return Size() > 0 && faceIndex_ >= 0 && reader_.IsFont() && reader_.HasNamesAndMetrics();
}

// Real collections hold a few dozen faces; the cap keeps a crafted count from making the
// walk read the same huge directory for ever.
constexpr int32_t kMaxFacesSearched = 256;

int32_t FindFaceWithStyle(const uint8_t* bytes, int32_t size, const char* styleName) {
  bool anyStyle = !styleName || !*styleName;
  for (int32_t face = 0; face < kMaxFacesSearched; ++face) {
    FontInfoReader reader(bytes, size, face);
    if (!reader.IsFont()) return -1;
    if (!reader.HasNamesAndMetrics() || reader.FamilyName().Empty()) continue;
    if (anyStyle || std::strcmp(reader.StyleName().Get(), styleName) == 0) return face;
  }
  return -1;
}

}  // namespace plugfw::gfx
