// What the allocation sweeps expect, run by both: the native sweep over the core and the portable
// reader and the Windows sweep over the test builds of the DLLs. Each side drives a run its own
// way, classifies it and fills in a record of what it saw; the expectations below say what every
// outcome must show. What only one side can see (the filter's window and log, the core's result
// codes) it checks beside.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/robust/alloc_sweep.h"
#include "tests/support/file_bytes.h"
#include "tests/support/jpeg_inspect.h"

namespace robust {

// How the runs of a sweep must split between the outcomes.
struct Split {
  int own;          // runs that ended in the module's own silent failure: exactly this many
  bool ownAtLeast;  // ... or at least this many
  int libraryOver;  // runs that ended in the library-failure state: more than this
};

// A save or an export allocates one block of its own, the row buffer.
constexpr Split kEncodeSplit = {1, false, 5};
// A read allocates the handle and each read's row buffer.
constexpr Split kReadSplit = {3, true, 5};

inline void ExpectSplit(const Tally& tally, const Split& split) {
  if (split.ownAtLeast) {
    EXPECT_GE(tally.own, split.own);
  } else {
    EXPECT_EQ(tally.own, split.own);
  }
  EXPECT_GT(tally.library, split.libraryOver);
  EXPECT_EQ(tally.total, tally.Cases());  // every run that failed an allocation was classified
}

// True when the file decodes completely, at width x height: what a complete run wrote.
inline bool DecodesTo(const std::string& path, int width, int height) {
  testsupport::Decoded d;
  return testsupport::DecodeJpeg(testsupport::ReadFileBytes(path), &d) && d.width == width &&
         d.height == height;
}

// What a save (one image) or an export (several) reported written: natively the successful
// EncodeFrame calls, on Windows the filter's beep of success or the host's frame-done calls.
struct EncodeRun {
  int images;   // images the run was to write
  int written;  // images it reported written
};

// `tryAgain` makes a second attempt after a library failure and checks the side's own signs
// that it failed at once; the attempt must make no library call.
inline void ExpectEncodeRun(const Seam& seam, Outcome outcome, const EncodeRun& run, int n,
                            const std::function<void()>& tryAgain) {
  switch (outcome) {
    case Outcome::kComplete:
      EXPECT_EQ(run.written, run.images) << n;
      break;
    case Outcome::kOwnFailure:  // a silent stop before the first image
      EXPECT_EQ(run.written, 0) << n;
      break;
    case Outcome::kLibraryFailure:
      EXPECT_LT(run.written, run.images) << n;
      tryAgain();
      EXPECT_EQ(seam.Probe().libraryCalls, 0) << n;
      break;
  }
}

// What a read did: one open, then two reads of the handle, each compared with a reference read
// made without any failure.
struct ReadRun {
  explicit ReadRun(int bytes) : frameBytes(bytes) {}

  int frameBytes;             // what a whole read returns
  bool opened = false;        // the open gave a handle
  int counted[2] = {0, 0};    // allocations counted when the open and the first read ended
  int results[2] = {-1, -1};  // what each read returned; -1 where it was not made
  bool whole[2] = {};         // each frame equals the reference

  // Where allocation n fell: 0 in the open, 1 in the first read, 2 after it.
  int FailedIn(int n) const { return n <= counted[0] ? 0 : n <= counted[1] ? 1 : 2; }
};

// `reopen` checks after a library failure that a new open (and, on Windows, a description)
// fails; it must make no library call.
inline void ExpectReadRun(const Seam& seam, Outcome outcome, const ReadRun& run, int n,
                          const std::function<void()>& reopen) {
  if (outcome == Outcome::kComplete) {
    EXPECT_EQ(run.results[0], run.frameBytes) << n;
    EXPECT_EQ(run.results[1], run.frameBytes) << n;
    EXPECT_TRUE(run.whole[0]) << n;
    EXPECT_TRUE(run.whole[1]) << n;
    return;
  }
  // The call that failed gives null or 0; a read before it is whole.
  const int failedIn = run.FailedIn(n);
  if (failedIn == 0) {
    EXPECT_FALSE(run.opened) << n;
  } else {
    EXPECT_EQ(run.results[failedIn - 1], 0) << n;
  }
  if (failedIn == 2) {
    EXPECT_TRUE(run.whole[0]) << n;
  }
  if (outcome == Outcome::kOwnFailure && failedIn == 1) {
    // A read after a read without a row buffer is whole again.
    EXPECT_EQ(run.results[1], run.frameBytes) << n;
    EXPECT_TRUE(run.whole[1]) << n;
  }
  if (outcome == Outcome::kLibraryFailure) {
    if (failedIn == 1) {
      EXPECT_EQ(run.results[1], 0) << n;
    }
    // Every later open fails at once, without a library call.
    reopen();
    EXPECT_EQ(seam.Probe().libraryCalls, 0) << n;
  }
}

}  // namespace robust
