#include "graphics/platform/wide_text_win32.h"

#include "core/utf_conversion.h"

namespace plugfw::gfx {

int32_t Utf8ToWide(wchar_t* destination, const char* text, int32_t capacity) {
  const auto needed =
      static_cast<int32_t>(ConvertUtf8ToUtf16<wchar_t>(text, kToTerminator, nullptr, 0).needed + 1);
  if (destination == nullptr || capacity <= 0) return needed;
  if (needed > capacity) {
    destination[0] = L'\0';
  } else {
    ConvertUtf8ToUtf16(text, kToTerminator, destination, static_cast<size_t>(capacity));
  }
  return needed;
}

std::wstring WideFromUtf8(const char* text) { return Utf16String<wchar_t>(text); }

bool WideFromUtf8Strict(const char* text, std::wstring* out) {
  out->clear();
  if (text == nullptr) return false;
  bool replaced = false;
  std::wstring wide = Utf16String<wchar_t>(text, kToTerminator, &replaced);
  if (replaced) return false;
  *out = std::move(wide);
  return true;
}

bool Utf8FromWide(const wchar_t* text, int32_t count, std::string* out) {
  out->clear();
  if (text == nullptr) return false;
  bool replaced = false;
  std::string utf8 = Utf8String(text, count < 0 ? kToTerminator : static_cast<size_t>(count), &replaced);
  if (replaced) return false;
  *out = std::move(utf8);
  return true;
}

}  // namespace plugfw::gfx
