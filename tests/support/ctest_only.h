// Tests that need what CTest sets up for their process (a limit on the size of the files it
// may write). Started by hand, such a test skips, and says so on stderr in a banner: the
// program's summary would otherwise read PASSED although nothing was tested.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace testsupport {

// The file-size limit in bytes that CTest announces in EXPECT_FILE_SIZE_LIMIT, or 0 (after the
// banner) when the program runs without it.
inline long FileSizeLimitFromCtest() {
  if (const char* limit = std::getenv("EXPECT_FILE_SIZE_LIMIT")) return std::atol(limit);
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::fprintf(stderr,
               "\n"
               "**********************************************************************\n"
               "** NOT TESTED: %s.%s\n"
               "** needs the file-size limit that CTest puts on its process;\n"
               "** run it through ctest, not directly.\n"
               "**********************************************************************\n\n",
               test ? test->test_suite_name() : "?", test ? test->name() : "?");
  std::fflush(stderr);
  return 0;
}

}  // namespace testsupport

// Declares `bytes`, the limit CTest set; skips the test (loudly) when there is none.
#define FILE_SIZE_LIMIT_FROM_CTEST_OR_SKIP(bytes)            \
  const long bytes = testsupport::FileSizeLimitFromCtest(); \
  if (bytes <= 0) GTEST_SKIP() << "not tested: run through CTest, which sets the file-size limit"
