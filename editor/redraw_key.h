#pragma once
// What a live panel showed when it last asked to be drawn: the records it copied, the settings it
// draws from and its own state, byte for byte. A frame whose key is unchanged draws nothing, so
// an editor left open on a stopped host or a program without audio costs no drawing. UI thread.

#include <cstdint>
#include <type_traits>
#include <vector>

namespace halcyra {

class RedrawKey {
 public:
  template <typename T>
  void Add(const T& value) {
    static_assert(std::is_trivially_copyable_v<T>, "compared byte by byte");
    const auto* bytes = reinterpret_cast<const uint8_t*>(&value);
    current_.insert(current_.end(), bytes, bytes + sizeof(T));
  }

  // True when what was added since the last call differs from what was added before it, and on
  // the first call. Padding bytes can only make it answer true once too often.
  bool Changed() {
    const bool changed = !compared_ || current_ != previous_;
    compared_ = true;
    previous_.swap(current_);
    current_.clear();
    return changed;
  }

 private:
  std::vector<uint8_t> current_;
  std::vector<uint8_t> previous_;
  bool compared_ = false;
};

}  // namespace halcyra
