#pragma once
// HeapString: NUL-terminated UTF-8 text in a HeapBuffer of granularity 128.
// Growth failures leave the string as it was (Assign empties it instead).
// Any thread, one at a time.

#include <cstdarg>
#include <cstdint>

#include "core/heap_buffer.h"

namespace plugfw {

class HeapString {
 public:
  HeapString() : buffer_(HeapBuffer::kTextGranularity) {}
  explicit HeapString(const char* text) : HeapString() { Set(text); }
  HeapString(const HeapString& other) : HeapString() { Assign(other); }
  HeapString& operator=(const HeapString& other) {
    if (this != &other) Assign(other);
    return *this;
  }
  HeapString(HeapString&&) noexcept = default;
  HeapString& operator=(HeapString&&) noexcept = default;

  // A new string holding a copy of other's text ("" for null or empty).
  static HeapString CopyConstruct(const HeapString* other);

  // Takes text (null gives ""); maxLength > 0 caps the bytes taken, which also
  // stop at a NUL. text may point into this string's own storage.
  void Set(const char* text, int32_t maxLength = 0);

  // Splices length bytes of text in at position, moving the tailLength bytes that
  // stood there behind them; the result is position + length + tailLength bytes.
  // Refuses (returns false, unchanged) a position or tail outside the text.
  bool Insert(int32_t position, const char* text, int32_t length, int32_t tailLength);
  bool Append(const char* text);

  // Copies every byte of other; empties this string when storage cannot be had.
  void Assign(const HeapString& other);
  void Assign(const HeapBuffer& other);

  // printf-style with a cap of maxLength characters; returns the text length.
  int32_t SetFormatted(int32_t maxLength, const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 3, 4)))
#endif
      ;
  int32_t AppendFormatted(int32_t maxLength, const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 3, 4)))
#endif
      ;
  int32_t FormatAppend(bool append, int32_t maxLength, const char* format, va_list arguments);

  // Never null: a string without storage reads as "".
  const char* Get() const;
  int32_t Length() const;
  bool Empty() const { return Length() == 0; }
  const HeapBuffer& Buffer() const { return buffer_; }

 private:
  // Grows the buffer to at least size bytes without shrinking storage; re-bases
  // *source when it pointed into the old storage. False when growth failed.
  bool GrowTo(int32_t size, const char** source);
  void Terminate(int32_t length);

  HeapBuffer buffer_;
};

}  // namespace plugfw
