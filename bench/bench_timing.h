// Timing, cache control and summaries shared by the benchmarks.
//
// The floor of a case is what its work cannot go below: libjpeg alone on the same rows and
// settings, plus one pass over the YC48 frame at memory speed (the read of the source when
// encoding, the write of the destination when reading). Every round times the subject, libjpeg
// alone and that pass back to back, so that the ratio to the floor is taken within a round and
// its spread over the rounds shows how noisy the machine was.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <emmintrin.h>  // every processor the benchmarks run on has SSE2
#if !defined(_WIN32)
#include <time.h>
#endif

namespace bench {

// Milliseconds of processor time of this thread where the system counts it finely (not on
// Windows): on a machine shared with other work, the time a run spends waiting for a core is
// not its own. Time stalled on memory counts, as it should. On Windows, wall-clock time.
struct Clock {
  using time_point = double;
  static time_point now() {
#if defined(_WIN32)
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
#else
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
#endif
  }
};

inline double MsSince(Clock::time_point t0) { return Clock::now() - t0; }

struct Stats {
  double median, lo, hi;  // median and the range of the middle half of the runs
};

inline Stats Summarise(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return {v[n / 2], v[n / 4], v[(3 * n) / 4]};
}

inline std::string Format(const Stats& s, int decimals = 2) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f [%.*f..%.*f]", decimals, s.median, decimals, s.lo,
                decimals, s.hi);
  return text;
}

constexpr size_t kLine = 64;

// Writes back and drops every cache line of [p, p + bytes) from every cache level, as a frame
// that the editor produced a while ago and has not touched since.
inline void EvictFromCaches(const void* p, size_t bytes) {
  const auto* c = static_cast<const unsigned char*>(p);
  const uintptr_t first = reinterpret_cast<uintptr_t>(c) & ~uintptr_t{kLine - 1};
  for (uintptr_t a = first; a < reinterpret_cast<uintptr_t>(c + bytes); a += kLine)
    _mm_clflush(reinterpret_cast<const void*>(a));
  _mm_mfence();
}

// One read of [p, p + bytes) from memory, a cache line per step with four independent sums.
inline double ColdReadMs(const void* p, size_t bytes) {
  EvictFromCaches(p, bytes);
  const auto* c = static_cast<const unsigned char*>(p);
  const Clock::time_point t0 = Clock::now();
  __m128i s0 = _mm_setzero_si128(), s1 = s0, s2 = s0, s3 = s0;
  size_t i = 0;
  for (; i + kLine <= bytes; i += kLine) {
    const auto* q = reinterpret_cast<const __m128i*>(c + i);
    s0 = _mm_or_si128(s0, _mm_loadu_si128(q));
    s1 = _mm_or_si128(s1, _mm_loadu_si128(q + 1));
    s2 = _mm_or_si128(s2, _mm_loadu_si128(q + 2));
    s3 = _mm_or_si128(s3, _mm_loadu_si128(q + 3));
  }
  unsigned tail = 0;
  for (; i < bytes; ++i) tail |= c[i];
  const double ms = MsSince(t0);
  // The sums go somewhere the compiler must honour, so that the loads are made.
  [[maybe_unused]] static volatile int sink;
  sink = _mm_cvtsi128_si32(_mm_or_si128(_mm_or_si128(s0, s1), _mm_or_si128(s2, s3))) | tail;
  return ms;
}

// One write of [p, p + bytes) to memory with stores that go around the caches (the fastest way
// to write memory that will not be read again soon), finished by a fence. The bytes become 0.
inline double ColdWriteMs(void* p, size_t bytes) {
  EvictFromCaches(p, bytes);
  auto* c = static_cast<unsigned char*>(p);
  const Clock::time_point t0 = Clock::now();
  size_t i = 0;
  for (; i < bytes && (reinterpret_cast<uintptr_t>(c + i) & 15) != 0; ++i) c[i] = 0;
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= bytes; i += 16) _mm_stream_si128(reinterpret_cast<__m128i*>(c + i), zero);
  for (; i < bytes; ++i) c[i] = 0;
  _mm_sfence();
  return MsSince(t0);
}

// The times of one case, one entry per round: the subject (the core or the reader), libjpeg
// alone, and the pass over the frame at memory speed.
struct FloorRounds {
  std::vector<double> subject, library, memory;
};

inline const char* FloorColumnsHeader() {
  return "   memory pass ms      ratio  floor       to floor [middle half]  goal";
}

// "memory ms, ratio to libjpeg, floor, ratio to floor and its spread, goal": the ratio and the
// floor from the medians; the ratio to the floor as the median over rounds of
// subject / (libjpeg + memory pass), which a slow stretch of the machine moves less.
inline std::string FloorColumns(const FloorRounds& r, double goal) {
  const Stats s = Summarise(r.subject), l = Summarise(r.library), m = Summarise(r.memory);
  std::vector<double> toFloor;
  for (size_t i = 0; i < r.subject.size(); ++i)
    toFloor.push_back(r.subject[i] / (r.library[i] + r.memory[i]));
  const Stats f = Summarise(toFloor);
  char text[160];
  std::snprintf(text, sizeof text, "%20s  %6.3f  %6.3f  %6.3f [%.3f..%.3f]  <= %.2f%s",
                Format(m, 3).c_str(), s.median / l.median, 1.0 + m.median / l.median, f.median,
                f.lo, f.hi, goal, f.median <= goal ? "" : "  (over)");
  return text;
}

// One variant of the experiments that look for where time goes: its name and one timed run.
struct Variant {
  const char* name;
  std::function<double()> run;
};

// Runs `rounds` rounds in which each variant runs right after a run of libjpeg alone, and
// prints, after `label`, each variant's time over that run: median [middle half].
inline void RunPaired(const char* label, const std::vector<Variant>& variants,
                      const std::function<double()>& library, int rounds) {
  std::vector<std::vector<double>> ratios(variants.size());
  for (int k = 0; k < rounds; ++k) {
    for (size_t v = 0; v < variants.size(); ++v) {
      const double alone = library();
      ratios[v].push_back(variants[v].run() / alone);
    }
  }
  for (size_t v = 0; v < variants.size(); ++v)
    std::printf("%-10s %-50s %s\n", label, variants[v].name,
                Format(Summarise(ratios[v]), 3).c_str());
}

}  // namespace bench
