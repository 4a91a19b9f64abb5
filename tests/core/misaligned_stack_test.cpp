// The core's entry points survive a caller that aligns the stack to 4 bytes only, as the
// editor does (the vector code must not assume 16).
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "core/convert.h"
#include "core/encoder.h"
#include "testhost/misaligned_call.h"
#include "tests/support/frames.h"
#include "tests/support/jpeg_inspect.h"

namespace {

using testhost::Arg;
using testhost::CallWithMisalignedStack;

TEST(MisalignedStack, TrampolineReallyMisaligns) {
  EXPECT_EQ(CallWithMisalignedStack(reinterpret_cast<const void*>(&StackAtCall)) % 16, 4u);
}

TEST(MisalignedStack, ConversionAndEncoding) {
  testsupport::Frame frame = testsupport::MakeFrame(77, 21, testsupport::AlignedStride(77), 41);
  testsupport::FillRamps(&frame, 300, 41);
  for (int gray = 0; gray < 2; ++gray) {
    for (int cm = 0; cm < 2; ++cm) {
      std::vector<uint8_t> got(77 * 3), want(77 * 3);
      CallWithMisalignedStack(reinterpret_cast<const void*>(&core::ConvertYcRow),
                              Arg(frame.row(3)), 77, gray, cm, Arg(got.data()));
      core::ConvertYcRowScalar(frame.row(3), 77, gray != 0, cm, want.data());
      EXPECT_EQ(got, want);
    }
  }

  auto encoder = std::make_unique<core::JpegEncoder>();
  core::EncoderSettings s = core::kDefaultEncoderSettings;
  s.colormatrix = 1;
  const uint32_t created =
      CallWithMisalignedStack(reinterpret_cast<const void*>(&core::CreateEncoder),
                              Arg(encoder.get()), Arg(&s), 77, 21);
  ASSERT_EQ(created, static_cast<uint32_t>(core::CreateResult::kReady));
  const std::string path = testsupport::TempPath("misaligned");
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  const uint32_t ok = CallWithMisalignedStack(
      reinterpret_cast<const void*>(&core::EncodeFrame), Arg(encoder.get()), Arg(f),
      Arg(frame.first()), static_cast<uint32_t>(frame.stride));
  std::fclose(f);
  CallWithMisalignedStack(reinterpret_cast<const void*>(&core::DestroyEncoder), Arg(encoder.get()));
  EXPECT_EQ(ok & 0xFF, 1u);
  testsupport::Decoded d;
  EXPECT_TRUE(testsupport::DecodeJpeg(testsupport::ReadFileBytes(path), &d));
  EXPECT_EQ(d.width, 77);
  std::remove(path.c_str());
}

}  // namespace
