// The one-click save: host calls, the time-stamped file, its structure, and the silent outcomes.
#include <cstdio>
#include <cstring>
#include <ctime>

#include "stillsaver/frame_save.h"
#include "testhost/iat_hook.h"
#include "tests/stillsaver/stillsaver_fixture.h"
#include "tests/support/jpeg_inspect.h"
#include "tests/support/known_answers.h"
#include "tests/win/dialog_driver.h"
#include "tests/win/win_files.h"

namespace stillsavertest {
namespace {

using testsupport::JpegStructure;
using testsupport::Scan;
using wintest::ScratchDir;

// Milliseconds since 1970 now, as the system clock gives them.
int64_t NowMs() {
  // The clock the plug-in reads: the precise one where Windows has it.
  using Clock = void(WINAPI*)(LPFILETIME);
  static const Clock precise = reinterpret_cast<Clock>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
  FILETIME ft;
  if (precise != nullptr) {
    precise(&ft);
  } else {
    GetSystemTimeAsFileTime(&ft);
  }
  const uint64_t ticks = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return static_cast<int64_t>((ticks - stillsaver::kFileTimeAt1970) / 10000);
}

// The local time of a file name "YYYYMMDD-hhmmss-mmm.jpg" as milliseconds since 1970, or -1.
int64_t NameToMs(const std::string& name) {
  int Y, M, D, h, m, s, ms;
  char tail[8] = {};
  if (name.size() != 23 ||
      std::sscanf(name.c_str(), "%4d%2d%2d-%2d%2d%2d-%3d%4s", &Y, &M, &D, &h, &m, &s, &ms, tail) != 8 ||
      std::string(tail) != ".jpg") {
    return -1;
  }
  std::tm t = {};
  t.tm_year = Y - 1900;
  t.tm_mon = M - 1;
  t.tm_mday = D;
  t.tm_hour = h;
  t.tm_min = m;
  t.tm_sec = s;
  t.tm_isdst = -1;
  return static_cast<int64_t>(std::mktime(&t)) * 1000 + ms;
}

class StillsaverSave : public StillsaverTest {
 protected:
  void SetUp() override { store_.strings["path"] = dir_.path() + "\\"; }
  // The one file a save wrote.
  std::string OnlyFile() {
    const Strings files = dir_.List();
    EXPECT_EQ(files.size(), 1u) << ::testing::PrintToString(files);
    return files.empty() ? std::string() : files[0];
  }
  JpegStructure Structure(const std::string& name) {
    JpegStructure s;
    EXPECT_TRUE(testsupport::InspectJpeg(testsupport::ReadFileBytes(dir_ / name), &s)) << name;
    EXPECT_TRUE(s.endsWithEoi);
    return s;
  }
  ScratchDir dir_{"ss_save"};
};

TEST_F(StillsaverSave, FileNamedFromTheLocalTime) {
  testhost::FilterHost& h = Start();
  h.log.clear();
  const int64_t before = NowMs();
  EXPECT_EQ(h.Command(IDC_SAVE_FRAME), 0);
  const int64_t after = NowMs();

  Strings want = FetchCalls(17, 64, 48);
  want.push_back("MessageBeep 64");
  want.push_back("Sleep 10");
  EXPECT_EQ(h.log, want);

  const std::string name = OnlyFile();
  const int64_t stamp = NameToMs(name);
  ASSERT_NE(stamp, -1) << name;
  EXPECT_GE(stamp, before) << name;
  EXPECT_LE(stamp, after) << name;
  // Under the test runner the zone is JST-9: the name is local time, not UTC.
  if (const char* tz = std::getenv("TZ"); tz != nullptr && std::string(tz) == "JST-9") {
    SYSTEMTIME utc;
    GetSystemTime(&utc);
    const int hour = std::stoi(name.substr(9, 2));
    EXPECT_TRUE(hour == (utc.wHour + 9) % 24 || hour == (utc.wHour + 8) % 24) << name;
  }

  const JpegStructure s = Structure(name);
  EXPECT_EQ(s.width, 64);
  EXPECT_EQ(s.height, 48);
  EXPECT_EQ(s.sofMarker, 0xC2);
  EXPECT_EQ(s.scans.size(), 10u);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h.window(), IDC_SAVE_FRAME)));
}

