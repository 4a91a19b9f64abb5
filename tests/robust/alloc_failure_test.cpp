// Every allocation of a whole save, a whole export and a whole read failing in turn, through the
// test builds of the three DLLs (the shipped sources linked with the failing allocator). The
// library-failure state lasts as long as a DLL stays loaded, so every run loads its DLL afresh
// and checks that it was really unloaded afterwards.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/host_contract.h"
#include "tests/robust/alloc_sweep.h"
#include "tests/support/file_bytes.h"
#include "tests/support/jpeg_inspect.h"
#include "tests/win/dialog_driver.h"
#include "tests/win/win_files.h"
#include "testhost/filter_host.h"
#include "testhost/input_host.h"
#include "testhost/output_host.h"

namespace {

using robust::Outcome;
using robust::Tally;

constexpr char kUnusableTitle[] = "エラーのため使用不可です";
constexpr int kSaveButton = 500, kSettingsButton = 501;

robust::Seam SeamOf(HMODULE module) {
  robust::Seam seam{};
  seam.arm = reinterpret_cast<FailingAllocArmFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "FailingAllocArm")));
  seam.read = reinterpret_cast<FailingAllocReadFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "FailingAllocRead")));
  return seam;
}

bool Unloaded(const char* dll) { return GetModuleHandleA(dll) == nullptr; }

int Count(const std::vector<std::string>& log, const std::string& entry) {
  int n = 0;
  for (const std::string& s : log) n += s == entry;
  return n;
}

bool DecodesTo(const std::string& path, int width, int height) {
  testsupport::Decoded d;
  return testsupport::DecodeJpeg(testsupport::ReadFileBytes(path), &d) && d.width == width &&
         d.height == height;
}

void RemoveFiles(const wintest::ScratchDir& dir) {
  for (const std::string& name : dir.List()) DeleteFileA((dir / name).c_str());
}

// The filter: command 500 with the custom scan script and Huffman optimisation.
TEST(AllocFailure, EverySaveAllocation) {
  constexpr char kDll[] = "stillsaver_failing.dll";
  wintest::ScratchDir dir("robust_save");
  testhost::SettingsStore store;
  store.strings["path"] = dir.path() + "\\";
  store.ints = {{"progression", 1}, {"progression_mine", 1}, {"optimize", 1}, {"beep", 1}};

  const Tally tally = robust::Sweep([&](int n, Tally* t) {
    {
      testhost::FilterHost h(kDll, &store);
      ASSERT_TRUE(h.loaded());
      const robust::Seam seam = SeamOf(h.module());
      ASSERT_TRUE(seam.arm != nullptr && seam.read != nullptr);
      h.MakeFrame(24, 16);
      h.Start();
      const std::string title = wintest::WindowText(h.window());
      h.log.clear();
      seam.arm(n);
      h.Command(kSaveButton);
      const Outcome outcome = robust::Classify(seam, n, t);
      const std::vector<std::string> files = dir.List();
      HWND save = GetDlgItem(h.window(), kSaveButton);
      HWND settings = GetDlgItem(h.window(), kSettingsButton);
      switch (outcome) {
        case Outcome::kComplete:
          EXPECT_EQ(Count(h.log, "MessageBeep 64"), 1) << n;
          EXPECT_EQ(Count(h.log, "Sleep 10"), 1) << n;
          ASSERT_EQ(files.size(), 1u) << n;
          EXPECT_TRUE(DecodesTo(dir / files[0], 24, 16)) << n;
          break;
        case Outcome::kOwnFailure:  // a silent stop: nothing heard, nothing written
          EXPECT_EQ(Count(h.log, "MessageBeep 64") + Count(h.log, "MessageBeep 16"), 0) << n;
          EXPECT_EQ(Count(h.log, "Sleep 10"), 0) << n;
          EXPECT_TRUE(files.empty()) << n;
          EXPECT_EQ(wintest::WindowText(h.window()), title) << n;
          EXPECT_TRUE(IsWindowEnabled(save) && IsWindowEnabled(settings)) << n;
          break;
        case Outcome::kLibraryFailure:
          EXPECT_EQ(Count(h.log, "MessageBeep 64"), 0) << n;
          ASSERT_FALSE(h.log.empty()) << n;
          EXPECT_EQ(h.log.back(), "MessageBeep 16") << n;
          EXPECT_LE(files.size(), 1u) << n;  // none, or what was written before the failure
          EXPECT_EQ(wintest::WindowText(h.window()), kUnusableTitle) << n;
          EXPECT_FALSE(IsWindowEnabled(save)) << n;
          EXPECT_FALSE(IsWindowEnabled(settings)) << n;
          // The next click only repeats the signal, without a library call or a file.
          h.log.clear();
          h.Command(kSaveButton);
          EXPECT_EQ(h.log, std::vector<std::string>{"MessageBeep 16"}) << n;
          EXPECT_EQ(seam.Probe().libraryCalls, 0) << n;
          EXPECT_EQ(dir.List(), files) << n;
          break;
      }
      h.End();
      RemoveFiles(dir);
    }
    EXPECT_TRUE(Unloaded(kDll)) << n;
  });
  EXPECT_EQ(tally.own, 1);
  EXPECT_GT(tally.library, 5);
}

