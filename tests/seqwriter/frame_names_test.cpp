// The output plug-in's name handling: the save path split by the code page 932 rule, the number
// inserted before the extension, and the model of the number text (tests/support/) on known
// answers and (on Windows) compared with wsprintfA, whose text the plug-in's names always had.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>

#include "frame_names.h"
#include "tests/support/number_text_model.h"
#ifdef _WIN32
#include <windows.h>
#endif

namespace seqwriter {
namespace {

using testsupport::FormatNumber;

std::string Compose(const char* savePath, const char* pattern, int index) {
  FrameNames names;
  if (!SplitSavePath(savePath, &names) || !ComposeFramePath(&names, pattern, index)) return "!";
  return names.path;
}

TEST(FrameNames, NumberGoesBeforeTheLastDotOfTheFileName) {
  EXPECT_EQ(Compose("D:\\out\\clip.jpg", "_%04d", 7), "D:\\out\\clip_0007.jpg");
  EXPECT_EQ(Compose("D:\\out\\clip", "_%04d", 0), "D:\\out\\clip_0000");
  EXPECT_EQ(Compose("D:\\out\\a.b.jpg", "_%04d", 1), "D:\\out\\a.b_0001.jpg");
  EXPECT_EQ(Compose("D:\\my.dir\\clip", "_%04d", 2), "D:\\my.dir\\clip_0002");
  EXPECT_EQ(Compose("", "_%04d", 3), "_0003");
  EXPECT_EQ(Compose("D:/out/clip.jpg", "%d", 10), "D:/out/clip10.jpg");  // only '\' separates
}

// "表" is 0x95 0x5C and "ソ" 0x83 0x5C: their trail byte is '\'. A lead byte at the very end
// stands alone.
TEST(FrameNames, DoubleByteCharactersAreSteppedOverWhole) {
  EXPECT_EQ(Compose("D:\\\x95\x5C\\a\x83\x5C.jpg", "%d", 5), "D:\\\x95\x5C\\a\x83\x5C" "5.jpg");
  EXPECT_EQ(Compose("D:\\x\x95\x5C" "b", "%d", 5), "D:\\x\x95\x5C" "b5");
  EXPECT_EQ(Compose("D:\\x\x95.y\x95", "%d", 5), "D:\\x\x95.y\x95" "5");  // 0x95 0x2E is one character
  EXPECT_EQ(Compose("D:\\x.y\x95", "%d", 5), "D:\\x5.y\x95");
}

TEST(FrameNames, TooLongFails) {
  const std::string dir = "D:\\" + std::string(240, 'd') + "\\";
  EXPECT_EQ(Compose((dir + "clip.jpg").c_str(), "_%04d", 1), dir + "clip_0001.jpg");
  EXPECT_EQ(Compose((dir + "clip.jpg").c_str(), "_%010d", 1), "!");
  EXPECT_EQ(Compose(std::string(260, 'a').c_str(), "%d", 1), "!");
  EXPECT_EQ(Compose("a", "%300d", 1), "!");
}

// Answers that printf and wsprintfA share.
TEST(NumberText, CommonPatterns) {
  const struct { const char* pattern; int value; const char* text; } cases[] = {
      {"_%04d", 7, "_0007"}, {"%d", -5, "-5"},    {"%-5d|", 42, "42   |"}, {"%#x", 255, "0xff"},
      {"%05X", 255, "000FF"}, {"%u", -1, "4294967295"}, {"a%%b%3i", 9, "a%b  9"}, {"x", 1, "x"}};
  for (const auto& c : cases) {
    char out[kNumberTextSize];
    EXPECT_EQ(FormatNumber(out, c.pattern, c.value), std::string(c.text).size()) << c.pattern;
    EXPECT_STREQ(out, c.text) << c.pattern;
  }
}

// Found by fuzzing: a left-aligned "0x" number as wide as the text's limit ran past the
// buffer. The text is cut at 1023 characters, and such a name does not fit.
TEST(NumberText, CutAtTheLimit) {
  for (const char* pattern : {"%%%%%%%%%%%%me%-#1695lX%%", "%-#1030x", "%#01030x", "%-01030d"}) {
    for (int value : {0, -1, INT_MIN}) {
      char out[kNumberTextSize + 16];
      std::memset(out, 'z', sizeof out);
      char(&text)[kNumberTextSize] = *reinterpret_cast<char(*)[kNumberTextSize]>(out);
      EXPECT_EQ(FormatNumber(text, pattern, value), kNumberTextSize) << pattern;  // cut
      EXPECT_EQ(std::strlen(text), kNumberTextSize - 1) << pattern;
      EXPECT_EQ(out[kNumberTextSize], 'z') << pattern;
      EXPECT_EQ(Compose("clip.jpg", pattern, value), "!");
    }
  }
}

#ifdef _WIN32
// Patterns of the accepted kind that fit the settings (256 bytes): text, "%%" and one
// conversion with any flags (repeated, in any order), widths and precisions from none to past
// wsprintfA's limit and past 32 bits.
class PatternMaker {
 public:
  explicit PatternMaker(uint32_t seed) : state_(seed) {}
  std::string Make() {
    std::string p;
    AddText(&p);
    const char* number = Pick({"%d", "%i", "%u", "%x", "%X"});
    p += '%';
    // '#' only with x and X: on d, i and u Wine's wsprintfA counts a "0x" it never writes and
    // copies the digits' NUL into the text, which FormatNumber does not imitate (the DLL itself
    // formats with wsprintfA).
    const bool hex = number[1] == 'x' || number[1] == 'X';
    for (int n = Below(4); n > 0; --n) p += hex ? "-#0"[Below(3)] : "-0"[Below(2)];
    if (Below(2)) p += Digits();
    if (Below(3) == 0) p += "." + (Below(4) ? Digits() : std::string());
    if (Below(3) == 0) p += Below(2) ? 'h' : 'l';
    p += number[1];
    AddText(&p);
    return p;
  }
  int Index() {
    static const int kEdges[] = {0, 1, -1, 9, 10, 255, -255, INT_MAX, INT_MIN, 65535};
    return Below(2) ? kEdges[Below(10)] : static_cast<int>(Next());
  }

