// The export loop, judged by the files on disk and the calls the substitute host received.
#include <cstdlib>
#include <string>
#include <vector>

#include "core/encoder_values.h"
#include "tests/seqwriter/seqwriter_fixture.h"
#include "tests/support/jpeg_inspect.h"
#include "tests/win/win_files.h"

namespace seqwritertest {
namespace {

using testhost::OutputHost;
using testsupport::Decoded;
using testsupport::JpegStructure;
using wintest::ScratchDir;
using Strings = std::vector<std::string>;

Strings CallsOfFrames(int from, int to, int count) {
  Strings v;
  for (int i = from; i < to; ++i) {
    v.push_back("abort");
    v.push_back("progress " + std::to_string(i) + "/" + std::to_string(count));
    v.push_back("fetch " + std::to_string(i) + " YC48");
    v.push_back("done");
  }
  return v;
}

JpegStructure Structure(const std::string& path) {
  JpegStructure s;
  EXPECT_TRUE(testsupport::InspectJpeg(testsupport::ReadFileBytes(path), &s)) << path;
  EXPECT_TRUE(s.endsWithEoi) << path;
  return s;
}

Decoded Decode(const std::string& path) {
  Decoded d;
  EXPECT_TRUE(testsupport::DecodeJpeg(testsupport::ReadFileBytes(path), &d)) << path;
  return d;
}

uint8_t Clamp(int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

// The samples of one frame as the plain conversion makes them (luma 255/4096, chroma
// 127/2048 around 128), for comparing with decoded pictures.
std::vector<uint8_t> ExpectedSamples(OutputHost& host, int frame, int width, int height, bool gray) {
  std::vector<uint8_t> v;
  for (int y = 0; y < height; ++y) {
    const host::PixelYC* p = host.frames()[frame].row(y, width);
    for (int x = 0; x < width; ++x) {
      v.push_back(Clamp((255 * p[x].y + 2048) >> 12));
      if (!gray) {
        v.push_back(Clamp(((127 * p[x].cb + 1024) >> 11) + 128));
        v.push_back(Clamp(((127 * p[x].cr + 1024) >> 11) + 128));
      }
    }
  }
  return v;
}

int MaxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size()) return 1000;
  int m = 0;
  for (size_t i = 0; i < a.size(); ++i) m = std::max(m, std::abs(a[i] - b[i]));
  return m;
}

TEST_F(SeqwriterTest, ThreeFramesWithTheDefaultPattern) {
  ScratchDir dir("sw_default");
  OutputHost host(64, 48, 3, dir / "clip.jpg");
  Strings presentAtDone;
  host.onFrameDone = [&](int i) {
    // The frame's file is complete when the editor hears that the frame is done.
    const std::string name = dir / ("clip_000" + std::to_string(i) + ".jpg");
    presentAtDone.push_back(Decode(name).width == 64 ? "decodable" : "not decodable");
  };
  EXPECT_EQ(Export(host), 1);
  EXPECT_EQ(host.calls(), CallsOfFrames(0, 3, 3));
  EXPECT_EQ(presentAtDone, (Strings{"decodable", "decodable", "decodable"}));
  EXPECT_EQ(dir.List(), (Strings{"clip_0000.jpg", "clip_0001.jpg", "clip_0002.jpg"}));

  for (int i = 0; i < 3; ++i) {
    const std::string name = dir / ("clip_000" + std::to_string(i) + ".jpg");
    const JpegStructure s = Structure(name);
    EXPECT_EQ(s.sofMarker, 0xC2);  // progressive, the library's script of ten scans
    EXPECT_EQ(s.scans.size(), 10u);
    ASSERT_EQ(s.components.size(), 3u);
    EXPECT_EQ(s.components[0].h, 2);
    EXPECT_EQ(s.components[0].v, 2);
    EXPECT_EQ(s.quantTables.at(0)[0], 8);  // the standard luma DC step 16 at quality 75
    EXPECT_EQ(s.width, 64);
    EXPECT_EQ(s.height, 48);
  }
  // Each file holds its own frame.
  EXPECT_NE(Decode(dir / "clip_0000.jpg").samples, Decode(dir / "clip_0002.jpg").samples);
}

TEST_F(SeqwriterTest, PicturesFollowTheFramesRowByRow) {
  ScratchDir dir("sw_pictures");
  Config c;
  c.quality = 100;
  c.quantize = 1;       // every step 1 at quality 100
  c.downsampling = 0;   // 4:4:4
  for (int downsampling : {0, core::kGraySamplingPreset}) {
    c.downsampling = downsampling;
    Configure(c);
    OutputHost host(37, 23, 2, dir / ("pic" + std::to_string(downsampling) + ".jpg"));
    ASSERT_EQ(Export(host), 1);
    for (int f = 0; f < 2; ++f) {
      const Decoded d = Decode(dir / ("pic" + std::to_string(downsampling) + "_000" +
                                      std::to_string(f) + ".jpg"));
      const bool gray = downsampling == core::kGraySamplingPreset;
      EXPECT_LE(MaxDifference(d.samples, ExpectedSamples(host, f, 37, 23, gray)), 2)
          << "frame " << f << " downsampling " << downsampling;
    }
  }
}

TEST_F(SeqwriterTest, PlainPercentDIsNotPadded) {
  ScratchDir dir("sw_percent_d");
  Configure(Config{"%d"});
  OutputHost host(8, 8, 11, dir / "clip.jpg");
  EXPECT_EQ(Export(host), 1);
  Strings want;
  for (int i = 0; i < 11; ++i) want.push_back("clip" + std::to_string(i) + ".jpg");
  std::sort(want.begin(), want.end());
  EXPECT_EQ(dir.List(), want);
}

TEST_F(SeqwriterTest, PatternWithoutConversionKeepsTheLastFrame) {
  ScratchDir dir("sw_same");
  OutputHost numbered(24, 16, 3, dir / "ref.jpg");
  ASSERT_EQ(Export(numbered), 1);
  Configure(Config{"_same"});
  OutputHost host(24, 16, 3, dir / "clip.jpg");
  EXPECT_EQ(Export(host), 1);
  EXPECT_EQ(host.calls(), CallsOfFrames(0, 3, 3));
  EXPECT_EQ(dir.List(), (Strings{"clip_same.jpg", "ref_0000.jpg", "ref_0001.jpg", "ref_0002.jpg"}));
  EXPECT_EQ(testsupport::ReadFileBytes(dir / "clip_same.jpg"), testsupport::ReadFileBytes(dir / "ref_0002.jpg"));
}

struct PathCase {
  const char* savePath;   // relative to the scratch folder ("" = an empty save path)
  Strings files;          // what appears, relative to the scratch folder
};

TEST_F(SeqwriterTest, SavePathSplits) {
  const PathCase cases[] = {
      {"clip.jpg", {"clip_0000.jpg", "clip_0001.jpg"}},
      {"clip", {"clip_0000", "clip_0001"}},
      {"a.b.jpg", {"a.b_0000.jpg", "a.b_0001.jpg"}},
      {"my.dir\\clip", {"my.dir\\", "my.dir\\clip_0000", "my.dir\\clip_0001"}},
  };
  for (const PathCase& c : cases) {
    ScratchDir dir("sw_split");
    CreateDirectoryA((dir / "my.dir").c_str(), nullptr);
    OutputHost host(8, 8, 2, dir / c.savePath);
    EXPECT_EQ(Export(host), 1) << c.savePath;
    Strings found = dir.List();
    if (wintest::FileExists(dir / "my.dir\\clip_0000")) {
      found.push_back("my.dir\\clip_0000");
      found.push_back("my.dir\\clip_0001");
    } else {
      found.erase(std::remove(found.begin(), found.end(), "my.dir\\"), found.end());
    }
    std::sort(found.begin(), found.end());
    Strings want = c.files;
    std::sort(want.begin(), want.end());
    EXPECT_EQ(found, want) << c.savePath;
  }
}

TEST_F(SeqwriterTest, SavePathWithoutDirectoryUsesTheCurrentOne) {
  for (const char* savePath : {"clip.jpg", ""}) {
    ScratchDir dir("sw_cwd");
    wintest::CurrentDir cd(dir.path());
    OutputHost host(8, 8, 2, savePath);
    EXPECT_EQ(Export(host), 1);
    EXPECT_EQ(dir.List(), *savePath ? (Strings{"clip_0000.jpg", "clip_0001.jpg"})
                                    : (Strings{"_0000", "_0001"}));
  }
}

TEST_F(SeqwriterTest, NoFramesNoCalls) {
  ScratchDir dir("sw_zero");
  for (int count : {0, -3}) {
    OutputHost host(8, 8, count, dir / "clip.jpg");
    EXPECT_EQ(Export(host), 1);
    EXPECT_TRUE(host.calls().empty());
  }
  EXPECT_TRUE(dir.List().empty());
}

TEST_F(SeqwriterTest, AbortAtOnceAndLater) {
  ScratchDir dir("sw_abort");
  OutputHost atOnce(8, 8, 3, dir / "now.jpg");
  atOnce.abortAt = 0;
  EXPECT_EQ(Export(atOnce), 1);
  EXPECT_EQ(atOnce.calls(), Strings{"abort"});
  EXPECT_TRUE(dir.List().empty());

  OutputHost later(8, 8, 5, dir / "later.jpg");
  later.abortAt = 2;
  EXPECT_EQ(Export(later), 1);
  Strings want = CallsOfFrames(0, 2, 5);
  want.push_back("abort");
  EXPECT_EQ(later.calls(), want);
  EXPECT_EQ(dir.List(), (Strings{"later_0000.jpg", "later_0001.jpg"}));
}

TEST_F(SeqwriterTest, MissingFolderFailsAtTheFirstFile) {
  ScratchDir dir("sw_missing");
  OutputHost host(8, 8, 3, dir / "no such folder\\clip.jpg");
  EXPECT_EQ(Export(host), 0);
  EXPECT_EQ(host.calls(), (Strings{"abort", "progress 0/3", "fetch 0 YC48"}));
  EXPECT_TRUE(dir.List().empty());
  // The module is still usable.
  OutputHost next(8, 8, 1, dir / "clip.jpg");
  EXPECT_EQ(Export(next), 1);
}

TEST_F(SeqwriterTest, NoFrameBlockEndsTheExport) {
  ScratchDir dir("sw_nullframe");
  OutputHost host(8, 8, 3, dir / "clip.jpg");
  host.nullFetchAt = 1;
  EXPECT_EQ(Export(host), 0);
  Strings want = CallsOfFrames(0, 1, 3);
  for (const char* s : {"abort", "progress 1/3", "fetch 1 YC48"}) want.push_back(s);
  EXPECT_EQ(host.calls(), want);
  EXPECT_EQ(dir.List(), Strings{"clip_0000.jpg"});
}

// Rows are 4-byte aligned; the padding bytes (2 per row for odd widths) never reach the file.
TEST_F(SeqwriterTest, RowPaddingNeverReachesTheFile) {
  for (int width : {1, 2, 3, 4, 5, 33}) {
    ScratchDir dir("sw_stride");
    OutputHost a(width, 9, 1, dir / "a.jpg");
    OutputHost b(width, 9, 1, dir / "b.jpg");
    const int stride = (width * 6 + 3) & ~3;
    const int expected[] = {0, 8, 12, 20, 24};
    if (width <= 4) {
      EXPECT_EQ(stride, expected[width]);
    }
    for (int y = 0; y < 9; ++y) {  // other garbage in b's padding
      for (int k = width * 6; k < stride; ++k) b.frames()[0].bytes[y * stride + k] ^= 0x5A;
    }
    ASSERT_EQ(Export(a), 1);
    ASSERT_EQ(Export(b), 1);
    EXPECT_EQ(testsupport::ReadFileBytes(dir / "a_0000.jpg"), testsupport::ReadFileBytes(dir / "b_0000.jpg"))
        << "width " << width;
    EXPECT_EQ(Decode(dir / "a_0000.jpg").width, width);
  }
}

TEST_F(SeqwriterTest, GrayscaleIgnoresColourDifferences) {
  ScratchDir dir("sw_gray");
  Config c;
  c.downsampling = core::kGraySamplingPreset;
  Configure(c);
  OutputHost a(40, 24, 1, dir / "a.jpg");
  OutputHost b(40, 24, 1, dir / "b.jpg");
  for (int y = 0; y < 24; ++y) {
    host::PixelYC* p = b.frames()[0].row(y, 40);
    for (int x = 0; x < 40; ++x) {
      p[x].cb = static_cast<int16_t>(-p[x].cb + 77);
      p[x].cr = static_cast<int16_t>(2000 - x * 50);
    }
  }
  ASSERT_EQ(Export(a), 1);
  ASSERT_EQ(Export(b), 1);
  const JpegStructure s = Structure(dir / "a_0000.jpg");
  ASSERT_EQ(s.components.size(), 1u);
  EXPECT_EQ(s.components[0].h, 2);
  EXPECT_EQ(s.components[0].v, 2);
  EXPECT_EQ(testsupport::ReadFileBytes(dir / "a_0000.jpg"), testsupport::ReadFileBytes(dir / "b_0000.jpg"));
}

// The settings reach the encoder: sequential or progressive with the library's script, the
// sampling presets, the table sets; a custom script is never used here.
TEST_F(SeqwriterTest, FileStructureFollowsTheSettings) {
  struct Case {
    int progression, downsampling, quantize, sof;
    size_t scans;
    int h, v, lumaDc;
  };
  const Case cases[] = {
      {0, 2, 0, 0xC0, 1, 2, 2, 8},   {1, 0, 1, 0xC2, 10, 1, 1, 4}, {1, 1, 2, 0xC2, 10, 2, 1, 8},
      {1, 3, 0, 0xC2, 6, 2, 2, 8},   {0, 4, 1, 0xC0, 1, 1, 2, 4},  {1, 5, 2, 0xC2, 10, 4, 2, 8},
      {1, 6, 0, 0xC2, 10, 2, 4, 8},  {1, -1, 7, 0xC2, 10, 2, 2, 8},
  };
  ScratchDir dir("sw_structure");
  int n = 0;
  for (const Case& k : cases) {
    Config c;
    c.progression = k.progression;
    c.downsampling = k.downsampling;
    c.quantize = k.quantize;
    Configure(c);
    const std::string stem = "s" + std::to_string(n++);
    OutputHost host(48, 32, 1, dir / (stem + ".jpg"));
    ASSERT_EQ(Export(host), 1);
    const JpegStructure s = Structure(dir / (stem + "_0000.jpg"));
    EXPECT_EQ(s.sofMarker, k.sof) << stem;
    EXPECT_EQ(s.scans.size(), k.scans) << stem;
    EXPECT_EQ(s.components[0].h, k.h) << stem;
    EXPECT_EQ(s.components[0].v, k.v) << stem;
    EXPECT_EQ(s.quantTables.at(0)[0], k.lumaDc) << stem;  // 16, 7 or 16 at quality 75
  }
}

// --- names that cannot be built safely -------------------------------------------------------

TEST_F(SeqwriterTest, PatternsThatWouldReadMissingArgumentsAreRefused) {
  const char* refused[] = {"%s", "%d%d", "_%04d_%x", "%*d", "%c", "%", "abc%", "%5.2f",
                           "%ls", "%p", "%n", "%I64d", "%S", "%hs", "%+d", "% d", "%e"};
  for (const char* pattern : refused) {
    ScratchDir dir("sw_refused");
    Configure(Config{pattern});
    OutputHost host(8, 8, 2, dir / "clip.jpg");
    EXPECT_EQ(Export(host), 0) << pattern;
    EXPECT_TRUE(host.calls().empty()) << pattern;
    EXPECT_TRUE(dir.List().empty()) << pattern;
  }
}

TEST_F(SeqwriterTest, IntegerPatternsKeepWorking) {
  const std::pair<const char*, const char*> accepted[] = {
      {"_%04d", "c_0011.jpg"}, {"%d", "c11.jpg"},         {"-%i", "c-11.jpg"},
      {"%u", "c11.jpg"},       {"%x", "cb.jpg"},          {"%X", "cB.jpg"},
      {"%-4d_", "c11  _.jpg"}, {"%#x", "c0xb.jpg"},       {"%08ld", "c00000011.jpg"},
      {"%hd", "c11.jpg"},      {"%.3d", "c011.jpg"},      {"a%%b%d", "ca%b11.jpg"},
      {"plain", "cplain.jpg"}, {"%%", "c%.jpg"},          {"_番号%03d", "c_番号011.jpg"},
  };
  for (const auto& [pattern, last] : accepted) {
    ScratchDir dir("sw_accepted");
    Configure(Config{pattern});
    OutputHost host(8, 8, 12, dir / "c.jpg");
    EXPECT_EQ(Export(host), 1) << pattern;
    EXPECT_TRUE(wintest::FileExists(dir / last)) << pattern << " -> " << last;
  }
}

TEST_F(SeqwriterTest, NamesThatDoNotFitAreNeverTruncated) {
  ScratchDir dir("sw_long");
  // A save path that does not fit 260 bytes: nothing at all happens.
  OutputHost tooLong(8, 8, 2, dir / (std::string(300 - dir.path().size(), 'p') + ".jpg"));
  EXPECT_EQ(Export(tooLong), 0);
  EXPECT_TRUE(tooLong.calls().empty());

  // A save path that fits, but not with the number: the frame's calls happen, no file.
  const std::string stem(259 - dir.path().size() - 1 - 4 - 2, 'q');  // "_0000" does not fit
  OutputHost composed(8, 8, 2, dir / (stem + ".jpg"));
  EXPECT_EQ(Export(composed), 0);
  EXPECT_EQ(composed.calls(), (Strings{"abort", "progress 0/2", "fetch 0 YC48"}));

  // A number text longer than its buffer.
  Configure(Config{"%300d"});
  OutputHost wide(8, 8, 2, dir / "c.jpg");
  EXPECT_EQ(Export(wide), 0);
  EXPECT_EQ(wide.calls(), (Strings{"abort", "progress 0/2", "fetch 0 YC48"}));
  EXPECT_TRUE(dir.List().empty());
}

// A pattern that arrives without its NUL is read as ending at its 256th byte.
TEST_F(SeqwriterTest, PatternWithoutTerminator) {
  ScratchDir dir("sw_unterminated");
  wintest::CurrentDir cd(dir.path());
  Blob b = MakeBlob(Config{});
  const std::string pattern = "%d" + std::string(254, 'z');
  std::memcpy(b.data(), pattern.data(), 256);
  ASSERT_EQ(SetBlob(b.data(), 280), 280);
  EXPECT_EQ(GetBlob(), b);
  OutputHost host(8, 8, 1, "");
  const int result = Export(host);
  // The composed name is the 255-byte number text: either the file system takes it whole or
  // the open fails; never a different, shortened name.
  const Strings files = dir.List();
  if (result == 1) {
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0], "0" + std::string(254, 'z'));
  } else {
    EXPECT_TRUE(files.empty());
  }
}

}  // namespace
}  // namespace seqwritertest
