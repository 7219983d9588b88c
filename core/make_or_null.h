#pragma once
// Making an object where memory may run out, for code that must not throw into its caller
// (the editor's controls are made inside a host's call): a failed allocation, of the object or
// of anything its constructor allocates, answers null instead of std::bad_alloc. Any thread.

#include <memory>
#include <new>
#include <utility>

namespace plugfw {

template <typename T, typename... Args>
std::unique_ptr<T> MakeOrNull(Args&&... args) noexcept {
  try {
    return std::make_unique<T>(std::forward<Args>(args)...);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace plugfw
