#include "tests/graphics/platform/font_fixtures.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace plugfw::gfx::test {
namespace {

void AppendU16(Bytes& b, uint16_t v) {
  b.push_back(static_cast<uint8_t>(v >> 8));
  b.push_back(static_cast<uint8_t>(v));
}
void AppendU32(Bytes& b, uint32_t v) {
  AppendU16(b, static_cast<uint16_t>(v >> 16));
  AppendU16(b, static_cast<uint16_t>(v));
}
void Pad4(Bytes& b) {
  while (b.size() % 4) b.push_back(0);
}

Bytes HeadTable(const SyntheticFace& face) {
  Bytes t(54, 0);
  PutU32(t, 0, 0x00010000);
  PutU32(t, 12, 0x5F0F3CF5);  // magic
  PutU16(t, 18, face.unitsPerEm);
  PutU16(t, 44, face.macStyle);
  return t;
}

Bytes HheaTable(const SyntheticFace& face) {
  Bytes t(36, 0);
  PutU32(t, 0, 0x00010000);
  PutU16(t, 4, static_cast<uint16_t>(face.ascender));
  PutU16(t, 6, static_cast<uint16_t>(face.descender));
  PutU16(t, 8, static_cast<uint16_t>(face.lineGap));
  return t;
}

Bytes NameTable(const SyntheticFace& face) {
  Bytes t;
  uint16_t count = static_cast<uint16_t>(face.names.size());
  AppendU16(t, 0);
  AppendU16(t, count);
  AppendU16(t, static_cast<uint16_t>(6 + 12 * count));
  Bytes storage;
  for (const NameRecord& r : face.names) {
    AppendU16(t, r.platform);
    AppendU16(t, r.encoding);
    AppendU16(t, r.language);
    AppendU16(t, r.nameId);
    AppendU16(t, static_cast<uint16_t>(r.text.size()));
    AppendU16(t, static_cast<uint16_t>(storage.size()));
    storage.insert(storage.end(), r.text.begin(), r.text.end());
  }
  t.insert(t.end(), storage.begin(), storage.end());
  return t;
}

// Appends a face's directory and tables at the end of out; table offsets count from the
// start of out, as they do in a collection.
void AppendFace(Bytes& out, const SyntheticFace& face) {
  struct Table {
    const char* tag;
    Bytes data;
  };
  Table tables[] = {{"head", HeadTable(face)}, {"hhea", HheaTable(face)}, {"name", NameTable(face)}};
  const uint16_t count = 3;
  AppendU32(out, 0x00010000);
  AppendU16(out, count);
  AppendU16(out, 0);
  AppendU16(out, 0);
  AppendU16(out, 0);
  size_t records = out.size();
  out.resize(out.size() + 16 * count, 0);
  for (uint16_t i = 0; i < count; ++i) {
    Pad4(out);
    size_t at = records + 16u * i;
    std::memcpy(&out[at], tables[i].tag, 4);
    PutU32(out, at + 8, static_cast<uint32_t>(out.size()));
    PutU32(out, at + 12, static_cast<uint32_t>(tables[i].data.size()));
    out.insert(out.end(), tables[i].data.begin(), tables[i].data.end());
  }
}

}  // namespace

void PutU16(Bytes& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v >> 8);
  b[at + 1] = static_cast<uint8_t>(v);
}
void PutU32(Bytes& b, size_t at, uint32_t v) {
  PutU16(b, at, static_cast<uint16_t>(v >> 16));
  PutU16(b, at + 2, static_cast<uint16_t>(v));
}

size_t TableRecordAt(const Bytes& bytes, size_t directoryOffset, const char* tag) {
  size_t count = (bytes[directoryOffset + 4] << 8) | bytes[directoryOffset + 5];
  for (size_t i = 0; i < count; ++i) {
    size_t at = directoryOffset + 12 + 16 * i;
    if (std::memcmp(&bytes[at], tag, 4) == 0) return at;
  }
  return 0;
}

