#pragma once
// Matching of embedded resource names. Resource compilers store a quoted name
// differently (mingw's windres upper-cases it and drops the quotes; quotes written
// into the name itself are kept), so a name matches with or without one quote at
// each end, ignoring ASCII case. Any thread: pure functions.

namespace plugfw {

// True when storedName, less one quote at each end if it has both, equals
// wantedName with ASCII letters compared case-insensitively.
bool ResourceNameMatches(const char* storedName, const char* wantedName);

}  // namespace plugfw
