// Timing and summaries shared by the benchmarks.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double MsSince(Clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

struct Stats {
  double median, lo, hi;  // median and the range of the middle half of the runs
};

inline Stats Summarise(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return {v[n / 2], v[n / 4], v[(3 * n) / 4]};
}

inline std::string Format(const Stats& s) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f [%.2f..%.2f]", s.median, s.lo, s.hi);
  return text;
}

}  // namespace bench
