#pragma once
// The clocks and the median the native benchmarks report with. Any thread.

#include <algorithm>
#include <chrono>
#include <ctime>
#include <vector>

namespace plugfw::bench {

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

inline double MicrosecondsSince(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - from).count();
}

inline double SecondsOf(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Every thread's CPU time so far (llvmpipe's rasterisers included), in seconds.
inline double ProcessCpuSeconds() { return SecondsOf(CLOCK_PROCESS_CPUTIME_ID); }
// The calling thread's alone.
inline double ThreadCpuSeconds() { return SecondsOf(CLOCK_THREAD_CPUTIME_ID); }

}  // namespace plugfw::bench
