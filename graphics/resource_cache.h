#pragma once
// ScaledResourceCache: a process-wide cache of resources by name and scale, shared by every
// editor of the process, and the two instances the graphics context uses for decoded
// bitmaps and parsed SVG images. Each counts the graphics objects alive; the last one to
// go empties it.
//
// Any thread: every operation takes the cache's own lock, which is re-entrant. Where both
// caches are locked, the bitmap cache's lock comes first.

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "core/heap_string.h"
#include "core/pointer_list.h"
#include "core/scoped_lock.h"
#include "graphics/api_bitmap.h"
#include "graphics/svg_image.h"

namespace plugfw::gfx {

// The key text of an entry: the name and "-%.1fx" of the scale (knob.png at 2: knob.png-2.0x).
uint64_t ResourceKeyHash(const char* name, double scale);

template <typename Resource>
class ScaledResourceCache {
 public:
  ScaledResourceCache() = default;
  ~ScaledResourceCache() { Clear(); }
  ScaledResourceCache(const ScaledResourceCache&) = delete;
  ScaledResourceCache& operator=(const ScaledResourceCache&) = delete;

  CriticalSection& Lock() { return lock_; }

  // The first entry of that name and scale, or null.
  Resource* Find(const char* name, double scale) {
    ScopedLock hold(&lock_);
    const uint64_t hash = ResourceKeyHash(name, scale);
    for (int32_t i = 0; i < entries_.Count(); ++i) {
      const Entry* entry = entries_.Get(i);
      if (entry->hash == hash && entry->scale == scale && Same(entry->name, name))
        return entry->resource.get();
    }
    return nullptr;
  }

  // Takes the resource over and returns it; when the list cannot grow the answer is null
  // and the resource stays with the caller.
  Resource* Add(std::unique_ptr<Resource>& resource, const char* name, double scale) {
    if (!resource) return nullptr;
    ScopedLock hold(&lock_);
    std::unique_ptr<Entry> entry(new (std::nothrow)
                                     Entry{ResourceKeyHash(name, scale), HeapString(name), scale, nullptr});
    if (!entry || !entries_.Add(entry.get())) return nullptr;
    entry->resource = std::move(resource);
    return entry.release()->resource.get();
  }

  // True when an entry holds the resource.
  bool Holds(const Resource* resource) {
    ScopedLock hold(&lock_);
    for (int32_t i = 0; i < entries_.Count(); ++i) {
      if (entries_.Get(i)->resource.get() == resource) return true;
    }
    return false;
  }

  // Deletes the first entry holding the resource (and the resource); false when none does.
  bool Remove(const Resource* resource) {
    ScopedLock hold(&lock_);
    for (int32_t i = 0; i < entries_.Count(); ++i) {
      Entry* entry = entries_.Get(i);
      if (entry->resource.get() != resource) continue;
      entries_.Remove(i);
      delete entry;
      return true;
    }
    return false;
  }

  // Deletes every entry, the last first.
  void Clear() {
    ScopedLock hold(&lock_);
    entries_.DeleteAll();
  }

  int32_t Count() {
    ScopedLock hold(&lock_);
    return entries_.Count();
  }

  // The user count of graphics objects. Callers hold the lock around these.
  int32_t AddUser() { return ++users_; }
  // Returns the count before the decrement.
  int32_t RemoveUser() { return users_--; }
  int32_t Users() {
    ScopedLock hold(&lock_);
    return users_;
  }

 private:
  struct Entry {
    uint64_t hash;
    HeapString name;
    double scale;
    std::unique_ptr<Resource> resource;
  };
  static bool Same(const HeapString& a, const char* b) { return std::strcmp(a.Get(), b ? b : "") == 0; }

  CriticalSection lock_;
  int32_t users_ = 0;
  PointerList<Entry> entries_;
};

using BitmapCache = ScaledResourceCache<APIBitmap>;
using SvgCache = ScaledResourceCache<SvgImage>;

BitmapCache& StaticBitmapCache();
SvgCache& StaticSvgCache();

}  // namespace plugfw::gfx
