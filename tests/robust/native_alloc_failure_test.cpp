// Every allocation of a save, an export and a read made to fail in turn, natively under the
// sanitizers: the encoding core and the portable reader linked with the failing allocator and a
// static libjpeg whose memory manager it wraps. The DLL builds get the same sweep under Wine,
// checked against the same expectations (alloc_expectations.h).
// Each case frees what a failed module abandons by design and sets the flag again, as a reload
// of the module would.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/encoder.h"
#include "picreader/jpeg_reader.h"
#include "tests/robust/alloc_expectations.h"
#include "tests/robust/failing_alloc.h"
#include "tests/support/encode.h"
#include "tests/support/frames.h"

namespace {

using robust::DecodesTo;
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

// Writes `images` images of `frame` with one encoder, every allocation failing in turn.
void SweepEncodes(const std::string& path, const core::EncoderSettings& settings,
                  const testsupport::Frame& frame, int images) {
  FailingAllocWatch(&core::libraryUsable);
  const int width = frame.width, height = frame.height;
  const Tally tally = Sweep([&](int n, Tally* t) {
    core::libraryUsable = 1;
    FailingAllocArm(n);
    core::JpegEncoder encoder;
    const core::CreateResult created = core::CreateEncoder(&encoder, settings, width, height);
    int written = 0;
    if (created == core::CreateResult::kReady) {
      for (int i = 0; i < images; ++i) {
        FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        const bool ok = core::EncodeFrame(&encoder, file, frame.first(), frame.stride);
        std::fclose(file);
        if (!ok) break;
        ++written;
      }
      core::DestroyEncoder(&encoder);
    }
    const Outcome outcome = Classify(n, t);
    robust::ExpectEncodeRun(seam, outcome, {images, written}, n, [&] {
      // Every later encoder fails at once.
      EXPECT_EQ(core::CreateEncoder(&encoder, settings, width, height),
                core::CreateResult::kLibraryFailure) << n;
    });
    if (outcome == Outcome::kComplete) {
      EXPECT_TRUE(DecodesTo(path, width, height)) << n;
    }
    if (outcome == Outcome::kOwnFailure) {  // the row buffer: no memory, the compressor released
      EXPECT_EQ(created, core::CreateResult::kNoMemory) << n;
    }
    std::remove(path.c_str());
  });
  robust::ExpectSplit(tally, robust::kEncodeSplit);
}

// A save's use of the core: one encoder per image, with the custom scan script and Huffman
// optimisation so that every part of the configuration allocates.
TEST_F(NativeAllocFailure, EverySaveAllocation) {
  SweepEncodes(path_, core::EncoderSettings{75, 1, 1, 2, 0, 1, 1},
               TestFrame(24, 16, testsupport::PackedStride(24)), 1);
}

// An export's use: one encoder for several images.
TEST_F(NativeAllocFailure, EveryExportAllocation) {
  SweepEncodes(path_, core::EncoderSettings{90, 1, 1, 1, 1, 0, 0},
               TestFrame(17, 9, testsupport::AlignedStride(17)), 3);
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
    robust::ReadRun run(frameBytes);
    picreader::JpegReaderHandle* h = picreader::OpenJpeg(path.c_str());
    run.counted[0] = Probe().allocations;
    if (h != nullptr) {
      run.opened = true;
      run.results[0] = picreader::ReadJpegFrame(h, 0, frames[0].data());
      run.counted[1] = Probe().allocations;
      run.results[1] = picreader::ReadJpegFrame(h, 0, frames[1].data());
      EXPECT_EQ(picreader::CloseJpeg(h), 1);
    }
    const Outcome outcome = Classify(n, t);
    run.whole[0] = frames[0] == reference;
    run.whole[1] = frames[1] == reference;
    robust::ExpectReadRun(seam, outcome, run, n, [&] {
      EXPECT_EQ(picreader::OpenJpeg(path.c_str()), nullptr) << n;
    });
  });
  robust::ExpectSplit(tally, robust::kReadSplit);
}

TEST_F(NativeAllocFailure, EveryReadOfAProgressiveColourFile) {
  SweepReads(path_, core::EncoderSettings{75, 1, 1, 2, 0, 0, 0});
}

TEST_F(NativeAllocFailure, EveryReadOfASequentialGrayFile) {
  SweepReads(path_, core::EncoderSettings{80, 0, 0, core::kGraySamplingPreset, 0, 0, 0});
}

}  // namespace