Bytes ReadRobotoFile(const char* fileName) {
  std::string path = std::string(HALCYRA_TEST_FONT_DIR) + "/" + fileName;
  // Under Wine, with many test programs starting at once, an open of the font file has failed
  // now and then though the file is there: a few tries before the file counts as missing.
  constexpr int kAttempts = 5;
  Bytes bytes;
  for (int attempt = 0; attempt < kAttempts && bytes.empty(); ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
      uint8_t chunk[65536];
      size_t n = 0;
      while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
      std::fclose(f);
    }
  }
  return bytes;
}

Bytes Utf16Be(const std::string& ascii) {
  Bytes b;
  for (char c : ascii) AppendU16(b, static_cast<uint8_t>(c));
  return b;
}

NameRecord WindowsName(uint16_t nameId, const std::string& ascii) {
  return {3, 1, 1033, nameId, Utf16Be(ascii)};
}

NameRecord MacName(uint16_t nameId, const std::string& ascii) {
  return {1, 0, 0, nameId, Bytes(ascii.begin(), ascii.end())};
}

SyntheticFace NamedFace(const std::string& family, const std::string& style, uint16_t macStyle) {
  SyntheticFace face;
  face.names = {WindowsName(1, family), WindowsName(2, style)};
  face.macStyle = macStyle;
  return face;
}

Bytes BuildFont(const SyntheticFace& face) {
  Bytes out;
  AppendFace(out, face);
  return out;
}

Bytes BuildCollection(const std::vector<SyntheticFace>& faces) {
  Bytes out{'t', 't', 'c', 'f'};
  AppendU32(out, 0x00010000);
  AppendU32(out, static_cast<uint32_t>(faces.size()));
  size_t offsets = out.size();
  out.resize(out.size() + 4 * faces.size(), 0);
  for (size_t i = 0; i < faces.size(); ++i) {
    Pad4(out);
    PutU32(out, offsets + 4 * i, static_cast<uint32_t>(out.size()));
    AppendFace(out, faces[i]);
  }
  return out;
}

}  // namespace plugfw::gfx::test

namespace plugfw::gfx::test {

Bytes WrapInCollection(const Bytes& font, uint32_t copies) {
  size_t tables = (font[4] << 8) | font[5];
  size_t directorySize = 12 + 16 * tables;
  size_t headerSize = 12 + 4 * copies;
  size_t shift = headerSize + copies * directorySize - directorySize;
  Bytes out{'t', 't', 'c', 'f'};
  AppendU32(out, 0x00010000);
  AppendU32(out, copies);
  for (uint32_t i = 0; i < copies; ++i) AppendU32(out, static_cast<uint32_t>(headerSize + i * directorySize));
  for (uint32_t i = 0; i < copies; ++i) {
    size_t at = out.size();
    out.insert(out.end(), font.begin(), font.begin() + static_cast<std::ptrdiff_t>(directorySize));
    for (size_t t = 0; t < tables; ++t) {
      size_t record = at + 12 + 16 * t;
      uint32_t offset = (static_cast<uint32_t>(out[record + 8]) << 24) | (out[record + 9] << 16) |
                        (out[record + 10] << 8) | out[record + 11];
      PutU32(out, record + 8, static_cast<uint32_t>(offset + shift));
    }
  }
  out.insert(out.end(), font.begin() + static_cast<std::ptrdiff_t>(directorySize), font.end());
  return out;
}

}  // namespace plugfw::gfx::test