// The output plug-in: an export of three frames.
TEST(AllocFailure, EveryExportAllocation) {
  constexpr char kDll[] = "seqwriter_failing.dll";
  wintest::ScratchDir dir("robust_export");
  const Tally tally = robust::Sweep([&](int n, Tally* t) {
    {
      testhost::PluginModule module(kDll);
      ASSERT_TRUE(module.loaded());
      const host::OutputTable* table = module.CallGetter<host::OutputTable>("GetOutputPluginTable");
      ASSERT_NE(table, nullptr);
      const robust::Seam seam = SeamOf(module.handle());
      ASSERT_TRUE(seam.arm != nullptr && seam.read != nullptr);
      testhost::OutputHost job(17, 9, 3, dir / "clip.jpg");
      seam.arm(n);
      const int result = job.Run(table);
      const std::vector<std::string> files = dir.List();
      switch (robust::Classify(seam, n, t)) {
        case Outcome::kComplete:
          EXPECT_EQ(result, 1) << n;
          ASSERT_EQ(files.size(), 3u) << n;
          for (const std::string& f : files) EXPECT_TRUE(DecodesTo(dir / f, 17, 9)) << f;
          break;
        case Outcome::kOwnFailure:  // the row buffer: 0 before any callback or file
          EXPECT_EQ(result, 0) << n;
          EXPECT_TRUE(job.calls().empty()) << n;
          EXPECT_TRUE(files.empty()) << n;
          break;
        case Outcome::kLibraryFailure: {
          EXPECT_EQ(result, 0) << n;
          // The next export fails at once: no callback, no file, no library call.
          testhost::OutputHost again(17, 9, 3, dir / "again.jpg");
          EXPECT_EQ(again.Run(table), 0) << n;
          EXPECT_TRUE(again.calls().empty()) << n;
          EXPECT_EQ(dir.List(), files) << n;
          EXPECT_EQ(seam.Probe().libraryCalls, 0) << n;
          break;
        }
      }
      RemoveFiles(dir);
    }
    EXPECT_TRUE(Unloaded(kDll)) << n;
  });
  EXPECT_EQ(tally.own, 1);
  EXPECT_GT(tally.library, 5);
}

// The input plug-in: open, describe, two reads, close; a progressive colour file and a gray one.
class ReadAllocFailure : public ::testing::TestWithParam<const char*> {};

TEST_P(ReadAllocFailure, EveryReadAllocation) {
  constexpr char kDll[] = "picreader_failing.dll";
  const std::string path = std::string(ROBUST_MADE_FILES) + "/" + GetParam();
  std::vector<uint8_t> reference;
  int frameBytes = 0;
  {
    testhost::InputHost input(kDll);
    ASSERT_TRUE(input.loaded());
    host::InputHandle h = input.Open(path);
    ASSERT_NE(h, nullptr) << path;
    host::InputStreamInfo info{};
    ASSERT_EQ(input.InfoGet(h, &info), 1);
    const int width = info.format->biWidth, height = info.format->biHeight;
    frameBytes = ((width * 6 + 3) & ~3) * height;
    reference.assign(frameBytes, 0xA5);
    ASSERT_EQ(input.ReadVideo(h, 0, reference.data()), frameBytes);
    input.Close(h);
  }

  const Tally tally = robust::Sweep([&](int n, Tally* t) {
    {
      testhost::InputHost input(kDll);
      ASSERT_TRUE(input.loaded());
      const robust::Seam seam = SeamOf(input.module().handle());
      ASSERT_TRUE(seam.arm != nullptr && seam.read != nullptr);
      std::vector<std::vector<uint8_t>> frames(2, std::vector<uint8_t>(frameBytes, 0xA5));
      int results[2] = {-1, -1}, described = -1;
      int counted[2] = {0, 0};  // allocations counted when the open and the first read ended
      seam.arm(n);
      host::InputHandle h = input.Open(path);
      counted[0] = seam.Probe().allocations;
      if (h != nullptr) {
        host::InputStreamInfo info{};
        described = input.InfoGet(h, &info);
        results[0] = input.ReadVideo(h, 0, frames[0].data());
        counted[1] = seam.Probe().allocations;
        results[1] = input.ReadVideo(h, 0, frames[1].data());
        EXPECT_EQ(input.Close(h), 1);
      }
      const int failedIn = n <= counted[0] ? 0 : n <= counted[1] ? 1 : 2;  // open, read 1, 2
      const Outcome outcome = robust::Classify(seam, n, t);
      if (outcome == Outcome::kComplete) {
        EXPECT_EQ(described, 1) << n;
        EXPECT_EQ(results[0], frameBytes) << n;
        EXPECT_EQ(results[1], frameBytes) << n;
        EXPECT_TRUE(frames[0] == reference && frames[1] == reference) << n;
      } else {
        if (failedIn == 0) {
          EXPECT_EQ(h, nullptr) << n;
        } else {
          EXPECT_EQ(described, 1) << n;
          EXPECT_EQ(results[failedIn - 1], 0) << n;
        }
        if (failedIn == 2) {
          EXPECT_TRUE(frames[0] == reference) << n;
        }
        if (failedIn == 1) {
          // After a read without a row buffer the next read is whole; after a library
          // failure it gives 0.
          EXPECT_EQ(results[1], outcome == Outcome::kOwnFailure ? frameBytes : 0) << n;
        }
      }
      if (outcome == Outcome::kLibraryFailure) {
        // Every later open and description fails, without a library call.
        EXPECT_EQ(input.Open(path), nullptr) << n;
        host::InputStreamInfo info{};
        EXPECT_EQ(input.InfoGet(reinterpret_cast<host::InputHandle>(&info), &info), 0) << n;
        EXPECT_EQ(seam.Probe().libraryCalls, 0) << n;
      }
    }
    EXPECT_TRUE(Unloaded(kDll)) << n;
  });
  EXPECT_GE(tally.own, 3);  // the handle and each read's row buffer
  EXPECT_GT(tally.library, 5);
}

INSTANTIATE_TEST_SUITE_P(Files, ReadAllocFailure, ::testing::Values("progressive.jpg", "gray.jpg"),
                         [](const auto& info) {
                           return info.index == 0 ? "ProgressiveColour" : "Gray";
                         });

}  // namespace
