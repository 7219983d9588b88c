#pragma once
// UTF-8 shims over the Win32 and C runtime calls that the standalone program
// uses: each takes UTF-8, calls the wide function when the text needs it (it holds
// multi-byte UTF-8, or a path is long) and otherwise the narrow one with the bytes
// as given. Windows-only header. No shared state: any thread, except that the
// combo subclass runs on the UI thread that owns the window.

#include <windows.h>

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <ctime>

#include "core/heap_buffer.h"

namespace plugfw {

enum class PathUse {
  kFile,       // prefixed from 256 characters; relative paths are made absolute first
  kDirectory,  // the same from 248 characters, the directory-creation limit
  kLibrary,    // as a file, but a relative name is left to the library search order
};

// The wide form a shim passes on for path: UTF-16, absolute where the use allows,
// with the long-path prefix when long. False when path is not well-formed UTF-8 or
// nothing could be had; wide then holds nothing useful.
bool WidePathFromUtf8(const char* path, PathUse use, HeapBuffer* wide);

BOOL CreateDirectoryUtf8(const char* path, LPSECURITY_ATTRIBUTES security);
HMODULE LoadLibraryUtf8(const char* path);
// A write, append or update open of UTF-8 text never falls back to the narrow call,
// which would create a file named by the mangled bytes: it returns null instead.
FILE* FopenUtf8(const char* path, const char* mode);
int StatUtf8(const char* path, struct _stat64* info);

UINT GetPrivateProfileIntUtf8(const char* section, const char* key, INT defaultValue, const char* file);
// The bytes written to out without terminators; lists (a null section or key)
// end with two terminators. UTF-8 is never cut inside a character.
DWORD GetPrivateProfileStringUtf8(const char* section, const char* key, const char* defaultValue, char* out,
                                  DWORD size, const char* file);
BOOL WritePrivateProfileStringUtf8(const char* section, const char* key, const char* value, const char* file);

// True when out (size bytes) received the whole folder path; a path that does not
// fit is not cut short but reported as failure.
bool GetSpecialFolderPathUtf8(HWND owner, char* out, int32_t size, int folder, bool create);

int MessageBoxUtf8(HWND owner, const char* text, const char* caption, UINT type);

// As strftime: the bytes written without the terminator, 0 when nothing was.
size_t StrftimeUtf8(char* out, size_t size, const char* format, const struct tm* time);

// Makes a combo box (and its edit child) keep UTF-16 items while its callers pass
// and receive UTF-8. Idempotent; undone when the window is destroyed.
void SubclassWindowUtf8(HWND window);

}  // namespace plugfw
