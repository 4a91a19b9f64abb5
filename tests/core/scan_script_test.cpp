// The custom progressive script written straight into a compressor: its storage and records.
#include <gtest/gtest.h>

#include <vector>

#include "core/jpeg_lib.h"
#include "core/scan_script.h"

namespace {

struct Compressor {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr err{};
  explicit Compressor(J_COLOR_SPACE in, int components) {
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    cinfo.in_color_space = in;
    cinfo.input_components = components;
    jpeg_set_defaults(&cinfo);
  }
  ~Compressor() { jpeg_destroy_compress(&cinfo); }
};

struct Row {
  int comp, Ss, Se, Ah, Al;
};

void ExpectScans(const jpeg_compress_struct& c, const std::vector<Row>& rows) {
  ASSERT_EQ(c.num_scans, static_cast<int>(rows.size()));
  ASSERT_EQ(c.scan_info, c.script_space);
  for (size_t i = 0; i < rows.size(); ++i) {
    const jpeg_scan_info& s = c.scan_info[i];
    EXPECT_EQ(s.comps_in_scan, 1) << "scan " << i;
    EXPECT_EQ(s.component_index[0], rows[i].comp) << "scan " << i;
    EXPECT_EQ(s.Ss, rows[i].Ss) << "scan " << i;
    EXPECT_EQ(s.Se, rows[i].Se) << "scan " << i;
    EXPECT_EQ(s.Ah, rows[i].Ah) << "scan " << i;
    EXPECT_EQ(s.Al, rows[i].Al) << "scan " << i;
  }
}

TEST(CustomProgression, FreshYccCompressorGetsElevenScans) {
  Compressor c(JCS_YCbCr, 3);
  ASSERT_EQ(c.cinfo.script_space, nullptr);
  core::custom_progression(&c.cinfo);
  EXPECT_EQ(c.cinfo.script_space_size, 11);
  ExpectScans(c.cinfo, {{0, 0, 0, 0, 0}, {0, 1, 5, 0, 2}, {0, 6, 63, 0, 2}, {0, 1, 63, 2, 1},
                        {0, 1, 63, 1, 0}, {2, 0, 0, 0, 0}, {2, 1, 63, 0, 1}, {2, 1, 63, 1, 0},
                        {1, 0, 0, 0, 0}, {1, 1, 63, 0, 1}, {1, 1, 63, 1, 0}});
}

TEST(CustomProgression, FreshGrayCompressorTakesTenRecordsForFiveScans) {
  Compressor c(JCS_GRAYSCALE, 1);
  core::custom_progression(&c.cinfo);
  EXPECT_EQ(c.cinfo.script_space_size, 10);
  ExpectScans(c.cinfo, {{0, 0, 0, 0, 0}, {0, 1, 5, 0, 2}, {0, 6, 63, 0, 2}, {0, 1, 63, 2, 1},
                        {0, 1, 63, 1, 0}});
}

// A 3-component compressor that does not code YCbCr gets five passes over all components.
TEST(CustomProgression, OtherThreeComponentSpaceGetsFifteenScansPassMajor) {
  Compressor c(JCS_RGB, 3);
  jpeg_set_colorspace(&c.cinfo, JCS_RGB);
  core::custom_progression(&c.cinfo);
  EXPECT_EQ(c.cinfo.script_space_size, 15);
  std::vector<Row> rows;
  const Row passes[] = {{0, 0, 0, 0, 0}, {0, 1, 5, 0, 2}, {0, 6, 63, 0, 2}, {0, 1, 63, 2, 1},
                        {0, 1, 63, 1, 0}};
  for (const Row& p : passes)
    for (int comp = 0; comp < 3; ++comp) rows.push_back({comp, p.Ss, p.Se, p.Ah, p.Al});
  ExpectScans(c.cinfo, rows);
}

TEST(CustomProgression, LargeEnoughStorageIsReused) {
  Compressor c(JCS_YCbCr, 3);
  jpeg_simple_progression(&c.cinfo);  // leaves storage for its own 10 scans
  ASSERT_NE(c.cinfo.script_space, nullptr);
  ASSERT_EQ(c.cinfo.script_space_size, 10);

  // 10 records are too few for 11 scans: new storage of 11.
  jpeg_scan_info* const small = c.cinfo.script_space;
  core::custom_progression(&c.cinfo);
  EXPECT_NE(c.cinfo.script_space, small);
  EXPECT_EQ(c.cinfo.script_space_size, 11);

  // Storage of 11 serves a later call unchanged.
  jpeg_scan_info* const eleven = c.cinfo.script_space;
  core::custom_progression(&c.cinfo);
  EXPECT_EQ(c.cinfo.script_space, eleven);
  EXPECT_EQ(c.cinfo.script_space_size, 11);
  EXPECT_EQ(c.cinfo.num_scans, 11);

  // A gray compressor with room for 10 keeps it for its 5 scans.
  Compressor g(JCS_GRAYSCALE, 1);
  jpeg_simple_progression(&g.cinfo);
  jpeg_scan_info* const gspace = g.cinfo.script_space;
  const int gsize = g.cinfo.script_space_size;
  core::custom_progression(&g.cinfo);
  EXPECT_EQ(g.cinfo.script_space, gspace);
  EXPECT_EQ(g.cinfo.script_space_size, gsize);
  EXPECT_EQ(g.cinfo.num_scans, 5);
}

}  // namespace