TEST_F(StillsaverSave, TwoSavesTwoFiles) {
  testhost::FilterHost& h = Start();
  h.Command(IDC_SAVE_FRAME);
  // File names differ by the millisecond, and the system clock advances in ticks of about
  // 15.6 ms: wait until it has moved past the millisecond in which the first save ended.
  const int64_t firstSaveEnded = NowMs();
  while (NowMs() == firstSaveEnded) Sleep(1);
  h.Command(IDC_SAVE_FRAME);
  EXPECT_EQ(dir_.List().size(), 2u);
}

// Stand-ins for the plug-in's clocks, each at its own fixed time (2024-06-15 12:00:00 UTC and
// a different millisecond), and for its GetProcAddress, which has the precise clock or not.
constexpr int64_t kPreciseMs = 1718452800333, kCoarseMs = 1718452800111;
bool preciseClockPresent = false;

void SetMs(LPFILETIME ft, int64_t ms) {
  const uint64_t ticks = static_cast<uint64_t>(ms) * 10000 + stillsaver::kFileTimeAt1970;
  ft->dwLowDateTime = static_cast<DWORD>(ticks);
  ft->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
}
void WINAPI PreciseClock(LPFILETIME ft) { SetMs(ft, kPreciseMs); }
void WINAPI CoarseClock(LPFILETIME ft) { SetMs(ft, kCoarseMs); }
FARPROC WINAPI LookUp(HMODULE module, LPCSTR name) {
  if (!IS_INTRESOURCE(name) && std::strcmp(name, "GetSystemTimePreciseAsFileTime") == 0) {
    return preciseClockPresent ? reinterpret_cast<FARPROC>(reinterpret_cast<void*>(PreciseClock))
                               : nullptr;
  }
  return GetProcAddress(module, name);
}

TEST_F(StillsaverSave, NameFromThePreciseClockWhereWindowsHasIt) {
  for (const bool present : {true, false}) {
    SCOPED_TRACE(present ? "precise clock present" : "precise clock absent");
    preciseClockPresent = present;
    Close();  // a fresh load: the plug-in looks the clock up at its first save
    ScratchDir dir("ss_clock");
    store_.strings["path"] = dir.path() + "\\";
    testhost::FilterHost& h = Start();
    ASSERT_NE(testhost::PatchImport(h.module(), "KERNEL32.dll", "GetProcAddress",
                                    reinterpret_cast<void*>(LookUp)), nullptr);
    ASSERT_NE(testhost::PatchImport(h.module(), "KERNEL32.dll", "GetSystemTimeAsFileTime",
                                    reinterpret_cast<void*>(CoarseClock)), nullptr);
    h.Command(IDC_SAVE_FRAME);
    const Strings files = dir.List();
    ASSERT_EQ(files.size(), 1u) << ::testing::PrintToString(files);
    EXPECT_EQ(NameToMs(files[0]), present ? kPreciseMs : kCoarseMs) << files[0];
  }
}

const std::vector<Scan>& kCustomYcc = testsupport::CustomScriptYcc();
const std::vector<Scan>& kCustomGray = testsupport::CustomScriptGray();

