// The UTF-8 shims. Wide text lives in HeapBuffers (two bytes a unit, with room for
// the long-path prefix), so no conversion throws; a failed conversion takes the
// narrow call, except where the narrow call would create something under a name
// mangled by the ANSI code page.

#include <shlobj.h>
#include <windows.h>

#include <cstring>
#include <cwchar>
#include <utility>

#include "app/utf8_shims.h"
#include "app/utf8_text.h"
#include "core/utf8_prefix.h"
#include "core/utf_conversion.h"

namespace plugfw {
namespace {

constexpr wchar_t kOldProcProperty[] = L"UTF8ShimOldProc";
constexpr wchar_t kOldWideProcProperty[] = L"UTF8ShimOldProcW";

wchar_t* Units(HeapBuffer& wide) { return reinterpret_cast<wchar_t*>(wide.Data()); }

// For the wide calls: false for text that is not well-formed UTF-8 (its replaced characters
// would name something else) or no memory; the shim then takes the narrow call.
bool WideForCall(const char* text, HeapBuffer* wide, int32_t spareUnits = 0) {
  if (text == nullptr) return false;
  const TextConversion measured = ConvertUtf8ToUtf16<wchar_t>(text, kToTerminator, nullptr, 0);
  const size_t units = measured.needed + 1;
  if (measured.replaced || wide->Resize(static_cast<int32_t>(units + spareUnits) * 2) == nullptr)
    return false;
  ConvertUtf8ToUtf16(text, kToTerminator, Units(*wide), units);
  return true;
}

// For optional arguments (a null section or key means a list): null stays null.
struct OptionalWide {
  HeapBuffer buffer;
  bool ok = true;
  explicit OptionalWide(const char* text) {
    if (text != nullptr) ok = WideForCall(text, &buffer);
  }
  const wchar_t* Get() { return buffer.Size() > 0 ? Units(buffer) : nullptr; }
};

// UTF-8 of count units (count -1: up to the terminator) into a buffer, terminated; *bytes
// excludes the terminator. False only without memory.
bool Utf8FromWide(const wchar_t* wide, int count, HeapBuffer* utf8, int* bytes) {
  *bytes = 0;
  const size_t length = count < 0 ? kToTerminator : static_cast<size_t>(count);
  const size_t needed = ConvertUtf16ToUtf8(wide, length, nullptr, 0).needed + 1;
  if (utf8->Resize(static_cast<int32_t>(needed)) == nullptr) return false;
  *bytes = static_cast<int>(
      ConvertUtf16ToUtf8(wide, length, reinterpret_cast<char*>(utf8->Data()), needed).written);
  return true;
}

const char* Text(const HeapBuffer& utf8) { return reinterpret_cast<const char*>(utf8.Data()); }

int32_t LongPathLengthFor(PathUse use) {
  return use == PathUse::kDirectory ? kLongDirectoryPathLength : kLongPathLength;
}

bool NeedsWidePath(const char* path, PathUse use) {
  return HasUtf8(path) > 0 || std::strlen(path) >= static_cast<size_t>(LongPathLengthFor(use));
}

bool IsWriteMode(const char* mode) { return std::strpbrk(mode, "+aw") != nullptr; }

// Calls that create or change something on disk must not take the narrow road with
// UTF-8 text: the code page would turn the name into a different one.
bool NarrowWouldMangle(const char* text) { return HasUtf8(text) > 0; }

}  // namespace

bool WidePathFromUtf8(const char* path, PathUse use, HeapBuffer* wide) {
  if (path == nullptr || wide == nullptr) return false;
  HeapBuffer given;
  if (!WideForCall(path, &given, kLongPathPrefixRoom)) return false;
  const wchar_t* units = Units(given);
  if (IsVerbatimPath(units)) {
    *wide = std::move(given);
    return true;
  }
  // The prefix turns off the platform's own clean-up of "." and ".." and makes
  // relative paths meaningless, so paths are made absolute first; only a library
  // name stays relative, for the library search order.
  const bool resolve = use != PathUse::kLibrary || IsFullyQualifiedPath(units);
  const DWORD fullUnits = resolve && units[0] != 0 ? GetFullPathNameW(units, 0, nullptr, nullptr) : 0;
  if (fullUnits > 0) {
    HeapBuffer full;
    if (full.Resize(static_cast<int32_t>(fullUnits + kLongPathPrefixRoom) * 2) == nullptr) return false;
    const DWORD length = GetFullPathNameW(units, fullUnits, Units(full), nullptr);
    if (length > 0 && length < fullUnits) given = std::move(full);
  }
  LongPathPrefix(Units(given), given.Size() / 2, LongPathLengthFor(use));
  *wide = std::move(given);
  return true;
}

BOOL CreateDirectoryUtf8(const char* path, LPSECURITY_ATTRIBUTES security) {
  if (path == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (NeedsWidePath(path, PathUse::kDirectory)) {
    HeapBuffer wide;
    if (WidePathFromUtf8(path, PathUse::kDirectory, &wide)) return CreateDirectoryW(Units(wide), security);
    if (NarrowWouldMangle(path)) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return FALSE;
    }
  }
  return CreateDirectoryA(path, security);
}

HMODULE LoadLibraryUtf8(const char* path) {
  if (path == nullptr) return nullptr;
  if (NeedsWidePath(path, PathUse::kLibrary)) {
    HeapBuffer wide;
    if (WidePathFromUtf8(path, PathUse::kLibrary, &wide)) return LoadLibraryW(Units(wide));
  }
  return LoadLibraryA(path);
}

FILE* FopenUtf8(const char* path, const char* mode) {
  static constexpr int32_t kModeUnits = 32;
  if (path == nullptr || mode == nullptr) return nullptr;
  const bool writes = IsWriteMode(mode);
  if (NeedsWidePath(path, PathUse::kFile)) {
    HeapBuffer widePath;
    HeapBuffer wideMode;
    const bool converted = std::strlen(mode) < static_cast<size_t>(kModeUnits) &&
                           WidePathFromUtf8(path, PathUse::kFile, &widePath) && WideForCall(mode, &wideMode);
    if (converted) {
      FILE* file = _wfopen(Units(widePath), Units(wideMode));
      if (file != nullptr || writes) return file;
    } else if (writes && NarrowWouldMangle(path)) {
      return nullptr;
    }
  }
  return std::fopen(path, mode);
}

int StatUtf8(const char* path, struct _stat64* info) {
  if (path == nullptr || info == nullptr) return -1;
  if (NeedsWidePath(path, PathUse::kFile)) {
    HeapBuffer wide;
    if (WidePathFromUtf8(path, PathUse::kFile, &wide) && _wstat64(Units(wide), info) == 0) return 0;
  }
  return _stat64(path, info);
}

UINT GetPrivateProfileIntUtf8(const char* section, const char* key, INT defaultValue, const char* file) {
  if (HasUtf8(file) > 0) {
    OptionalWide wideSection(section), wideKey(key), wideFile(file);
    if (wideSection.ok && wideKey.ok && wideFile.ok) {
      return GetPrivateProfileIntW(wideSection.Get(), wideKey.Get(), defaultValue, wideFile.Get());
    }
  }
  return GetPrivateProfileIntA(section, key, defaultValue, file);
}

DWORD GetPrivateProfileStringUtf8(const char* section, const char* key, const char* defaultValue, char* out,
                                  DWORD size, const char* file) {
  static constexpr DWORD kWideUnits = 1024;
  static constexpr DWORD kLargeRequest = 1000;
  if (out == nullptr || size == 0) return 0;
  if (HasUtf8(file) > 0) {
    OptionalWide wideSection(section), wideKey(key), wideDefault(defaultValue), wideFile(file);
    HeapBuffer result;
    const DWORD units = size > kLargeRequest ? size + 5 : kWideUnits;
    if (wideSection.ok && wideKey.ok && wideDefault.ok && wideFile.ok &&
        result.Resize(static_cast<int32_t>(units) * 2) != nullptr) {
      const DWORD got = GetPrivateProfileStringW(wideSection.Get(), wideKey.Get(), wideDefault.Get(),
                                                 Units(result), units, wideFile.Get());
      HeapBuffer utf8;
      int bytes = 0;
      if (Utf8FromWide(Units(result), static_cast<int>(got), &utf8, &bytes)) {
        const int terminators = section != nullptr && key != nullptr ? 1 : 2;
        const int room = static_cast<int>(size) - terminators;
        if (room < 0) {
          std::memset(out, 0, size);
          return 0;
        }
        // A list arrives with its last string's terminator; the list's own follows here.
        if (terminators == 2 && bytes > 0 && utf8.Data()[bytes - 1] == 0) --bytes;
        const int kept = Utf8PrefixLength(Text(utf8), bytes, room);
        std::memcpy(out, utf8.Data(), static_cast<size_t>(kept));
        std::memset(out + kept, 0, static_cast<size_t>(terminators));
        // As the platform counts: a whole list up to its last terminator, a cut one without.
        const bool wholeList = terminators == 2 && kept == bytes && kept > 0;
        return static_cast<DWORD>(wholeList ? kept + 1 : kept);
      }
    }
  }
  return GetPrivateProfileStringA(section, key, defaultValue, out, size, file);
}

BOOL WritePrivateProfileStringUtf8(const char* section, const char* key, const char* value,
                                   const char* file) {
  if (HasUtf8(file) > 0) {
    OptionalWide wideSection(section), wideKey(key), wideValue(value), wideFile(file);
    if (wideSection.ok && wideKey.ok && wideValue.ok && wideFile.ok) {
      return WritePrivateProfileStringW(wideSection.Get(), wideKey.Get(), wideValue.Get(), wideFile.Get());
    }
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  return WritePrivateProfileStringA(section, key, value, file);
}

bool GetSpecialFolderPathUtf8(HWND owner, char* out, int32_t size, int folder, bool create) {
  static constexpr int32_t kWideUnits = 4096;
  if (out == nullptr || size <= 0) return false;
  HeapBuffer wide;
  if (wide.Resize(kWideUnits * 2) != nullptr && SHGetSpecialFolderPathW(owner, Units(wide), folder, create)) {
    HeapBuffer utf8;
    int bytes = 0;
    if (!Utf8FromWide(Units(wide), -1, &utf8, &bytes) || bytes >= size) return false;
    std::memcpy(out, utf8.Data(), static_cast<size_t>(bytes) + 1);
    return true;
  }
  // The narrow call writes up to MAX_PATH bytes whatever out's size.
  char narrow[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathA(owner, narrow, folder, create)) return false;
  const size_t length = std::strlen(narrow);
  if (length >= static_cast<size_t>(size)) return false;
  std::memcpy(out, narrow, length + 1);
  return true;
}

int MessageBoxUtf8(HWND owner, const char* text, const char* caption, UINT type) {
  static constexpr int32_t kHalfUnits = 1024;
  if (HasUtf8(text) != 0 || HasUtf8(caption) != 0) {
    HeapBuffer buffer;
    if (buffer.Resize(kHalfUnits * 2 * 2) != nullptr) {
      wchar_t* textHalf = Units(buffer);
      wchar_t* captionHalf = textHalf + kHalfUnits;
      const wchar_t* wideText =
          text ? WideFromUtf8Lenient(text, textHalf, kHalfUnits, kLenientTruncate) : L"";
      const wchar_t* wideCaption =
          caption ? WideFromUtf8Lenient(caption, captionHalf, kHalfUnits, kLenientTruncate) : nullptr;
      if (wideText != nullptr && (caption == nullptr || wideCaption != nullptr)) {
        return MessageBoxW(owner, wideText, wideCaption, type);
      }
    }
  }
  return MessageBoxA(owner, text, caption, type);
}

namespace {

// Appends the time formatted by format to out, one conversion at a time: the C
// runtime's wcsftime passes literal text through the locale's narrow form, which
// loses every character outside it, so literal text is copied here instead.
// Returns the units written, cut to capacity - 1.
size_t FormatTimeWide(const wchar_t* format, const struct tm* time, wchar_t* out, size_t capacity) {
  static constexpr size_t kConversionUnits = 256;
  size_t written = 0;
  const auto append = [&](const wchar_t* units, size_t count) {
    for (size_t i = 0; i < count && written + 1 < capacity; ++i) out[written++] = units[i];
  };
  for (const wchar_t* at = format; *at != 0;) {
    if (*at != L'%') {
      append(at++, 1);
      continue;
    }
    const wchar_t* start = at++;
    if (*at == L'#') ++at;
    if (*at == 0) break;
    wchar_t conversion[4] = {};
    std::wmemcpy(conversion, start, static_cast<size_t>(at - start) + 1);
    ++at;
    wchar_t piece[kConversionUnits];
    append(piece, wcsftime(piece, kConversionUnits, conversion, time));
  }
  out[written] = 0;
  return written;
}

}  // namespace

size_t StrftimeUtf8(char* out, size_t size, const char* format, const struct tm* time) {
  static constexpr size_t kWideUnits = 1024;
  static constexpr size_t kLargeRequest = 1000;
  if (out == nullptr || size == 0) return 0;
  if (format == nullptr || time == nullptr) {
    out[0] = '\0';
    return 0;
  }
  HeapBuffer wideFormat;
  HeapBuffer result;
  const size_t units = size > kLargeRequest ? size + 5 : kWideUnits;
  if (WideForCall(format, &wideFormat) && result.Resize(static_cast<int32_t>(units * 2)) != nullptr) {
    const size_t written = FormatTimeWide(Units(wideFormat), time, Units(result), units);
    HeapBuffer utf8;
    int bytes = 0;
    if (Utf8FromWide(Units(result), static_cast<int>(written), &utf8, &bytes)) {
      const int kept = Utf8PrefixLength(Text(utf8), bytes, static_cast<int>(size) - 1);
      std::memcpy(out, utf8.Data(), static_cast<size_t>(kept));
      out[kept] = '\0';
      return static_cast<size_t>(kept);
    }
  }
  return std::strftime(out, size, format, time);
}

// ---- Combo boxes that hold UTF-16 items behind a UTF-8 face -------------------

namespace {

WNDPROC OldProc(HWND window) { return reinterpret_cast<WNDPROC>(GetPropW(window, kOldProcProperty)); }

WNDPROC OldWideProc(HWND window) {
  auto wide = reinterpret_cast<WNDPROC>(GetPropW(window, kOldWideProcProperty));
  return wide != nullptr ? wide : OldProc(window);
}

void RestoreProc(HWND window) {
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OldProc(window)));
  RemovePropW(window, kOldProcProperty);
  RemovePropW(window, kOldWideProcProperty);
}

// Both faces of the previous procedure are kept: the narrow one for the messages
// passed on untouched, the wide one for the messages the shim converts.
void ReplaceProc(HWND window, WNDPROC proc) {
  if (window == nullptr || GetPropW(window, kOldProcProperty) != nullptr) return;
  const LONG_PTR wide = GetWindowLongPtrW(window, GWLP_WNDPROC);
  const LONG_PTR narrow = GetWindowLongPtrA(window, GWLP_WNDPROC);
  if (!SetPropW(window, kOldWideProcProperty, reinterpret_cast<HANDLE>(wide))) return;
  if (!SetPropW(window, kOldProcProperty, reinterpret_cast<HANDLE>(narrow))) {
    RemovePropW(window, kOldWideProcProperty);
    return;
  }
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
}

// Owner-drawn lists without strings carry item data, not text, in lParam.
bool ItemsAreText(HWND window, UINT message) {
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  const bool listBox = message >= LB_ADDSTRING && message <= LB_MSGMAX;
  const LONG_PTR ownerDraw =
      listBox ? (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE) : (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE);
  const LONG_PTR hasStrings = listBox ? LBS_HASSTRINGS : CBS_HASSTRINGS;
  return (style & ownerDraw) == 0 || (style & hasStrings) != 0;
}

// The item's UTF-16 text from the wide procedure; false when there is none.
bool WideItem(WNDPROC wideProc, HWND window, UINT lengthMessage, UINT textMessage, WPARAM index,
              HeapBuffer* wide) {
  const LRESULT length = CallWindowProcW(wideProc, window, lengthMessage, index, 0);
  if (length < 0 || wide->Resize(static_cast<int32_t>(length + 1) * 2) == nullptr) return false;
  Units(*wide)[0] = 0;
  const LRESULT got =
      CallWindowProcW(wideProc, window, textMessage, index, reinterpret_cast<LPARAM>(Units(*wide)));
  if (got < 0 || got > length) return false;
  Units(*wide)[got] = 0;
  return true;
}

LRESULT CallWideWithText(HWND window, UINT message, WPARAM wParam, const char* text) {
  Utf16Unit local[1024];
  Utf16Unit* wide = WideFromUtf8Lenient(text, local, 1024, kLenientForce);
  if (wide == nullptr)
    return CallWindowProcA(OldProc(window), window, message, wParam, reinterpret_cast<LPARAM>(text));
  const LRESULT result =
      CallWindowProcW(OldWideProc(window), window, message, wParam, reinterpret_cast<LPARAM>(wide));
  ReleaseLenientWide(wide, local);
  return result;
}

// UTF-8 grows a UTF-16 unit to at most three bytes (four for a pair of two).
LRESULT Utf8LengthAllowance(LRESULT wideLength) { return wideLength < 0 ? wideLength : wideLength * 4 + 32; }

LRESULT CopyItemAsUtf8(HWND window, UINT lengthMessage, UINT textMessage, WPARAM index, char* out) {
  HeapBuffer wide;
  if (out == nullptr || !WideItem(OldWideProc(window), window, lengthMessage, textMessage, index, &wide)) {
    return CB_ERR;
  }
  HeapBuffer utf8;
  int bytes = 0;
  if (!Utf8FromWide(Units(wide), -1, &utf8, &bytes)) return CB_ERR;
  const LRESULT allowance = Utf8LengthAllowance(wide.Size() / 2 - 1);
  const int kept = Utf8PrefixLength(Text(utf8), bytes, static_cast<int>(allowance) - 1);
  std::memcpy(out, utf8.Data(), static_cast<size_t>(kept));
  out[kept] = '\0';
  return kept;
}

LRESULT CALLBACK ComboProcUtf8(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const WNDPROC oldProc = OldProc(window);
  if (oldProc == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  const char* text = reinterpret_cast<const char*>(lParam);
  switch (message) {
    case WM_NCDESTROY:
      RestoreProc(window);
      return CallWindowProcA(oldProc, window, message, wParam, lParam);
    case CB_ADDSTRING:
    case CB_INSERTSTRING:
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
      if (text != nullptr && ItemsAreText(window, message) && HasUtf8(text) != 0) {
        return CallWideWithText(window, message, wParam, text);
      }
      break;
    case CB_GETLBTEXT:
      if (ItemsAreText(window, message)) {
        return CopyItemAsUtf8(window, CB_GETLBTEXTLEN, CB_GETLBTEXT, wParam, reinterpret_cast<char*>(lParam));
      }
      break;
    case LB_GETTEXT:
      if (ItemsAreText(window, message)) {
        return CopyItemAsUtf8(window, LB_GETTEXTLEN, LB_GETTEXT, wParam, reinterpret_cast<char*>(lParam));
      }
      break;
    case CB_GETLBTEXTLEN:
    case LB_GETTEXTLEN:
      if (ItemsAreText(window, message)) {
        return Utf8LengthAllowance(CallWindowProcW(OldWideProc(window), window, message, wParam, 0));
      }
      break;
    default:
      break;
  }
  return CallWindowProcA(oldProc, window, message, wParam, lParam);
}

// Whether ansi is how the edit was handed wideItem through the ANSI code page: by
// the code page's own rendering, or by the byte-for-character rule.
bool ShowsItemThroughCodePage(const wchar_t* wideItem, const char* itemUtf8, const char* ansi) {
  if (Utf8MatchesAnsi(itemUtf8, ansi) == 0) return true;
  const int bytes = WideCharToMultiByte(CP_ACP, 0, wideItem, -1, nullptr, 0, nullptr, nullptr);
  HeapBuffer rendered;
  if (bytes <= 0 || rendered.Resize(bytes) == nullptr) return false;
  WideCharToMultiByte(CP_ACP, 0, wideItem, -1, reinterpret_cast<char*>(rendered.Data()), bytes, nullptr,
                      nullptr);
  return std::strcmp(reinterpret_cast<const char*>(rendered.Data()), ansi) == 0;
}

LRESULT CALLBACK EditProcUtf8(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const WNDPROC oldProc = OldProc(window);
  if (oldProc == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  const char* text = reinterpret_cast<const char*>(lParam);
  if (message == WM_NCDESTROY) {
    RestoreProc(window);
    return CallWindowProcA(oldProc, window, message, wParam, lParam);
  }
  HWND combo = GetParent(window);
  if (message == WM_SETTEXT && text != nullptr && text[0] != '\0' && combo != nullptr &&
      GetPropW(combo, kOldProcProperty) != nullptr) {
    const WNDPROC comboWide = OldWideProc(combo);
    const LRESULT selected = CallWindowProcW(comboWide, combo, CB_GETCURSEL, 0, 0);
    HeapBuffer wideItem;
    HeapBuffer itemUtf8;
    int bytes = 0;
    if (selected >= 0 &&
        WideItem(comboWide, combo, CB_GETLBTEXTLEN, CB_GETLBTEXT, static_cast<WPARAM>(selected), &wideItem) &&
        Utf8FromWide(Units(wideItem), -1, &itemUtf8, &bytes)) {
      const char* item = Text(itemUtf8);
      if (HasUtf8(item) > 0 && ShowsItemThroughCodePage(Units(wideItem), item, text)) {
        return CallWindowProcW(OldWideProc(window), window, WM_SETTEXT, wParam,
                               reinterpret_cast<LPARAM>(Units(wideItem)));
      }
    }
  }
  return CallWindowProcA(oldProc, window, message, wParam, lParam);
}

}  // namespace

void SubclassWindowUtf8(HWND window) {
  if (window == nullptr) return;
  ReplaceProc(window, ComboProcUtf8);
  ReplaceProc(FindWindowExW(window, nullptr, L"Edit", nullptr), EditProcUtf8);
}

}  // namespace plugfw
