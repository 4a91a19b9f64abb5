// A write that fails for real in mid-file turns the filter unusable until it is unloaded. Runs
// in a process of its own, under a limit on the size of the files it may write.
#include <cstdlib>

#include "tests/stillsaver/stillsaver_fixture.h"
#include "tests/support/ctest_only.h"
#include "tests/support/file_bytes.h"
#include "tests/win/dialog_driver.h"
#include "tests/win/win_files.h"

namespace stillsavertest {
namespace {

TEST_F(StillsaverTest, WriteFailureMakesTheFilterUnusable) {
  FILE_SIZE_LIMIT_FROM_CTEST_OR_SKIP(limit);
  wintest::ScratchDir dir("ss_unusable");
  store_.strings["path"] = dir.path() + "\\";
  store_.ints = {{"qualty", 100}, {"progression", 0}, {"downsampling", 0}};
  testhost::FilterHost& h = Open();
  h.MakeFrame(256, 256);
  uint32_t seed = 3;
  for (auto& p : h.frame) {
    seed = seed * 1664525u + 1013904223u;
    p = {static_cast<int16_t>(seed >> 20), static_cast<int16_t>((seed >> 8) & 4095),
         static_cast<int16_t>(seed & 4095)};
  }
  h.Start();
  h.log.clear();
  h.Command(IDC_SAVE_FRAME);
  Strings want = FetchCalls(17, 256, 256);
  want.push_back("MessageBeep 16");
  EXPECT_EQ(h.log, want);

  // The truncated file stays.
  const Strings files = dir.List();
  ASSERT_EQ(files.size(), 1u);
  const std::vector<uint8_t> partial = testsupport::ReadFileBytes(dir / files[0]);
  ASSERT_GE(partial.size(), 2u);
  EXPECT_LE(partial.size(), static_cast<size_t>(limit));
  EXPECT_EQ(partial[0], 0xFF);
  EXPECT_EQ(partial[1], 0xD8);
  EXPECT_FALSE(partial[partial.size() - 2] == 0xFF && partial.back() == 0xD9);

  HWND save = GetDlgItem(h.window(), IDC_SAVE_FRAME);
  HWND settings = GetDlgItem(h.window(), IDC_SHOW_SETTINGS);
  EXPECT_EQ(wintest::WindowText(h.window()), "エラーのため使用不可です");
  EXPECT_FALSE(IsWindowEnabled(save));
  EXPECT_FALSE(IsWindowEnabled(settings));

  // Every later save only repeats the signal: no host call, no file.
  SetWindowTextA(h.window(), "other");
  h.log.clear();
  EXPECT_EQ(h.Command(IDC_SAVE_FRAME), 0);
  EXPECT_EQ(h.log, Strings{"MessageBeep 16"});
  EXPECT_EQ(wintest::WindowText(h.window()), "エラーのため使用不可です");
  EXPECT_EQ(dir.List().size(), 1u);

  // The end of a save-disabled period no longer enables the save button.
  EXPECT_EQ(h.Send(host::kMsgSaveDisabledBegin), 1);
  EXPECT_EQ(h.Send(host::kMsgSaveDisabledEnd), 1);
  EXPECT_FALSE(IsWindowEnabled(save));

  // The settings command still shows the dialog, and the filter end still stores.
  HWND dialog = SettingsDialogOf(h.window());
  h.Command(IDC_SHOW_SETTINGS);
  EXPECT_TRUE(IsWindowVisible(dialog));
  h.log.clear();
  h.End();
  ASSERT_EQ(h.log.size(), 9u);
  EXPECT_EQ(h.log[0], "SaveString path " + dir.path() + "\\");
  EXPECT_EQ(h.log[1], "SaveInt qualty 100");
}

}  // namespace
}  // namespace stillsavertest
