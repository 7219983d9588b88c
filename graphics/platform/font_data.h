#pragma once
// FontData: a whole font file's bytes, copied, with the face the renderer draws and a
// FontInfoReader over that face. It crosses from a platform font to the renderer, whose
// font cache keeps it alive as long as any glyph cache reads its bytes. Not copyable or
// movable: the reader points into its own bytes. One thread at a time (UI thread).

#include <cstdint>

#include "core/heap_buffer.h"
#include "graphics/platform/font_info_reader.h"

namespace plugfw::gfx {

class FontData {
 public:
  // Empty: no bytes, face -1.
  FontData() = default;
  FontData(const FontData&) = delete;
  FontData& operator=(const FontData&) = delete;

  // UI thread. Copies size bytes and reads face faceIndex of them (none for -1). False,
  // leaving the data empty, when the bytes are null or cannot be had.
  bool Assign(const void* bytes, int32_t size, int32_t faceIndex);
  // UI thread. Reads another face of the bytes held; -1 or a face they do not hold
  // leaves the reader without data.
  void SelectFace(int32_t faceIndex);

  const uint8_t* Bytes() const { return bytes_.Data(); }
  int32_t Size() const { return bytes_.Size(); }
  int32_t FaceIndex() const { return faceIndex_; }
  const FontInfoReader& Reader() const { return reader_; }

  // What the renderer takes: bytes, a face, and that face's names and metrics.
  bool IsUsable() const;

 private:
  HeapBuffer bytes_{HeapBuffer::kBlockGranularity};
  int32_t faceIndex_ = -1;
  FontInfoReader reader_;
};

// Any thread. The first face of the bytes, from 0 on, that has head, name and hhea, a
// family name and the style name given (any style for null or ""); -1 when the search
// reaches a face that the bytes do not hold (or the 256th face).
int32_t FindFaceWithStyle(const uint8_t* bytes, int32_t size, const char* styleName);

}  // namespace plugfw::gfx
