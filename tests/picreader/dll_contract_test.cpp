// picreader.dll as the editor meets it: the table from its export, and the stream description
// written into the editor's own record.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "testhost/input_host.h"
#include "tests/picreader/reader_files.h"
#include "tests/win/plugin_table.h"

namespace picreadertest {
namespace {

const testhost::InputHost& Plugin() {
  static const testhost::InputHost plugin("picreader.dll");
  return plugin;
}

// No information, init or exit.
TEST(InputTable, Fields) {
  using host::InputTable;
  ASSERT_TRUE(Plugin().loaded());
  const InputTable* t = Plugin().table();
  wintest::ExpectTableWords(t, {offsetof(InputTable, flags), offsetof(InputTable, name),
                             offsetof(InputTable, fileFilter), offsetof(InputTable, open),
                             offsetof(InputTable, close), offsetof(InputTable, infoGet),
                             offsetof(InputTable, readVideo)},
                            "picreader.dll", "GetInputPluginTable");
  EXPECT_EQ(t->flags, 1u);
  EXPECT_STREQ(t->name, "Quorbel(YC48)");
  EXPECT_EQ(testhost::FilterStrings(t->fileFilter),
            (std::vector<std::string>{"JpegFile (*.jpg,*.jpeg)", "*.jpg;*.jpeg"}));
}

// The six fields are written and nothing else; the format record lives inside the handle (at
// the same place in every handle) and stays put while the handle is open.
TEST(StreamInfo, SixFieldsAndTheFormatInsideTheHandle) {
  ASSERT_TRUE(Plugin().loaded());
  ptrdiff_t offsets[2] = {};
  for (int components : {1, 3}) {
    const TempFile file("info");
    WritePatchJpeg(file.path, PatchSamples(45, 13, components));
    const host::InputHandle h = Plugin().Open(file.path);
    ASSERT_NE(h, nullptr);
    host::InputStreamInfo info;
    std::memset(&info, 0xA5, sizeof info);
    host::InputStreamInfo untouched = info;
    ASSERT_EQ(Plugin().InfoGet(h, &info), 1);
    EXPECT_EQ(info.flags, 1u);
    EXPECT_EQ(info.rate, 60);
    EXPECT_EQ(info.scale, 1);
    EXPECT_EQ(info.frameCount, 1);
    EXPECT_EQ(info.reserved36, 0);
    ASSERT_NE(info.format, nullptr);
    untouched.flags = info.flags;
    untouched.rate = info.rate;
    untouched.scale = info.scale;
    untouched.frameCount = info.frameCount;
    untouched.format = info.format;
    untouched.reserved36 = info.reserved36;
    EXPECT_EQ(std::memcmp(&info, &untouched, sizeof info), 0) << "a field not ours was written";

    const BITMAPINFOHEADER* f = info.format;
    offsets[components / 3] = reinterpret_cast<const char*>(f) - static_cast<const char*>(h);
    EXPECT_EQ(f->biSize, 40u);
    EXPECT_EQ(f->biWidth, 45);
    EXPECT_EQ(f->biHeight, 13);
    EXPECT_EQ(f->biPlanes, 1);
    EXPECT_EQ(f->biBitCount, 48);
    EXPECT_EQ(f->biCompression, host::kFourccYC48);
    EXPECT_EQ(f->biSizeImage | f->biClrUsed | f->biClrImportant, 0u);
    EXPECT_EQ(f->biXPelsPerMeter | f->biYPelsPerMeter, 0);

    const BITMAPINFOHEADER before = *f;
    std::vector<uint8_t> buffer(Stride(45) * 13);
    EXPECT_EQ(Plugin().ReadVideo(h, 0, buffer.data()), static_cast<int>(buffer.size()));
    ASSERT_EQ(Plugin().InfoGet(h, &info), 1);
    EXPECT_EQ(info.format, f);
    EXPECT_EQ(std::memcmp(f, &before, sizeof before), 0);
    EXPECT_EQ(Plugin().Close(h), 1);
  }
  EXPECT_EQ(offsets[0], offsets[1]);
  EXPECT_GT(offsets[0], 0);
}

}  // namespace
}  // namespace picreadertest
