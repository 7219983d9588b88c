#pragma once
// Font bytes for the font and glyph tests: the installed Roboto files (never system fonts)
// and small synthetic sfnt files built here, with only the tables the reader looks at.
// Link the gfx_font_fixtures library; HALCYRA_TEST_FONT_DIR names Roboto's folder.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace plugfw::gfx::test {

using Bytes = std::vector<uint8_t>;

// The whole file of a Roboto face, e.g. "Roboto-Regular.ttf"; empty when it cannot be read.
Bytes ReadRobotoFile(const char* fileName);

struct NameRecord {
  uint16_t platform;
  uint16_t encoding;
  uint16_t language;
  uint16_t nameId;
  Bytes text;  // as stored: UTF-16BE for Windows records, bytes for Macintosh ones
};

// UTF-16BE of ASCII text, and the Windows and Macintosh records of it.
Bytes Utf16Be(const std::string& ascii);
NameRecord WindowsName(uint16_t nameId, const std::string& ascii);
NameRecord MacName(uint16_t nameId, const std::string& ascii);

struct SyntheticFace {
  std::vector<NameRecord> names;
  uint16_t macStyle = 0;
  uint16_t unitsPerEm = 1000;
  int16_t ascender = 800;
  int16_t descender = -200;
  int16_t lineGap = 90;
};
// A face named family / style in Windows records.
SyntheticFace NamedFace(const std::string& family, const std::string& style, uint16_t macStyle = 0);

// One face as a plain TrueType file, or several as a "ttcf" collection (version 1).
Bytes BuildFont(const SyntheticFace& face);
Bytes BuildCollection(const std::vector<SyntheticFace>& faces);

// Big-endian writes into bytes, for tests that break a file on purpose.
void PutU16(Bytes& bytes, size_t at, uint16_t value);
void PutU32(Bytes& bytes, size_t at, uint32_t value);
// The directory record of tag in the face whose directory starts at directoryOffset:
// the position of its record, or 0 when absent.
size_t TableRecordAt(const Bytes& bytes, size_t directoryOffset, const char* tag);

}  // namespace plugfw::gfx::test

namespace plugfw::gfx::test {
// A collection of copies faces over one real font file: every face's directory points at
// the same tables, moved behind the collection header.
Bytes WrapInCollection(const Bytes& font, uint32_t copies);
}  // namespace plugfw::gfx::test

namespace plugfw::gfx::test {
// An sfnt file of the tables given, in that order.
Bytes BuildSfnt(const std::vector<std::pair<std::string, Bytes>>& tables);
// A TrueType font whose glyph for 'A' is a grid of cells x cells squares, each a contour of
// its own: as complex an outline as a dense ideograph, in a few kilobytes.
Bytes BuildGridFont(int32_t cells);
}  // namespace plugfw::gfx::test