TEST_F(StillsaverSave, StructureFollowsTheSettings) {
  struct Case {
    const char* what;
    int progression, mine, downsampling, quantize;
    int sof;
    size_t components;
    int h, v, lumaDc;
    const std::vector<Scan>* scans;  // null: only the count below
    size_t scanCount;
  };
  const Case cases[] = {
      {"library script", 1, 0, 2, 0, 0xC2, 3, 2, 2, 8, nullptr, 10},
      {"custom script", 1, 1, 2, 0, 0xC2, 3, 2, 2, 8, &kCustomYcc, 11},
      {"custom script, gray", 1, 1, 3, 1, 0xC2, 1, 2, 2, 4, &kCustomGray, 5},
      {"sequential", 0, 1, 0, 2, 0xC0, 3, 1, 1, 8, nullptr, 1},
      {"gray, library script", 1, 0, 3, 0, 0xC2, 1, 2, 2, 8, nullptr, 6},
      {"8:1:1 wide", 1, 0, 5, 1, 0xC2, 3, 4, 2, 4, nullptr, 10},
      {"fallback preset", 0, 0, -4, 9, 0xC0, 3, 2, 2, 8, nullptr, 1},
  };
  for (const Case& c : cases) {
    ScratchDir dir("ss_structure");
    store_.strings["path"] = dir.path() + "\\";
    store_.ints = {{"progression", c.progression}, {"progression_mine", c.mine},
                   {"downsampling", c.downsampling}, {"quantize", c.quantize}};
    testhost::FilterHost& h = Start();
    h.Command(IDC_SAVE_FRAME);
    const Strings files = dir.List();
    ASSERT_EQ(files.size(), 1u) << c.what;
    JpegStructure s;
    ASSERT_TRUE(testsupport::InspectJpeg(testsupport::ReadFileBytes(dir / files[0]), &s)) << c.what;
    EXPECT_EQ(s.sofMarker, c.sof) << c.what;
    ASSERT_EQ(s.components.size(), c.components) << c.what;
    EXPECT_EQ(s.components[0].h, c.h) << c.what;
    EXPECT_EQ(s.components[0].v, c.v) << c.what;
    EXPECT_EQ(s.quantTables.at(0)[0], c.lumaDc) << c.what;
    EXPECT_EQ(s.scans.size(), c.scanCount) << c.what;
    if (c.scans != nullptr) {
      EXPECT_EQ(s.scans, *c.scans) << c.what;
    }
    h.End();
    Close();
  }
}

// Flat 8 x 8 patches at quality 100, 4:4:4 and steps of 1 decode exactly: the colour matrix
// turns each pixel as its whole-pixel table says, the plain conversion as its own.
TEST_F(StillsaverSave, ColourMatrixChangesTheSamples) {
  const std::vector<testsupport::WholePixel>& pixels = testsupport::WholePixels();
  for (int matrix : {0, 1}) {
    ScratchDir dir("ss_matrix");
    store_.strings["path"] = dir.path() + "\\";
    store_.ints = {{"qualty", 100}, {"quantize", 1}, {"downsampling", 0}, {"colormatrix", matrix}};
    testhost::FilterHost& h = Open();
    h.MakeFrame(56, 8);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 56; ++x) h.frame[y * 56 + x] = pixels[x / 8].in;
    h.Start();
    h.Command(IDC_SAVE_FRAME);
    const Strings files = dir.List();
    ASSERT_EQ(files.size(), 1u);
    testsupport::Decoded d;
    ASSERT_TRUE(testsupport::DecodeJpeg(testsupport::ReadFileBytes(dir / files[0]), &d));
    ASSERT_EQ(d.components, 3);
    for (int p = 0; p < 7; ++p) {
      const uint8_t* want = matrix ? pixels[p].mode1 : pixels[p].mode0;
      const uint8_t* got = &d.samples[3 * (8 * p + 3) + 4 * 56 * 3];  // a pixel inside the patch
      EXPECT_EQ(got[0], want[0]) << "matrix " << matrix << " pixel " << p;
      EXPECT_EQ(got[1], want[1]) << "matrix " << matrix << " pixel " << p;
      EXPECT_EQ(got[2], want[2]) << "matrix " << matrix << " pixel " << p;
    }
    h.End();
    Close();
  }
}

// Rows follow each other without gaps: an odd width keeps every row in place.
TEST_F(StillsaverSave, PackedRowsOfOddWidth) {
  store_.ints = {{"qualty", 100}, {"quantize", 1}, {"downsampling", 3}};
  testhost::FilterHost& h = Open();
  h.MakeFrame(33, 17);
  h.Start();
  h.Command(IDC_SAVE_FRAME);
  testsupport::Decoded d;
  ASSERT_TRUE(testsupport::DecodeJpeg(testsupport::ReadFileBytes(dir_ / OnlyFile()), &d));
  ASSERT_EQ(d.width, 33);
  ASSERT_EQ(d.height, 17);
  for (int y = 0; y < 17; ++y) {
    for (int x = 0; x < 33; ++x) {
      const int want = std::min(255, std::max(0, (255 * h.frame[y * 33 + x].y + 2048) >> 12));
      ASSERT_NEAR(d.samples[y * 33 + x], want, 2) << x << "," << y;
    }
  }
}

