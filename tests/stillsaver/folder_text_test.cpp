// The folder text the browser hands back becomes a file-name prefix ending in a backslash.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "folder_text.h"

namespace {

std::string Ended(const std::string& in, size_t size = stillsaver::kChosenFolderSize) {
  char buf[600] = {};
  std::memcpy(buf, in.data(), in.size());
  stillsaver::EndWithBackslash(buf, size);
  return buf;
}

TEST(FolderText, BackslashAppendedOnce) {
  EXPECT_EQ(Ended("C:\\shots"), "C:\\shots\\");
  EXPECT_EQ(Ended("C:\\shots\\"), "C:\\shots\\");
  EXPECT_EQ(Ended("D:\\"), "D:\\");  // a drive root gets no second one
  EXPECT_EQ(Ended(""), "\\");
}

// A double-byte character whose second byte is 0x5C does not end the text with a backslash.
TEST(FolderText, TrailByteIsNotABackslash) {
  const std::string hyou = "C:\\\x95\x5C";  // "C:\表" in CP932
  EXPECT_EQ(Ended(hyou), hyou + "\\");
  const std::string hyouDir = "C:\\\x95\x5C\\";
  EXPECT_EQ(Ended(hyouDir), hyouDir);
}

// A folder of 259 characters fits its 261-byte buffer with the backslash; when there is no
// room the text stays as it is.
TEST(FolderText, LongFolders) {
  const std::string f259 = "C:\\" + std::string(256, 'a');
  EXPECT_EQ(Ended(f259), f259 + "\\");
  const std::string f260 = "C:\\" + std::string(257, 'a');
  EXPECT_EQ(Ended(f260), f260);
  EXPECT_EQ(Ended(f259, 260), f259);
}

std::string Base(const char* path) {
  char base[stillsaver::kBaseNameSize];
  stillsaver::ModuleBaseName(path, base);
  return base;
}

// The display names come from the library's file name as _splitpath divides it.
TEST(DisplayNames, BaseNameOfTheModule) {
  EXPECT_EQ(Base("C:\\plugins\\stillsaver.dll"), "stillsaver");
  EXPECT_EQ(Base("C:/x.y/a.b.auf"), "a.b");
  EXPECT_EQ(Base("C:stillsaver2"), "stillsaver2");
  EXPECT_EQ(Base("C:\\\x95\x5C.dll"), "\x95\x5C");  // the trail byte of "表" is no separator
  EXPECT_EQ(Base(("C:\\" + std::string(300, 'n') + ".dll").c_str()), std::string(260, 'n'));
  char name[12];
  stillsaver::SuffixedName(name, sizeof name, "Pomtrel(", "abc");
  EXPECT_STREQ(name, "Pomtrel(abc");  // cut to the buffer: the ')' has no room
}

}  // namespace
