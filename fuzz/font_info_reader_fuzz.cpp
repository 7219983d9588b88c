// libFuzzer target for the sfnt face reader, which reads font files that the system or a
// host hands over. Any input must be read without touching a byte past its end (the
// sanitizers watch), every table found must lie inside the input, and every Unicode name
// must come out as well-formed UTF-8 (Macintosh names are taken as their bytes stand).
// The first byte chooses the face.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "graphics/platform/font_data.h"
#include "graphics/platform/font_info_reader.h"
#include "graphics/renderer/utf8_decoder.h"

namespace {

using plugfw::gfx::FontData;
using plugfw::gfx::FontInfoReader;

void Require(bool condition) {
  if (!condition) std::abort();
}

void RequireWellFormed(const char* text) {
  uint32_t state = plugfw::gfx::kUtf8Accept, codePoint = 0;
  for (const char* p = text; *p; ++p)
    state = plugfw::gfx::Utf8Decode(&state, &codePoint, static_cast<uint8_t>(*p));
  Require(state == plugfw::gfx::kUtf8Accept);
}

void CheckReader(const FontInfoReader& reader, const uint8_t* bytes, int32_t size) {
  static const char* const kTags[] = {"head", "name", "hhea", "fdsc", "cmap", "glyf", "loca", "hmtx", "CFF "};
  for (const char* tag : kTags) {
    uint32_t length = 0;
    uint32_t offset = reader.FindTable(tag, &length);
    if (offset != 0) Require(static_cast<uint64_t>(offset) + length <= static_cast<uint64_t>(size));
  }
  if (reader.IsFont()) Require(reader.Directory() >= bytes && reader.Directory() + 12 <= bytes + size);
  for (uint16_t nameId = 0; nameId < 8; ++nameId) RequireWellFormed(reader.ReadNames(nameId, true).Get());
  reader.ReadNames(1, false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  int32_t face = data[0] % 4;
  // A copy of exactly the input's size, so that any read past it is caught.
  std::vector<uint8_t> font(data + 1, data + size);
  const uint8_t* bytes = font.empty() ? nullptr : font.data();
  const auto fontSize = static_cast<int32_t>(font.size());
  FontInfoReader reader(bytes, fontSize, face);
  CheckReader(reader, bytes, fontSize);

  int32_t chosen = plugfw::gfx::FindFaceWithStyle(bytes, fontSize, "Bold");
  Require(chosen >= -1);
  FontData fontData;
  if (fontData.Assign(bytes, fontSize, chosen))
    CheckReader(fontData.Reader(), fontData.Bytes(), fontData.Size());
  return 0;
}