namespace plugfw::gfx::test {

Bytes BuildSfnt(const std::vector<std::pair<std::string, Bytes>>& tables) {
  Bytes out;
  AppendU32(out, 0x00010000);
  AppendU16(out, static_cast<uint16_t>(tables.size()));
  AppendU16(out, 0);
  AppendU16(out, 0);
  AppendU16(out, 0);
  size_t records = out.size();
  out.resize(out.size() + 16 * tables.size(), 0);
  for (size_t i = 0; i < tables.size(); ++i) {
    Pad4(out);
    size_t at = records + 16 * i;
    std::memcpy(&out[at], tables[i].first.data(), 4);
    PutU32(out, at + 8, static_cast<uint32_t>(out.size()));
    PutU32(out, at + 12, static_cast<uint32_t>(tables[i].second.size()));
    out.insert(out.end(), tables[i].second.begin(), tables[i].second.end());
  }
  Pad4(out);
  return out;
}

Bytes BuildGridFont(int32_t cells) {
  constexpr uint16_t kEm = 1000;
  SyntheticFace face;
  face.unitsPerEm = kEm;
  Bytes head = HeadTable(face);
  PutU16(head, 50, 1);  // long loca offsets
  Bytes hhea = HheaTable(face);
  PutU16(hhea, 34, 2);  // two horizontal metrics
  Bytes maxp;
  AppendU32(maxp, 0x00005000);
  AppendU16(maxp, 2);
  Bytes hmtx;
  for (int i = 0; i < 2; ++i) {
    AppendU16(hmtx, kEm);
    AppendU16(hmtx, 0);
  }
  // One segment mapping 'A' to glyph 1, and the closing 0xFFFF segment.
  Bytes cmap;
  AppendU16(cmap, 0);
  AppendU16(cmap, 1);
  AppendU16(cmap, 3);
  AppendU16(cmap, 1);
  AppendU32(cmap, 12);
  const uint16_t format4[] = {
      4, 32, 0, 4, 4, 1, 0, 'A', 0xFFFF, 0, 'A', 0xFFFF, static_cast<uint16_t>(1 - 'A'), 1, 0, 0};
  for (uint16_t v : format4) AppendU16(cmap, v);
  // Glyph 1: a grid of cells x cells small squares, each its own contour, all on-curve
  // points with 16-bit deltas.
  Bytes glyph;
  const int32_t contours = cells * cells;
  const int16_t step = static_cast<int16_t>(kEm / cells), side = static_cast<int16_t>(step / 2);
  AppendU16(glyph, static_cast<uint16_t>(contours));
  for (int16_t v :
       {int16_t{0}, int16_t{0}, static_cast<int16_t>(step * cells), static_cast<int16_t>(step * cells)})
    AppendU16(glyph, static_cast<uint16_t>(v));
  for (int32_t c = 0; c < contours; ++c) AppendU16(glyph, static_cast<uint16_t>(4 * c + 3));
  AppendU16(glyph, 0);  // no instructions
  for (int32_t p = 0; p < 4 * contours; ++p) glyph.push_back(0x01);
  std::vector<int16_t> xs, ys;
  for (int32_t row = 0; row < cells; ++row) {
    for (int32_t col = 0; col < cells; ++col) {
      int16_t x = static_cast<int16_t>(col * step), y = static_cast<int16_t>(row * step);
      xs.insert(xs.end(), {x, x, static_cast<int16_t>(x + side), static_cast<int16_t>(x + side)});
      ys.insert(ys.end(), {y, static_cast<int16_t>(y + side), static_cast<int16_t>(y + side), y});
    }
  }
  int16_t last = 0;
  for (int16_t x : xs) {
    AppendU16(glyph, static_cast<uint16_t>(x - last));
    last = x;
  }
  last = 0;
  for (int16_t y : ys) {
    AppendU16(glyph, static_cast<uint16_t>(y - last));
    last = y;
  }
  Pad4(glyph);
  Bytes loca;
  AppendU32(loca, 0);
  AppendU32(loca, 0);
  AppendU32(loca, static_cast<uint32_t>(glyph.size()));
  return BuildSfnt({{"cmap", cmap},
                    {"glyf", glyph},
                    {"head", head},
                    {"hhea", hhea},
                    {"hmtx", hmtx},
                    {"loca", loca},
                    {"maxp", maxp}});
}

}  // namespace plugfw::gfx::test
