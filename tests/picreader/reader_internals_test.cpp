// Two things that only the portable reader can be made to meet, neither of which may cost the
// module its library: no memory for the row buffer, and a file that changes between two reads.
#include <gtest/gtest.h>

#include <cstdlib>

#include "picreader/jpeg_reader.h"
#include "tests/picreader/reader_files.h"

namespace picreadertest {
namespace {

using picreader::CloseJpeg;
using picreader::JpegReaderHandle;
using picreader::OpenJpeg;
using picreader::ReadJpegFrame;

void* NoMemory(size_t) { return nullptr; }

// The decoder is left started without a row buffer; the next read must still give the frame.
TEST(RowBuffer, NoMemoryThenTheNextReadSucceeds) {
  const TempFile file("nomem");
  const Decoded samples = PatchSamples(40, 17, 3);
  WritePatchJpeg(file.path, samples);
  JpegReaderHandle* h = OpenJpeg(file.path.c_str());
  ASSERT_NE(h, nullptr);
  std::vector<uint8_t> buffer = Garbage(Stride(40) * 17, 3);
  const std::vector<uint8_t> untouched = buffer;
  picreader::rowBufferAllocator = NoMemory;
  EXPECT_EQ(ReadJpegFrame(h, 0, buffer.data()), 0);
  picreader::rowBufferAllocator = std::malloc;
  EXPECT_EQ(buffer, untouched);
  EXPECT_EQ(picreader::libraryUsable, 1);
  EXPECT_EQ(ReadJpegFrame(h, 0, buffer.data()), Stride(40) * 17);
  EXPECT_EQ(buffer, ExpectedFrame(samples, untouched));
  EXPECT_EQ(CloseJpeg(h), 1);
}

// The host sized its buffer from the header read at open: a file rewritten with another size
// is not decoded into it, and the handle reads again once the file is as it was.
TEST(RepeatedReads, FileRewrittenWithAnotherSize) {
  const TempFile file("rewritten");
  const Decoded samples = PatchSamples(24, 8, 1);
  const std::vector<uint8_t> original = WritePatchJpeg(file.path, samples);
  JpegReaderHandle* h = OpenJpeg(file.path.c_str());
  ASSERT_NE(h, nullptr);
  std::vector<uint8_t> buffer = Garbage(Stride(24) * 8 + 64, 4);
  ASSERT_EQ(ReadJpegFrame(h, 0, buffer.data()), Stride(24) * 8);
  const std::vector<uint8_t> first = buffer;

  WritePatchJpeg(file.path, PatchSamples(32, 8, 1));
  EXPECT_EQ(ReadJpegFrame(h, 0, buffer.data()), 0);
  EXPECT_EQ(buffer, first);
  EXPECT_EQ(picreader::libraryUsable, 1);

  WriteBytes(file.path, original);
  buffer = Garbage(buffer.size(), 5);
  EXPECT_EQ(ReadJpegFrame(h, 0, buffer.data()), Stride(24) * 8);
  EXPECT_EQ(buffer, ExpectedFrame(samples, Garbage(buffer.size(), 5)));
  EXPECT_EQ(CloseJpeg(h), 1);
}

}  // namespace
}  // namespace picreadertest