TEST_F(StillsaverSave, EditNotReadyDoesNothingAtAll) {
  for (int answer : {0, 2, -1}) {
    testhost::FilterHost& h = Start();
    h.editReady = answer;
    h.log.clear();
    EXPECT_EQ(h.Command(IDC_SAVE_FRAME), 0);
    EXPECT_EQ(h.log, Strings{"EditReady"}) << answer;
    h.End();
    Close();
  }
  EXPECT_TRUE(dir_.List().empty());
}

TEST_F(StillsaverSave, MissingFolderWritesNothingAndStaysUsable) {
  store_.strings["path"] = dir_.path() + "\\no such folder\\";
  testhost::FilterHost& h = Start();
  h.log.clear();
  h.Command(IDC_SAVE_FRAME);
  EXPECT_EQ(h.log, FetchCalls(17, 64, 48));  // no beep, no pause
  EXPECT_TRUE(dir_.List().empty());
  EXPECT_EQ(wintest::WindowText(h.window()), "Pomtrel");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h.window(), IDC_SAVE_FRAME)));
  // The next click tries again.
  CreateDirectoryA((dir_ / "no such folder").c_str(), nullptr);
  h.Command(IDC_SAVE_FRAME);
  WIN32_FIND_DATAA fd;
  HANDLE found = FindFirstFileA((dir_ / "no such folder\\*.jpg").c_str(), &fd);
  EXPECT_NE(found, INVALID_HANDLE_VALUE);
  if (found != INVALID_HANDLE_VALUE) FindClose(found);
}

TEST_F(StillsaverSave, BeepOffStillPauses) {
  store_.ints = {{"beep", 0}};
  testhost::FilterHost& h = Start();
  h.log.clear();
  h.Command(IDC_SAVE_FRAME);
  Strings want = FetchCalls(17, 64, 48);
  want.push_back("Sleep 10");
  EXPECT_EQ(h.log, want);
  EXPECT_EQ(dir_.List().size(), 1u);
}

TEST_F(StillsaverSave, NoFrameFromTheEditorIsASilentStop) {
  struct Case {
    bool noBlock;
    int w, h;
  };
  for (const Case& c : {Case{true, -1, -1}, Case{false, 0, 48}, Case{false, 64, 0}, Case{false, -5, 10}}) {
    testhost::FilterHost& h = Start();
    h.noFrameBlock = c.noBlock;
    h.overrideFetchedSize = !c.noBlock;
    h.fetchedWidth = c.w;
    h.fetchedHeight = c.h;
    h.log.clear();
    h.Command(IDC_SAVE_FRAME);
    EXPECT_EQ(h.log, FetchCalls(17, 64, 48));
    EXPECT_TRUE(dir_.List().empty());
    EXPECT_EQ(wintest::WindowText(h.window()), "Pomtrel");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h.window(), IDC_SAVE_FRAME)));
    // The filter goes on saving.
    h.noFrameBlock = false;
    h.overrideFetchedSize = false;
    h.Command(IDC_SAVE_FRAME);
    EXPECT_EQ(dir_.List().size(), 1u);
    h.End();
    Close();
    for (const std::string& f : dir_.List()) DeleteFileA((dir_ / f).c_str());
  }
}

// The size FetchFrameYC reports is the one used.
TEST_F(StillsaverSave, FetchedSizeWins) {
  testhost::FilterHost& h = Start();
  h.overrideFetchedSize = true;
  h.fetchedWidth = 32;
  h.fetchedHeight = 24;
  h.Command(IDC_SAVE_FRAME);
  const JpegStructure s = Structure(OnlyFile());
  EXPECT_EQ(s.width, 32);
  EXPECT_EQ(s.height, 24);
}

}  // namespace
}  // namespace stillsavertest
