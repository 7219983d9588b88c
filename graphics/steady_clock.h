#pragma once
// The steady clock that animations and the frame clock read, behind one replaceable
// source so tests can run an animation to any point without waiting. UI thread; the
// source pointer itself is atomic, so swapping it from a test's thread is safe.

#include <cstdint>

namespace plugfw::gfx {

using ClockSource = int64_t (*)();

// Nanoseconds of the steady clock (or of the installed source).
int64_t SteadyClockNanoseconds();
inline double SteadyClockMilliseconds() { return static_cast<double>(SteadyClockNanoseconds()) / 1e6; }

// Installs a source (null restores the real clock) and returns the one in force before.
ClockSource SetClockSource(ClockSource source);

}  // namespace plugfw::gfx
