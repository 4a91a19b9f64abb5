// What a long run must keep flat, measured the ways Wine fills: it reports 0 for the process's
// handle count, its GUI resources and its private usage, so handles are counted by probing
// handle values, GDI objects by probing the GDI handle table, and private memory by walking the
// address space.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace robust {

struct Resources {
  int64_t pagefileUsage;     // bytes: the process's committed memory as the system counts it
  int64_t privateCommitted;  // bytes: committed private regions, summed with VirtualQuery
  int handles;               // kernel handles the process holds
  int gdiObjects;            // GDI objects the process holds
  int windows;               // windows of the process, top-level and child
};

// How much each measure may grow between two measurements and still count as flat.
struct Tolerance {
  int64_t memoryBytes;  // for both memory measures
  int handles;
  int gdiObjects;
  int windows;
};

Resources Measure();

// One measure that grew beyond its tolerance.
struct Grown {
  std::string measure;  // the field of Resources: "handles", "gdiObjects", ...
  int64_t before, after;
};

// The measures that grew beyond the tolerance from `before` to `after`.
std::vector<Grown> Growth(const Resources& before, const Resources& after,
                          const Tolerance& tolerance);

// True when `measure` is among the grown ones.
bool Grew(const std::vector<Grown>& grown, const std::string& measure);

// The value of a measure named as in Grown.
int64_t Value(const Resources& r, const std::string& measure);

std::string Describe(const Resources& r);
// "handles 40 -> 43, windows 2 -> 3": the grown measures for a failure message.
std::string Describe(const std::vector<Grown>& grown);

}  // namespace robust
