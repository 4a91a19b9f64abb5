// Every allocation of a save, an export and a read made to fail in turn, natively under the
// sanitizers: the encoding core and the portable reader linked with the failing allocator and a
// static libjpeg whose memory manager it wraps. The DLL builds get the same sweep under Wine.
// Each case frees what a failed module abandons by design and sets the flag again, as a reload
// of the module would.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/encoder.h"
#include "picreader/jpeg_reader.h"
#include "tests/robust/alloc_sweep.h"
#include "tests/robust/failing_alloc.h"
#include "tests/support/encode.h"
#include "tests/support/frames.h"
#include "tests/support/jpeg_inspect.h"

namespace {

using robust::Outcome;
using robust::Tally;

const robust::Seam seam{FailingAllocArm, FailingAllocRead, FailingAllocReleaseAbandoned};

FailingAllocProbe Probe() { return seam.Probe(); }
Outcome Classify(int n, Tally* tally) { return robust::Classify(seam, n, tally); }
using robust::Sweep;

testsupport::Frame TestFrame(int width, int height, ptrdiff_t stride) {
  testsupport::Frame f = testsupport::MakeFrame(width, height, stride, 7);
  testsupport::FillRamps(&f, 40, 9);
  return f;
}

bool DecodesTo(const std::string& path, int width, int height) {
  testsupport::Decoded d;
  return testsupport::DecodeJpeg(testsupport::ReadFileBytes(path), &d) && d.width == width &&
         d.height == height;
}

class NativeAllocFailure : public ::testing::Test {
 protected:
  void TearDown() override {
    FailingAllocReleaseAbandoned();
    FailingAllocArm(0);
    core::libraryUsable = 1;
    picreader::libraryUsable = 1;
    std::remove(path_.c_str());
  }
  std::string path_ = testsupport::TempPath("robust");
};

// A save's use of the core: one encoder per image, with the custom scan script and Huffman
// optimisation so that every part of the configuration allocates.
TEST_F(NativeAllocFailure, EverySaveAllocation) {
  FailingAllocWatch(&core::libraryUsable);
  const core::EncoderSettings settings{75, 1, 1, 2, 0, 1, 1};
  const testsupport::Frame frame = TestFrame(24, 16, testsupport::PackedStride(24));
  const Tally tally = Sweep([&](int n, Tally* t) {
    core::libraryUsable = 1;
    FailingAllocArm(n);
    core::JpegEncoder encoder;
    const core::CreateResult created = core::CreateEncoder(&encoder, settings, 24, 16);
    bool written = false;
    if (created == core::CreateResult::kReady) {
      FILE* file = std::fopen(path_.c_str(), "wb");
      ASSERT_NE(file, nullptr);
      written = core::EncodeFrame(&encoder, file, frame.first(), frame.stride);
      std::fclose(file);
      core::DestroyEncoder(&encoder);
    }
    switch (Classify(n, t)) {
      case Outcome::kComplete:
        EXPECT_TRUE(written) << n;
        EXPECT_TRUE(DecodesTo(path_, 24, 16)) << n;
        break;
      case Outcome::kOwnFailure:  // the row buffer: no memory, the compressor released
        EXPECT_EQ(created, core::CreateResult::kNoMemory) << n;
        break;
      case Outcome::kLibraryFailure:
        EXPECT_FALSE(written) << n;
        // Every later encoder fails at once, without a library call.
        EXPECT_EQ(core::CreateEncoder(&encoder, settings, 24, 16),
                  core::CreateResult::kLibraryFailure);
        EXPECT_EQ(Probe().libraryCalls, 0);
        break;
    }
    std::remove(path_.c_str());
  });
  EXPECT_EQ(tally.own, 1);
  EXPECT_GT(tally.library, 5);
  EXPECT_EQ(tally.total, tally.own + tally.library + tally.recovered);
}

// An export's use: one encoder for several images.
TEST_F(NativeAllocFailure, EveryExportAllocation) {
  FailingAllocWatch(&core::libraryUsable);
  const core::EncoderSettings settings{90, 1, 1, 1, 1, 0, 0};
  const testsupport::Frame frame = TestFrame(17, 9, testsupport::AlignedStride(17));
  const Tally tally = Sweep([&](int n, Tally* t) {
    core::libraryUsable = 1;
    FailingAllocArm(n);
    core::JpegEncoder encoder;
    const core::CreateResult created = core::CreateEncoder(&encoder, settings, 17, 9);
    int written = 0;
    if (created == core::CreateResult::kReady) {
      for (int i = 0; i < 3; ++i) {
        FILE* file = std::fopen(path_.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        const bool ok = core::EncodeFrame(&encoder, file, frame.first(), frame.stride);
        std::fclose(file);
        if (!ok) break;
        ++written;
      }
      core::DestroyEncoder(&encoder);
    }
    switch (Classify(n, t)) {
      case Outcome::kComplete:
        EXPECT_EQ(written, 3) << n;
        EXPECT_TRUE(DecodesTo(path_, 17, 9)) << n;
        break;
      case Outcome::kOwnFailure:
        EXPECT_EQ(created, core::CreateResult::kNoMemory) << n;
        break;
      case Outcome::kLibraryFailure:
        EXPECT_LT(written, 3) << n;
        break;
    }
    std::remove(path_.c_str());
  });
  EXPECT_EQ(tally.own, 1);
  EXPECT_GT(tally.library, 5);
  EXPECT_EQ(tally.total, tally.own + tally.library + tally.recovered);
}

// A read: open, two reads of the handle, close, of a file written with `settings`.
void SweepReads(const std::string& path, const core::EncoderSettings& settings) {
  FailingAllocWatch(&picreader::libraryUsable);
  {
    const testsupport::Frame frame = TestFrame(21, 11, testsupport::PackedStride(21));
    const std::vector<uint8_t> bytes = testsupport::EncodeToBytes(settings, frame);
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  const int frameBytes = static_cast<int>(picreader::FrameStride(21) * 11);
  std::vector<uint8_t> reference(frameBytes, 0xA5);
  {
    picreader::JpegReaderHandle* h = picreader::OpenJpeg(path.c_str());
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(picreader::ReadJpegFrame(h, 0, reference.data()), frameBytes);
    picreader::CloseJpeg(h);
  }

  const Tally tally = Sweep([&](int n, Tally* t) {
    picreader::libraryUsable = 1;
    FailingAllocArm(n);
    std::vector<std::vector<uint8_t>> frames(2, std::vector<uint8_t>(frameBytes, 0xA5));
    int results[2] = {-1, -1};
    int counted[2] = {0, 0};  // allocations counted when the open and the first read ended
    picreader::JpegReaderHandle* h = picreader::OpenJpeg(path.c_str());
    counted[0] = Probe().allocations;
    if (h != nullptr) {
      results[0] = picreader::ReadJpegFrame(h, 0, frames[0].data());
      counted[1] = Probe().allocations;
      results[1] = picreader::ReadJpegFrame(h, 0, frames[1].data());
      EXPECT_EQ(picreader::CloseJpeg(h), 1);
    }
    const int failedIn = n <= counted[0] ? 0 : n <= counted[1] ? 1 : 2;  // open, read 1, read 2
    const Outcome outcome = Classify(n, t);
    if (outcome == Outcome::kComplete) {
      EXPECT_EQ(results[0], frameBytes) << n;
      EXPECT_EQ(results[1], frameBytes) << n;
      EXPECT_EQ(frames[0], reference) << n;
      EXPECT_EQ(frames[1], reference) << n;
      return;
    }
    // The call that failed gives null or 0; a read before it is whole.
    if (failedIn == 0) {
      EXPECT_EQ(h, nullptr) << n;
    } else {
      EXPECT_EQ(results[failedIn - 1], 0) << n;
    }
    if (failedIn == 2) {
      EXPECT_EQ(frames[0], reference) << n;
    }
    if (outcome == Outcome::kOwnFailure && failedIn == 1) {
      // A read after a read without a row buffer is whole again.
      EXPECT_EQ(results[1], frameBytes) << n;
      EXPECT_EQ(frames[1], reference) << n;
    }
    if (outcome == Outcome::kLibraryFailure) {
      if (failedIn == 1) {
        EXPECT_EQ(results[1], 0) << n;
      }
      // Every later open fails at once, without a library call.
      EXPECT_EQ(picreader::OpenJpeg(path.c_str()), nullptr);
      EXPECT_EQ(Probe().libraryCalls, 0);
    }
  });
  EXPECT_GE(tally.own, 3);  // the handle and each read's row buffer
  EXPECT_GT(tally.library, 5);
  EXPECT_EQ(tally.total, tally.own + tally.library + tally.recovered);
}

TEST_F(NativeAllocFailure, EveryReadOfAProgressiveColourFile) {
  SweepReads(path_, core::EncoderSettings{75, 1, 1, 2, 0, 0, 0});
}

TEST_F(NativeAllocFailure, EveryReadOfASequentialGrayFile) {
  SweepReads(path_, core::EncoderSettings{80, 0, 0, 3, 0, 0, 0});
}

}  // namespace
