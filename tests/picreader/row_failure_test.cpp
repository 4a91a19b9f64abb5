// A fatal library error while rows are read, made to happen in a chosen row: the file's bytes
// reach the decoder one at a time, and the byte source fails the way a library error does
// (through the decoder's error_exit) once the decoder is reading that row. Any such failure
// leaves an incomplete frame: the read gives 0, whether or not it was the last row. One case
// per process: the module's flag stays cleared.
#include <gtest/gtest.h>

#include <algorithm>

#include "picreader/jpeg_reader.h"
#include "tests/picreader/reader_files.h"

namespace picreadertest {
namespace {

using picreader::JpegReaderHandle;

// 4:4:4 with no upsampling: the image data of block row k is decoded while row 8k is read.
constexpr int kWidth = 64, kHeight = 17;

struct Rationed {
  boolean (*fill)(j_decompress_ptr);  // the stdio source's own
  const JOCTET* next;
  size_t left;
  JDIMENSION failingRow;
};
Rationed rationed;

boolean FillOneByte(j_decompress_ptr d) {
  if (d->output_height > 0 && d->output_scanline == rationed.failingRow)
    (*d->err->error_exit)(reinterpret_cast<j_common_ptr>(d));
  if (rationed.left == 0) {
    rationed.fill(d);
    rationed.next = d->src->next_input_byte;
    rationed.left = d->src->bytes_in_buffer;
  }
  d->src->next_input_byte = rationed.next++;
  d->src->bytes_in_buffer = 1;
  --rationed.left;
  return TRUE;
}

class RowFailure : public ::testing::TestWithParam<int> {};

TEST_P(RowFailure, ReadGivesZeroAndKeepsTheRowsBefore) {
  const int failingRow = GetParam();
  const TempFile file("rows");
  const Decoded samples = PatchSamples(kWidth, kHeight, 3);
  WritePatchJpeg(file.path, samples);
  JpegReaderHandle* h = picreader::OpenJpeg(file.path.c_str());
  ASSERT_NE(h, nullptr);
  jpeg_source_mgr* src = h->decoder.src;
  rationed = {src->fill_input_buffer, src->next_input_byte, src->bytes_in_buffer,
              static_cast<JDIMENSION>(failingRow)};
  src->bytes_in_buffer = 0;
  src->fill_input_buffer = FillOneByte;

  std::vector<uint8_t> buffer = Garbage(Stride(kWidth) * kHeight, 21);
  std::vector<uint8_t> want = ExpectedFrame(samples, buffer);
  std::copy(buffer.begin() + Stride(kWidth) * failingRow, buffer.end(),
            want.begin() + Stride(kWidth) * failingRow);  // from the failing row on: untouched
  EXPECT_EQ(picreader::ReadJpegFrame(h, 0, buffer.data()), 0);
  EXPECT_EQ(buffer, want);
  EXPECT_EQ(picreader::libraryUsable, 0);
  EXPECT_EQ(picreader::ReadJpegFrame(h, 0, buffer.data()), 0);
  EXPECT_EQ(picreader::OpenJpeg(file.path.c_str()), nullptr);
  EXPECT_EQ(picreader::CloseJpeg(h), 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, RowFailure, ::testing::Values(0, 8, kHeight - 1),
                         [](const auto& info) {
                           return info.param == 0            ? std::string("FirstRow")
                                  : info.param == kHeight - 1 ? std::string("LastRow")
                                                              : std::string("MiddleRow");
                         });

}  // namespace
}  // namespace picreadertest
