// Long runs through the three DLLs: reads (refused files among them), small exports, saves, both
// settings dialogs and the filter window, round after round, with memory, handles, GDI objects
// and windows measured after a warm-up and at the end. LONGRUN_ROUNDS sets the number of
// measured rounds (a few by default; scripts/longrun.sh asks for many).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "host/host_contract.h"
#include "host/pixel_yc.h"
#include "stillsaver/resource.h"
#include "tests/robust/resource_meter.h"
#include "tests/win/dialog_driver.h"
#include "tests/win/win_files.h"
#include "testhost/filter_host.h"
#include "testhost/input_host.h"
#include "testhost/output_host.h"
#include "testhost/owned_dialog.h"
#include "testhost/plugin_module.h"

namespace {

using robust::Describe;
using robust::Grew;
using robust::Growth;
using robust::Measure;
using robust::Resources;
using robust::Value;

// Memory moves in heap-sized steps; a handle, GDI object or window that one round leaks adds up
// over the rounds. The same bounds hold for the short and the long run.
constexpr robust::Tolerance kTolerance = {512 * 1024, 2, 2, 0};
constexpr int kWarmUpRounds = 2;
constexpr int kShortRunRounds = 6;

int Rounds() {
  const char* text = std::getenv("LONGRUN_ROUNDS");
  const int n = text != nullptr ? std::atoi(text) : 0;
  return n > 0 ? n : kShortRunRounds;
}

// Each measure sees a leak of one object more than its tolerance: the check turns red. Each asks
// only whether its own measures grew: Wine itself may move others at the same time, for instance
// when a process makes its first window. Once released, what can be counted is back as before.
TEST(ResourceMeasures, SeeDeliberateLeaks) {
  wintest::ScratchDir dir("robust_leak");
  std::vector<void*> blocks;
  std::vector<HANDLE> handles;
  std::vector<HBRUSH> brushes;
  HWND window = nullptr;
  const struct {
    const char* what;
    std::vector<std::string> measures;
    int64_t growth;  // at least, for each measure
    std::function<void()> leak, release;
    bool countedBack;  // released, the measures are back where they were
  } leaks[] = {
      {"memory", {"pagefileUsage", "privateCommitted"}, kTolerance.memoryBytes + 1,
       [&] {
         for (int i = 0; i < 4; ++i) {  // twice the tolerance, in blocks the heap cannot hide
           blocks.push_back(std::malloc(kTolerance.memoryBytes / 2));
           std::memset(blocks.back(), 0x5A, kTolerance.memoryBytes / 2);
         }
       },
       [&] { for (void* b : blocks) std::free(b); }, false},
      {"handles", {"handles"}, kTolerance.handles + 1,
       [&] {
         for (int i = 0; i < kTolerance.handles; ++i) handles.push_back(CreateEventA(nullptr, TRUE, FALSE, nullptr));
         handles.push_back(CreateFileA((dir / "open.bin").c_str(), GENERIC_WRITE, 0, nullptr,
                                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
       },
       [&] { for (HANDLE h : handles) CloseHandle(h); }, true},
      {"GDI objects", {"gdiObjects"}, kTolerance.gdiObjects + 1,
       [&] { for (int i = 0; i <= kTolerance.gdiObjects; ++i) brushes.push_back(CreateSolidBrush(RGB(i, 2, 3))); },
       [&] { for (HBRUSH b : brushes) DeleteObject(b); }, true},
      {"windows", {"windows"}, 2,
       [&] {
         window = CreateWindowExA(0, "STATIC", "leak", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
         ASSERT_NE(CreateWindowExA(0, "STATIC", "child", WS_CHILD, 0, 0, 5, 5, window, nullptr,
                                   GetModuleHandleA(nullptr), nullptr), nullptr);
       },
       [&] { DestroyWindow(window); }, true},
  };
  for (const auto& leak : leaks) {
    SCOPED_TRACE(leak.what);
    const Resources before = Measure();
    leak.leak();
    if (::testing::Test::HasFatalFailure()) return;
    const Resources after = Measure();
    const std::vector<robust::Grown> grown = Growth(before, after, kTolerance);
    for (const std::string& m : leak.measures) {
      EXPECT_TRUE(Grew(grown, m)) << m << ": " << Describe(before) << " / " << Describe(after);
      EXPECT_GE(Value(after, m) - Value(before, m), leak.growth) << m;
    }
    leak.release();
    if (!leak.countedBack) continue;
    const Resources released = Measure();
    for (const std::string& m : leak.measures) EXPECT_EQ(Value(released, m), Value(before, m)) << m;
  }
}

// Everything one round does, with the DLLs kept loaded for the whole run as the editor keeps
// them.
class Workload {
 public:
  Workload()
      : dir_("robust_long"),
        stillsaver_("stillsaver.dll"),
        reader_("picreader.dll"),
        seqwriter_("seqwriter.dll"),
        output_(seqwriter_.CallGetter<host::OutputTable>("GetOutputPluginTable")) {
    store_.strings["path"] = dir_.path() + "\\";
    store_.ints = {{"beep", 0}};
  }

  bool Ready() const { return stillsaver_.loaded() && reader_.loaded() && output_ != nullptr; }

  // One round; false (with the failure reported) when a plug-in answered wrongly.
  bool Round() {
    return Reads() && Exports() && FilterSession() && OutputDialog();
  }

 private:
  bool Reads() {
    const std::string files = ROBUST_MADE_FILES;
    for (const char* name : {"progressive.jpg", "gray.jpg"}) {
      host::InputHandle h = reader_.Open(files + "/" + name);
      if (h == nullptr) return Fail(std::string("open ") + name);
      host::InputStreamInfo info{};
      if (reader_.InfoGet(h, &info) != 1) return Fail("describe");
      const int bytes =
          static_cast<int>(host::YcRowStride(info.format->biWidth, host::YcRowLayout::kPadded)) *
          info.format->biHeight;
      std::vector<uint8_t> frame(bytes);
      if (reader_.ReadVideo(h, 0, frame.data()) != bytes) return Fail(std::string("read ") + name);
      reader_.Close(h);
    }
    // Refused with the module still usable: another colour space, a missing file.
    if (reader_.Open(files + "/rgb.jpg") != nullptr) return Fail("rgb refused");
    if (reader_.Open(dir_ / "missing.jpg") != nullptr) return Fail("missing refused");
    return true;
  }

  bool Exports() {
    for (int i = 0; i < 4; ++i) {
      testhost::OutputHost job(16, 8, 3, dir_ / "clip.jpg");
      if (job.Run(output_) != 1) return Fail("export");
    }
    return true;
  }

  bool FilterSession() {
    testhost::FilterHost h("stillsaver.dll", &store_);
    h.MakeFrame(32, 16);
    h.Start();
    h.Command(IDC_SAVE_FRAME);
    h.Command(IDC_SAVE_FRAME);
    // The settings dialog the filter owns, created hidden at the window-ready message.
    HWND dialog = testhost::FindOwnedDialog(GetCurrentThreadId(), h.window(), false);
    if (dialog == nullptr) return Fail("settings dialog");
    h.Command(IDC_SHOW_SETTINGS);
    wintest::Click(dialog, IDCANCEL);
    const bool hidden = !IsWindowVisible(dialog);
    h.End();
    const std::vector<std::string> saved = dir_.List();
    for (const std::string& name : saved) DeleteFileA((dir_ / name).c_str());
    if (!hidden) return Fail("settings dialog hidden");
    // The three export files and at least one save (two saves in one millisecond share a name).
    if (saved.size() < 4) return Fail("saves");
    return true;
  }

  bool OutputDialog() {
    HMODULE instance = seqwriter_.handle();
    const host::OutputTable* t = output_;
    HWND owner = owner_.hwnd();
    const wintest::DialogRun run = wintest::RunModalDialog(
        owner,
        [&] { return testhost::CallPlugin(t->config, testhost::Arg(owner), testhost::Arg(instance)); },
        [](HWND dialog) { wintest::Click(dialog, IDCANCEL); });
    if (!run.found || !run.closedByScript) return Fail("output settings dialog");
    return true;
  }

  bool Fail(const std::string& what) {
    ADD_FAILURE() << what;
    return false;
  }

  wintest::ScratchDir dir_;
  testhost::SettingsStore store_;
  testhost::PluginModule stillsaver_;  // keeps the filter DLL loaded between sessions
  testhost::InputHost reader_;
  testhost::PluginModule seqwriter_;
  const host::OutputTable* output_;
  wintest::OwnerWindow owner_;
};

TEST(LongRun, ResourcesStayFlat) {
  Workload work;
  ASSERT_TRUE(work.Ready());
  for (int i = 0; i < kWarmUpRounds; ++i) ASSERT_TRUE(work.Round());

  const int rounds = Rounds();
  const Resources before = Measure();
  std::printf("before %d rounds: %s\n", rounds, Describe(before).c_str());
  const int report = rounds >= 10 ? rounds / 10 : rounds;
  auto run = [&] {
    for (int i = 1; i <= rounds; ++i) {
      if (!work.Round()) return false;
      if (i % report == 0 && i != rounds) {
        std::printf("after %d: %s\n", i, Describe(Measure()).c_str());
        std::fflush(stdout);
      }
    }
    return true;
  };
  ASSERT_TRUE(run());
  Resources after = Measure();
  std::printf("after %d rounds: %s\n", rounds, Describe(after).c_str());
  std::vector<robust::Grown> grown = Growth(before, after, kTolerance);
  if (!grown.empty()) {
    // Wine fills caches of GDI objects in the first rounds, tens of objects up to a fixed size,
    // at times that vary from run to run. Growth that stops is such a cache; a leak goes on
    // growing: the same rounds again decide.
    std::printf("grown (%s); the same rounds again\n", Describe(grown).c_str());
    const Resources settled = after;
    ASSERT_TRUE(run());
    after = Measure();
    std::printf("after %d more rounds: %s\n", rounds, Describe(after).c_str());
    grown = Growth(settled, after, kTolerance);
  }
  EXPECT_TRUE(grown.empty()) << Describe(grown);
}

}  // namespace
