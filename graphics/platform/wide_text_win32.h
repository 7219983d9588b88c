#pragma once
// UTF-8 to UTF-16 and back at the editor window's Win32 calls, by the one conversion
// (core/utf_conversion.h). Windows-only header. No shared state: any thread.

#include <windows.h>

#include <cstdint>
#include <string>

namespace plugfw::gfx {

// Converts text into destination when capacity (in UTF-16 units) holds it; when it
// does not, or the conversion fails, destination (if capacity allows) becomes "".
// Returns the units the whole text needs with its terminator, at least 1, so a
// call with capacity 0 sizes a buffer. What is not UTF-8 becomes U+FFFD.
int32_t Utf8ToWide(wchar_t* destination, const char* text, int32_t capacity);

// The same without a fixed buffer; null text gives "".
std::wstring WideFromUtf8(const char* text);
// For paths and addresses, where a replaced character would name something else:
// false (out empty) for null text or text that is not well-formed UTF-8.
bool WideFromUtf8Strict(const char* text, std::wstring* out);

// UTF-8 of count units (-1: up to the terminator). False (out empty) for text
// holding an unpaired surrogate, which has no UTF-8 form.
bool Utf8FromWide(const wchar_t* text, int32_t count, std::string* out);

}  // namespace plugfw::gfx
