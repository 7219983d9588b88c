#pragma once
// Mathematical constants shared by the engine, the framework and the renderer, so that
// every file computes with the same digits. Any thread: constants.

namespace plugfw {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kTwoPi = 2.0 * kPi;
inline constexpr double kHalfPi = 0.5 * kPi;

}  // namespace plugfw
