#include "graphics/platform/wide_text_win32.h"

namespace plugfw::gfx {

int32_t Utf8ToWide(wchar_t* destination, const char* text, int32_t capacity) {
  if (text == nullptr) text = "";
  int32_t needed = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  if (needed < 1) needed = 1;
  if (destination == nullptr || capacity <= 0) return needed;
  if (needed > capacity || MultiByteToWideChar(CP_UTF8, 0, text, -1, destination, capacity) != needed) {
    destination[0] = L'\0';
  }
  return needed;
}

std::wstring WideFromUtf8(const char* text) {
  const int32_t needed = Utf8ToWide(nullptr, text, 0);
  std::wstring wide(static_cast<size_t>(needed), L'\0');
  Utf8ToWide(wide.data(), text, needed);
  wide.resize(wcslen(wide.c_str()));
  return wide;
}

bool WideFromUtf8Strict(const char* text, std::wstring* out) {
  out->clear();
  if (text == nullptr) return false;
  const int needed = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
  if (needed < 1) return false;
  std::wstring wide(static_cast<size_t>(needed), L'\0');
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, wide.data(), needed) != needed)
    return false;
  wide.resize(static_cast<size_t>(needed) - 1);
  *out = std::move(wide);
  return true;
}

bool Utf8FromWide(const wchar_t* text, int32_t count, std::string* out) {
  out->clear();
  if (text == nullptr) return false;
  if (count == 0 || (count < 0 && text[0] == L'\0')) return true;
  const int needed =
      WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, count, nullptr, 0, nullptr, nullptr);
  if (needed < 1) return false;
  std::string utf8(static_cast<size_t>(needed), '\0');
  if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, count, utf8.data(), needed, nullptr,
                          nullptr) != needed) {
    return false;
  }
  if (count < 0) utf8.resize(static_cast<size_t>(needed) - 1);
  *out = std::move(utf8);
  return true;
}

}  // namespace plugfw::gfx