 private:
  uint32_t Next() { return state_ = state_ * 1664525u + 1013904223u; }
  int Below(int n) { return static_cast<int>((Next() >> 8) % static_cast<uint32_t>(n)); }
  const char* Pick(std::initializer_list<const char*> items) {
    return items.begin()[Below(static_cast<int>(items.size()))];
  }
  std::string Digits() {
    switch (Below(5)) {
      case 0: return std::to_string(Below(12));
      case 1: return std::to_string(Below(40));
      case 2: return std::to_string(1000 + Below(40));  // around the 1024-character limit
      case 3: return std::to_string(4294967296ull + Below(20));  // wraps in 32 bits
      default: return "0" + std::to_string(Below(300));
    }
  }
  void AddText(std::string* p) {
    for (int n = Below(4); n > 0; --n) *p += Pick({"_", "frame", "%%", "\x95\x5C", "-", "."});
    if (Below(8) == 0) *p += std::string(80 + Below(20), 'a');  // both sides: within 256 bytes
  }
  uint32_t state_;
};

TEST(NumberText, SameAsWsprintfA) {
  constexpr int kPatterns = 20000;
  PatternMaker maker(12345);
  int cut = 0;  // texts that reached the limit: where Wine's wsprintfA writes past it
  for (int n = 0; n < kPatterns; ++n) {
    const std::string pattern = maker.Make();
    ASSERT_TRUE(IsSafeNamePattern(pattern.c_str())) << pattern;
    ASSERT_LT(pattern.size(), kNumberPatternSize) << pattern;
    const int index = maker.Index();
    char want[kNumberTextSize];  // the DLL's own text: wsprintfA's, cut at its limit
    const size_t wantLen = NumberText(want, pattern.c_str(), index);
    char got[kNumberTextSize];
    const size_t gotLen = FormatNumber(got, pattern.c_str(), index);
    ASSERT_EQ(std::string(got), std::string(want)) << "pattern " << pattern << ", index " << index;
    ASSERT_EQ(gotLen, wantLen) << "pattern " << pattern << ", index " << index;
    if (wantLen == kNumberTextSize) ++cut;
  }
  EXPECT_GT(cut, kPatterns / 100);
}
#endif

}  // namespace
}  // namespace seqwriter
