#pragma once
// Resource and path lookup: finds a named image or font as a module resource or a
// file, hands out a resource's bytes, converts between UTF-8 and UTF-16 and reads
// a window's DPI scale. Handles are opaque here (HMODULE, HWND on Windows). Any
// thread: the module is held atomically and the lookups share nothing else. Where there
// are no module resources (the native test builds) a name is only ever a file and every
// window's scale is 1; the UTF-16 conversions exist on Windows alone.

#include <cstdint>

#include "core/heap_buffer.h"
#include "core/heap_string.h"

namespace plugfw {

// Any thread (meant for the library entry). The module whose resources the lookups
// read when given none. Until a DLL entry
// hands its instance over, it is the module holding this code: the executable, or
// the plug-in DLL it is linked into. Handing over null returns to that default.
void SetResourceModule(void* module);
void* ResourceModule();

enum class ResourceLocation : int32_t { kNotFound = 0, kFile = 1, kModuleResource = 2 };

// Where name lives for type (case-insensitive: "svg" is the resource type "SVG").
// A module resource comes first: outName receives its name as stored, for
// FindResourceData. Otherwise an existing file (not a directory) of that path:
// outName receives the name. outName is untouched when nothing is found. A null
// module means ResourceModule().
ResourceLocation LocateResource(const char* name, const char* type, HeapString* outName, void* module);

// The bytes of the resource named storedName of type, which live as long as the
// module, and their count in *outSize. Null, *outSize untouched, when it is missing
// or holds 7 bytes or fewer (no image or font is that small); null with *outSize 0
// when it cannot be loaded.
const uint8_t* FindResourceData(const char* storedName, const char* type, int32_t* outSize, void* module);

// NUL-terminated UTF-16 in a buffer of growth step 4096, sized 2 bytes per unit with
// the terminator. Null, empty or text that is not well-formed UTF-8 gives "" (one
// NUL unit); a size of 0 means not even that could be had.
HeapBuffer Utf8ToUtf16(const char* text);
// Sets out to the UTF-8 form of wide; "" when wide is null, empty or not
// convertible (an unpaired surrogate).
void Utf16ToUtf8(const wchar_t* wide, HeapString* out);

// The window's DPI over 96: 1.0 at 96 DPI, and whenever the platform cannot say.
float WindowDpiScale(void* window);

}  // namespace plugfw
