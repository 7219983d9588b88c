#include "core/heap_string.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace plugfw {
namespace {

const char kEmptyText[] = "";

size_t BoundedLength(const char* text, int32_t maxLength) {
  if (maxLength <= 0) return std::strlen(text);
  const void* nul = std::memchr(text, 0, static_cast<size_t>(maxLength));
  return nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : static_cast<size_t>(maxLength);
}

}  // namespace

HeapString HeapString::CopyConstruct(const HeapString* other) {
  HeapString copy;
  if (other) copy.Set(other->Get());
  return copy;
}

const char* HeapString::Get() const {
  const uint8_t* data = buffer_.Data();
  return data ? reinterpret_cast<const char*>(data) : kEmptyText;
}

int32_t HeapString::Length() const {
  const uint8_t* data = buffer_.Data();
  if (!data) return 0;
  const void* nul = std::memchr(data, 0, static_cast<size_t>(buffer_.Size()));
  return nul ? static_cast<int32_t>(static_cast<const uint8_t*>(nul) - data) : buffer_.Size();
}

bool HeapString::GrowTo(int32_t size, const char** source) {
  if (size <= buffer_.Size()) return true;
  const uint8_t* oldData = buffer_.Data();
  const int32_t oldCapacity = buffer_.Capacity();
  const char* text = source ? *source : nullptr;
  const bool inside = text && oldData && reinterpret_cast<const uint8_t*>(text) >= oldData &&
                      reinterpret_cast<const uint8_t*>(text) < oldData + oldCapacity;
  const ptrdiff_t offset = inside ? reinterpret_cast<const uint8_t*>(text) - oldData : 0;
  buffer_.Resize(size, false);
  if (buffer_.Size() < size) return false;
  if (inside) *source = reinterpret_cast<const char*>(buffer_.Data()) + offset;
  return true;
}

void HeapString::Terminate(int32_t length) {
  // Only shrinks the size: repeated edits must not reallocate.
  buffer_.Data()[length] = 0;
  if (buffer_.Size() > length + 1) buffer_.Resize(length + 1, false);
}

void HeapString::Set(const char* text, int32_t maxLength) {
  if (!text) text = kEmptyText;
  const size_t measured = BoundedLength(text, maxLength);
  if (measured >= static_cast<size_t>(INT32_MAX)) return;
  const int32_t length = static_cast<int32_t>(measured);
  if (!GrowTo(length + 1, &text)) return;
  std::memmove(buffer_.Data(), text, static_cast<size_t>(length));
  Terminate(length);
}

bool HeapString::Insert(int32_t position, const char* text, int32_t length, int32_t tailLength) {
  if (position == 0 && length == 0 && tailLength == 0) {
    Set(kEmptyText);
    return true;
  }
  const int32_t current = Length();
  if (length < 1 || !text || position < 0 || tailLength < 0 || position > current ||
      tailLength > current - position || length > INT32_MAX - 1 - position - tailLength) {
    return false;
  }
  // A source inside this string would be moved by the growth and by the tail
  // shift; splice from a copy of it instead.
  const uint8_t* own = buffer_.Data();
  const auto* source = reinterpret_cast<const uint8_t*>(text);
  HeapBuffer copy(HeapBuffer::kTextGranularity);
  if (own && source >= own && source < own + buffer_.Capacity()) {
    if (copy.Append(text, length) != length) return false;
    text = reinterpret_cast<const char*>(copy.Data());
  }
  const int32_t total = position + length + tailLength;
  if (!GrowTo(total + 1, nullptr)) return false;
  char* data = reinterpret_cast<char*>(buffer_.Data());
  std::memmove(data + position + length, data + position, static_cast<size_t>(tailLength));
  std::memcpy(data + position, text, static_cast<size_t>(length));
  Terminate(total);
  return true;
}

bool HeapString::Append(const char* text) {
  if (!text || !*text) return true;
  const size_t length = std::strlen(text);
  if (length >= static_cast<size_t>(INT32_MAX)) return false;
  return Insert(Length(), text, static_cast<int32_t>(length), 0);
}

void HeapString::Assign(const HeapBuffer& other) {
  if (&other == &buffer_) return;
  const int32_t size = other.Size();
  buffer_.Resize(size, true);
  if (buffer_.Size() != size) {
    buffer_.Resize(0, true);
    return;
  }
  if (size == 0) return;
  std::memcpy(buffer_.Data(), other.Data(), static_cast<size_t>(size));
  // A plain byte block need not end in a NUL; readers rely on one.
  if (buffer_.Data()[size - 1] != 0) {
    const uint8_t nul = 0;
    if (buffer_.Append(&nul, 1) != size + 1) buffer_.Data()[size - 1] = 0;
  }
}

void HeapString::Assign(const HeapString& other) { Assign(other.buffer_); }

int32_t HeapString::SetFormatted(int32_t maxLength, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const int32_t length = FormatAppend(false, maxLength, format, arguments);
  va_end(arguments);
  return length;
}

int32_t HeapString::AppendFormatted(int32_t maxLength, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const int32_t length = FormatAppend(true, maxLength, format, arguments);
  va_end(arguments);
  return length;
}

int32_t HeapString::FormatAppend(bool append, int32_t maxLength, const char* format, va_list arguments) {
  if (!format || maxLength < 0) return Length();
  const int32_t start = append ? Length() : 0;
  if (maxLength > INT32_MAX - 1 - start) return Length();
  // Arguments may point into this string's own text, which growing would free;
  // format into scratch space first.
  constexpr int32_t kLocalCapacity = 256;
  char local[kLocalCapacity];
  HeapBuffer scratch(HeapBuffer::kTextGranularity);
  char* formatted = local;
  if (maxLength + 1 > kLocalCapacity) {
    if (!scratch.Resize(maxLength + 1)) return Length();
    formatted = reinterpret_cast<char*>(scratch.Data());
  }
  const int written = std::vsnprintf(formatted, static_cast<size_t>(maxLength) + 1, format, arguments);
  const int32_t kept = written < 0 ? 0 : std::min<int32_t>(written, maxLength);
  if (buffer_.Size() < start + kept + 1) {
    buffer_.Resize(start + kept + 1, false);
    if (buffer_.Size() < start + kept + 1) return Length();
  }
  std::memcpy(buffer_.Data() + start, formatted, static_cast<size_t>(kept));
  Terminate(start + kept);
  return start + kept;
}

}  // namespace plugfw
