#pragma once
// FontResourceCache: a process-wide list of font resources keyed by font identifier and
// scale, shared by every editor window of the process and guarded by its own lock. Each
// window counts itself as a user; the last one to go clears the cache. The caller holds
// Lock() around every other call (the lock is recursive).
// Any thread, under the lock; in practice the UI threads of the editors of the process.

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "core/heap_string.h"
#include "core/pointer_list.h"
#include "core/scoped_lock.h"

namespace plugfw::gfx {

// 64-bit FNV-1a of the key text: the name followed by "-%.1fx" of the scale.
uint64_t FontCacheKeyHash(const char* name, double scale);

template <typename Resource>
class FontResourceCache {
 public:
  FontResourceCache() = default;
  ~FontResourceCache() { Clear(); }
  FontResourceCache(const FontResourceCache&) = delete;
  FontResourceCache& operator=(const FontResourceCache&) = delete;

  CriticalSection* Lock() { return &lock_; }

  // The first resource stored under (name, scale), null when none is.
  Resource* Find(const char* name, double scale) const {
    if (!name) return nullptr;
    const uint64_t hash = FontCacheKeyHash(name, scale);
    for (int32_t i = 0; i < entries_.Count(); ++i) {
      const Entry* e = entries_.Get(i);
      if (e->hash == hash && e->scale == scale && std::strcmp(e->name.Get(), name) == 0)
        return e->resource.get();
    }
    return nullptr;
  }

  // Appends resource under (name, scale), also when an entry for them exists. False when
  // memory cannot be had; the resource is then deleted.
  bool Add(std::unique_ptr<Resource> resource, const char* name, double scale) {
    if (!resource || !name) return false;
    Entry* entry = new (std::nothrow) Entry;
    if (!entry) return false;
    entry->hash = FontCacheKeyHash(name, scale);
    entry->name.Set(name);
    entry->scale = scale;
    entry->resource = std::move(resource);
    if (!entries_.Add(entry)) {
      delete entry;
      return false;
    }
    return true;
  }

  // Deletes the entry holding resource (and the resource); false when none holds it.
  bool Remove(const Resource* resource) {
    for (int32_t i = 0; i < entries_.Count(); ++i) {
      Entry* e = entries_.Get(i);
      if (e->resource.get() != resource) continue;
      entries_.Remove(i);
      delete e;
      return true;
    }
    return false;
  }

  // Deletes every entry, last first.
  void Clear() { entries_.DeleteAll(); }

  int32_t Count() const { return entries_.Count(); }
  int32_t Users() const { return users_; }
  void AddUser() { ++users_; }
  // The last user's departure clears the cache.
  void RemoveUser() {
    if (users_ > 0 && --users_ == 0) Clear();
  }

 private:
  struct Entry {
    uint64_t hash = 0;
    HeapString name;
    double scale = 1.0;
    std::unique_ptr<Resource> resource;
  };

  CriticalSection lock_;
  PointerList<Entry> entries_;
  int32_t users_ = 0;
};

}  // namespace plugfw::gfx
