// Early address translation for the rows of a frame. Header only, so the reader uses it without
// linking the encoding core.
//
// A frame of the editor is megabytes of 4 KB pages. Read or written a row at a time between
// libjpeg's calls, such a frame cost far more than the same bytes in one pass, and the
// benchmarks showed that one hint per page of a row, a row or two ahead (a few hints per row),
// takes most of that away: the first access to each page, most likely the walk of the page
// tables for an address translation the processor no longer holds, then happens while libjpeg
// works on the rows before instead of in the middle of a row's conversion.
#pragma once

#include <cstddef>

namespace core {

constexpr size_t kPageBytes = 4096;

// Asks for the cache line at p. A hint: it never faults and changes no result. Written as a
// volatile instruction because the compiler deletes a loop that does nothing but
// __builtin_prefetch (it counts the hint as no effect), as it did to FetchRowPages below.
inline void FetchLine(const char* p) {
#if defined(__i386__) || defined(__x86_64__)
  asm volatile("prefetcht0 %0" : : "m"(*p));
#else
  (void)p;
#endif
}

// Asks for one cache line in each page that [p, p + bytes) touches.
inline void FetchRowPages(const void* p, size_t bytes) {
  if (bytes == 0) return;
  const char* c = static_cast<const char*>(p);
  for (size_t o = 0; o < bytes; o += kPageBytes) FetchLine(c + o);
  FetchLine(c + bytes - 1);  // the last page, when the steps passed over it
}

}  // namespace core
