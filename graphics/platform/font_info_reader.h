#pragma once
// FontInfoReader: one face of an sfnt font file (TrueType, OpenType or a collection),
// read in place. Every offset the file gives is checked against its size: a table that
// runs past the end counts as absent, a name record outside its table is skipped, so any
// bytes at all can be handed in. Portable; one thread at a time (UI thread in practice).

#include <cstdint>

#include "core/heap_string.h"

namespace plugfw::gfx {

// macStyle bits of the head table.
enum FontStyleBits : uint16_t { kFontStyleBold = 1, kFontStyleItalic = 2, kFontStyleUnderline = 4 };

class FontInfoReader {
 public:
  // No data: IsFont() is false.
  FontInfoReader() = default;
  // Any thread. The bytes must outlive the reader; nothing is copied.
  FontInfoReader(const uint8_t* bytes, int32_t size, int32_t faceIndex);

  // Any thread. Null data, a size too small for the header, an unknown tag, or a face
  // that the file does not hold leave the reader without data.
  void Read(const uint8_t* bytes, int32_t size, int32_t faceIndex);

  // True when the bytes hold the requested face's table directory.
  bool IsFont() const { return directory_ != nullptr; }
  // True when head, name and hhea exist, so names and metrics were read.
  bool HasNamesAndMetrics() const { return head_ != 0 && name_ != 0 && hhea_ != 0; }

  // Offset from the start of the bytes of the table with the 4-letter tag, and its length
  // in *length when given; 0 when absent, when the directory lies past the end, or when the
  // table runs past the end of the bytes.
  uint32_t FindTable(const char* tag, uint32_t* length = nullptr) const;

  // The name table's text for nameId: the Windows Unicode record (platform 3, encoding 1,
  // US English) as UTF-8, or with unicode false the Macintosh Roman record's bytes as they
  // stand. Empty when there is no such record.
  HeapString ReadNames(uint16_t nameId, bool unicode) const;

  // Where the face's table directory starts in the bytes (0 for a single font).
  uint32_t FaceOffset() const { return faceOffset_; }
  const uint8_t* Directory() const { return directory_; }

  const HeapString& FamilyName() const { return familyName_; }
  const HeapString& StyleName() const { return styleName_; }
  uint16_t StyleBits() const { return styleBits_; }
  uint16_t UnitsPerEm() const { return unitsPerEm_; }
  int16_t Ascender() const { return ascender_; }
  int16_t Descender() const { return descender_; }
  int16_t LineGap() const { return lineGap_; }

 private:
  bool LocateFace(int32_t faceIndex);
  void ReadHeadAndMetrics();

  const uint8_t* bytes_ = nullptr;
  uint32_t size_ = 0;
  const uint8_t* directory_ = nullptr;
  uint32_t faceOffset_ = 0;
  uint32_t head_ = 0;
  uint32_t name_ = 0;
  uint32_t hhea_ = 0;
  uint32_t fdsc_ = 0;
  HeapString familyName_;
  HeapString styleName_;
  uint16_t styleBits_ = 0;
  uint16_t unitsPerEm_ = 0;
  int16_t ascender_ = 0;
  int16_t descender_ = 0;
  int16_t lineGap_ = 0;
};

}  // namespace plugfw::gfx
