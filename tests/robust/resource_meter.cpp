#include "tests/robust/resource_meter.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace robust {

namespace {

int64_t PrivateCommitted() {
  SYSTEM_INFO si;
  GetSystemInfo(&si);
  int64_t sum = 0;
  auto* at = static_cast<char*>(si.lpMinimumApplicationAddress);
  MEMORY_BASIC_INFORMATION m;
  while (at < si.lpMaximumApplicationAddress && VirtualQuery(at, &m, sizeof m) == sizeof m) {
    if (m.State == MEM_COMMIT && m.Type == MEM_PRIVATE) sum += static_cast<int64_t>(m.RegionSize);
    at = static_cast<char*>(m.BaseAddress) + m.RegionSize;
  }
  return sum;
}

// Kernel handles are multiples of 4; the process's own lie far below this bound.
constexpr uintptr_t kHandleProbeEnd = 0x8000;

int Handles() {
  DWORD count = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0) return static_cast<int>(count);
  int n = 0;
  for (uintptr_t v = 4; v < kHandleProbeEnd; v += 4) {
    DWORD flags;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(v), &flags)) ++n;
  }
  return n;
}

// A GDI handle's low word indexes the process's GDI handle table; Wine also accepts the index
// alone (high word 0), which lets every entry be probed.
int GdiObjects() {
  if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<int>(n);
  int n = 0;
  for (uintptr_t index = 1; index <= 0xFFFF; ++index) {
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++n;
  }
  return n;
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

BOOL CALLBACK CountOwn(HWND hwnd, LPARAM count) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == GetCurrentProcessId()) {
    ++*reinterpret_cast<int*>(count);
    EnumChildWindows(hwnd, CountChild, count);
  }
  return TRUE;
}

int Windows() {
  int n = 0;
  EnumWindows(CountOwn, reinterpret_cast<LPARAM>(&n));
  return n;
}

}  // namespace

Resources Measure() {
  Resources r{};
  PROCESS_MEMORY_COUNTERS pmc{};
  pmc.cb = sizeof pmc;
  if (GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc)) {
    r.pagefileUsage = static_cast<int64_t>(pmc.PagefileUsage);
  }
  r.privateCommitted = PrivateCommitted();
  r.handles = Handles();
  r.gdiObjects = GdiObjects();
  r.windows = Windows();
  return r;
}

int64_t Value(const Resources& r, const std::string& measure) {
  if (measure == "pagefileUsage") return r.pagefileUsage;
  if (measure == "privateCommitted") return r.privateCommitted;
  if (measure == "handles") return r.handles;
  if (measure == "gdiObjects") return r.gdiObjects;
  if (measure == "windows") return r.windows;
  std::abort();  // a measure the tests misspelt
}

std::vector<Grown> Growth(const Resources& before, const Resources& after, const Tolerance& t) {
  std::vector<Grown> grown;
  for (const auto& [name, allowed] : {std::pair<const char*, int64_t>{"pagefileUsage", t.memoryBytes},
                                      {"privateCommitted", t.memoryBytes}, {"handles", t.handles},
                                      {"gdiObjects", t.gdiObjects}, {"windows", t.windows}}) {
    if (Value(after, name) - Value(before, name) > allowed) {
      grown.push_back({name, Value(before, name), Value(after, name)});
    }
  }
  return grown;
}

bool Grew(const std::vector<Grown>& grown, const std::string& measure) {
  for (const Grown& g : grown) {
    if (g.measure == measure) return true;
  }
  return false;
}

std::string Describe(const std::vector<Grown>& grown) {
  std::string text;
  for (const Grown& g : grown) {
    if (!text.empty()) text += ", ";
    text += g.measure + " " + std::to_string(g.before) + " -> " + std::to_string(g.after);
  }
  return text;
}

std::string Describe(const Resources& r) {
  char text[200];
  std::snprintf(text, sizeof text,
                "pagefileUsage %lld KiB, privateCommitted %lld KiB, handles %d, GDI objects %d, "
                "windows %d",
                static_cast<long long>(r.pagefileUsage / 1024),
                static_cast<long long>(r.privateCommitted / 1024), r.handles, r.gdiObjects,
                r.windows);
  return text;
}

}  // namespace robust
