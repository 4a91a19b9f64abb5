// The sweep shared by the native and the Windows allocation-failure tests: allocation n fails
// for n = 1, 2, ... until a run fails none, and every run is classified by what failed and what
// the module's flag says afterwards.
//
// libjpeg retries a failed small allocation with less slack, so some failures of its memory
// manager leave no trace: those runs must end exactly as a run without any failure.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "tests/robust/failing_alloc.h"

namespace robust {

// The failing allocator of one module: linked in (native) or exported by a test DLL.
struct Seam {
  FailingAllocArmFn arm;
  FailingAllocReadFn read;
  void(FAILING_ALLOC_CALL* releaseAbandoned)(void);  // null: leave them (the DLL is unloaded)

  FailingAllocProbe Probe() const {
    FailingAllocProbe p;
    read(&p);
    return p;
  }
};

// How the runs of a sweep ended.
struct Tally {
  int own = 0;        // the module's own allocation failed: its silent failure
  int library = 0;    // libjpeg ran out of memory: the library-failure state
  int recovered = 0;  // libjpeg retried and went on: a normal result
  int total = 0;      // allocations of the run that failed none
  int Cases() const { return own + library + recovered; }
};

enum class Outcome { kComplete, kOwnFailure, kLibraryFailure };

// Checks what every run must show, whatever failed: no library call once the flag was clear,
// no block of the module's own left, library blocks left only by a failed library. Then counts
// afresh without failing, so that the test's own checks allocate freely.
inline Outcome Classify(const Seam& seam, int n, Tally* tally) {
  const FailingAllocProbe p = seam.Probe();
  EXPECT_EQ(p.libraryCallsWhileUnusable, 0) << "allocation " << n;
  EXPECT_EQ(p.liveOwn, 0) << "allocation " << n;
  if (seam.releaseAbandoned != nullptr) seam.releaseAbandoned();
  seam.arm(0);
  if (p.failedKind == kFailedOwn) {
    EXPECT_EQ(p.libraryUsable, 1) << "allocation " << n;
    EXPECT_EQ(p.liveLibrary, 0) << "allocation " << n;
    ++tally->own;
    return Outcome::kOwnFailure;
  }
  if (p.libraryUsable == 0) {
    EXPECT_EQ(p.failedKind, kFailedLibrary) << "allocation " << n;
    ++tally->library;
    return Outcome::kLibraryFailure;
  }
  EXPECT_EQ(p.libraryUsable, 1) << "allocation " << n;
  EXPECT_EQ(p.liveLibrary, 0) << "allocation " << n;
  if (p.failedKind == kFailedLibrary) ++tally->recovered;
  return Outcome::kComplete;
}

// Runs `one` (which arms its seam with n and classifies its run) for n = 1, 2, ... until a run
// fails none.
inline Tally Sweep(const std::function<void(int n, Tally* tally)>& one) {
  Tally tally;
  for (int n = 1; n <= 5000; ++n) {
    const int before = tally.Cases();
    one(n, &tally);
    if (::testing::Test::HasFatalFailure()) return tally;
    if (tally.Cases() == before) {
      tally.total = n - 1;
      std::printf("%d allocations: %d own, %d library failures, %d recovered by libjpeg\n",
                  tally.total, tally.own, tally.library, tally.recovered);
      return tally;
    }
  }
  ADD_FAILURE() << "the sweep did not end";
  return tally;
}

}  // namespace robust
