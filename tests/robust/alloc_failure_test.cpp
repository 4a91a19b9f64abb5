// Every allocation of a whole save, a whole export and a whole read failing in turn, through the
// test builds of the three DLLs (the shipped sources linked with the failing allocator). The
// library-failure state lasts as long as a DLL stays loaded, so every run loads its DLL afresh
// and checks that it was really unloaded afterwards.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/host_contract.h"
#include "host/pixel_yc.h"
#include "stillsaver/resource.h"
#include "tests/robust/alloc_expectations.h"
#include "tests/win/dialog_driver.h"
#include "tests/win/win_files.h"
#include "testhost/filter_host.h"
#include "testhost/input_host.h"
#include "testhost/output_host.h"

namespace {

using robust::DecodesTo;
using robust::Outcome;
using robust::Tally;

constexpr char kUnusableTitle[] = "エラーのため使用不可です";

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

void RemoveFiles(const wintest::ScratchDir& dir) {
  for (const std::string& name : dir.List()) DeleteFileA((dir / name).c_str());
}

// The filter: its save command with the custom scan script and Huffman optimisation.
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
      h.Command(IDC_SAVE_FRAME);
      const Outcome outcome = robust::Classify(seam, n, t);
      const std::vector<std::string> files = dir.List();
      HWND save = GetDlgItem(h.window(), IDC_SAVE_FRAME);
      HWND settings = GetDlgItem(h.window(), IDC_SHOW_SETTINGS);
      const int beeps = Count(h.log, "MessageBeep 64");  // the sound of a save that succeeded
      switch (outcome) {
        case Outcome::kComplete:
          EXPECT_EQ(Count(h.log, "Sleep 10"), 1) << n;
          ASSERT_EQ(files.size(), 1u) << n;
          EXPECT_TRUE(DecodesTo(dir / files[0], 24, 16)) << n;
          break;
        case Outcome::kOwnFailure:  // a silent stop: nothing heard, nothing written
          EXPECT_EQ(beeps + Count(h.log, "MessageBeep 16"), 0) << n;
          EXPECT_EQ(Count(h.log, "Sleep 10"), 0) << n;
          EXPECT_TRUE(files.empty()) << n;
          EXPECT_EQ(wintest::WindowText(h.window()), title) << n;
          EXPECT_TRUE(IsWindowEnabled(save) && IsWindowEnabled(settings)) << n;
          break;
        case Outcome::kLibraryFailure:
          ASSERT_FALSE(h.log.empty()) << n;
          EXPECT_EQ(h.log.back(), "MessageBeep 16") << n;
          EXPECT_LE(files.size(), 1u) << n;  // none, or what was written before the failure
          EXPECT_EQ(wintest::WindowText(h.window()), kUnusableTitle) << n;
          EXPECT_FALSE(IsWindowEnabled(save)) << n;
          EXPECT_FALSE(IsWindowEnabled(settings)) << n;
          break;
      }
      robust::ExpectEncodeRun(seam, outcome, {1, beeps}, n, [&] {
        // The next click only repeats the signal, without a file.
        h.log.clear();
        h.Command(IDC_SAVE_FRAME);
        EXPECT_EQ(h.log, std::vector<std::string>{"MessageBeep 16"}) << n;
        EXPECT_EQ(dir.List(), files) << n;
      });
      h.End();
      RemoveFiles(dir);
    }
    EXPECT_TRUE(Unloaded(kDll)) << n;
  });
  robust::ExpectSplit(tally, robust::kEncodeSplit);
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
      const Outcome outcome = robust::Classify(seam, n, t);
      switch (outcome) {
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
        case Outcome::kLibraryFailure:
          EXPECT_EQ(result, 0) << n;
          break;
      }
      robust::ExpectEncodeRun(seam, outcome, {3, Count(job.calls(), "done")}, n, [&] {
        // The next export fails at once: no callback, no file.
        testhost::OutputHost again(17, 9, 3, dir / "again.jpg");
        EXPECT_EQ(again.Run(table), 0) << n;
        EXPECT_TRUE(again.calls().empty()) << n;
        EXPECT_EQ(dir.List(), files) << n;
      });
      RemoveFiles(dir);
    }
    EXPECT_TRUE(Unloaded(kDll)) << n;
  });
  robust::ExpectSplit(tally, robust::kEncodeSplit);
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
    frameBytes = static_cast<int>(host::YcRowStride(width, host::YcRowLayout::kPadded)) * height;
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
      robust::ReadRun run(frameBytes);
      int described = -1;
      seam.arm(n);
      host::InputHandle h = input.Open(path);
      run.counted[0] = seam.Probe().allocations;
      if (h != nullptr) {
        run.opened = true;
        host::InputStreamInfo info{};
        described = input.InfoGet(h, &info);
        run.results[0] = input.ReadVideo(h, 0, frames[0].data());
        run.counted[1] = seam.Probe().allocations;
        run.results[1] = input.ReadVideo(h, 0, frames[1].data());
        EXPECT_EQ(input.Close(h), 1);
      }
      const Outcome outcome = robust::Classify(seam, n, t);
      run.whole[0] = frames[0] == reference;
      run.whole[1] = frames[1] == reference;
      if (outcome == Outcome::kComplete || run.FailedIn(n) > 0) {
        EXPECT_EQ(described, 1) << n;  // the handle was described
      }
      robust::ExpectReadRun(seam, outcome, run, n, [&] {
        EXPECT_EQ(input.Open(path), nullptr) << n;
        host::InputStreamInfo info{};
        EXPECT_EQ(input.InfoGet(reinterpret_cast<host::InputHandle>(&info), &info), 0) << n;
      });
    }
    EXPECT_TRUE(Unloaded(kDll)) << n;
  });
  robust::ExpectSplit(tally, robust::kReadSplit);
}

INSTANTIATE_TEST_SUITE_P(Files, ReadAllocFailure, ::testing::Values("progressive.jpg", "gray.jpg"),
                         [](const auto& info) {
                           return info.index == 0 ? "ProgressiveColour" : "Gray";
                         });

}  // namespace
