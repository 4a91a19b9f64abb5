// The plain copy of the core (the numbered output's): no colour matrix and no custom scan
// script, whatever the settings say.
#include <gtest/gtest.h>

#include "core/encoder.h"
#include "tests/support/encode.h"
#include "tests/support/jpeg_inspect.h"

namespace {

TEST(PlainCore, IgnoresColourMatrixAndCustomScript) {
  testsupport::Frame frame = testsupport::MakeFrame(40, 24, testsupport::AlignedStride(40), 21);
  testsupport::FillRamps(&frame, 200, 21);
  for (int downsampling : {2, core::kGraySamplingPreset}) {
    core::EncoderSettings s = core::kDefaultEncoderSettings;
    s.downsampling = downsampling;
    const auto plain = testsupport::EncodeToBytes(s, frame);
    s.colormatrix = 1;
    s.progression_mine = 1;
    EXPECT_EQ(testsupport::EncodeToBytes(s, frame), plain) << "preset " << downsampling;
    testsupport::JpegStructure js;
    ASSERT_TRUE(testsupport::InspectJpeg(plain, &js));
    EXPECT_EQ(js.scans.size(), downsampling == core::kGraySamplingPreset ? 6u : 10u);  // the library's own script
  }
}

}  // namespace
