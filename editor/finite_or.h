#pragma once
// How the editor reads a measured or stored value that may not be finite: the value when it is,
// the replacement the reading states when it is not. Pure; any thread.

#include <cmath>
#include <type_traits>

namespace halcyra {

template <typename Value, typename Replacement>
std::common_type_t<Value, Replacement> FiniteOr(Value value, Replacement replacement) {
  using Result = std::common_type_t<Value, Replacement>;
  return std::isfinite(value) ? static_cast<Result>(value) : static_cast<Result>(replacement);
}

}  // namespace halcyra
