// The demonstration: loads the released plug-in DLLs from a folder as the editor does, exports
// a short synthetic YC48 clip through seqwriter.dll with its default settings, saves the shown
// frame through stillsaver.dll's own window and button, opens what they wrote through
// picreader.dll and tells how close the decoded frames are to their source and how long each
// step took.
//   jpegdemo.exe DLL_FOLDER OUT_FOLDER
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "demo/clip.h"
#include "stillsaver/resource.h"
#include "testhost/filter_host.h"
#include "testhost/input_host.h"
#include "testhost/output_host.h"
#include "testhost/plugin_module.h"

namespace {

constexpr int kWidth = 1280, kHeight = 720, kFrames = 60;
constexpr int kShownFrame = 30;   // the frame the editor "shows" for the still, and the one compared
// Below this the demonstration reports a failure: far under what a sound encode and decode
// give, far above swapped or shifted channels. The two-pixel colour stripes are meant to be
// lost to 4:2:0 subsampling, which keeps cb and cr near 26-28 dB.
constexpr double kFloorDb = 20;

// The picture of source and JPEG side by side: a square across the three bands (the bars' lower
// edge, the gradient, the detail), and below it, enlarged, where the one-pixel checks meet the
// zone plate.
constexpr demo::PictureRegion kPictureRegion = {
    226, 200, 360, 360,  // x, y, width, height
    kWidth / 3, 540,     // zoomX, zoomY
    4,                   // zoom
};

struct Stopwatch {
  LARGE_INTEGER start;
  Stopwatch() { QueryPerformanceCounter(&start); }
  double Ms() const {
    LARGE_INTEGER now, f;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&f);
    return 1000.0 * (now.QuadPart - start.QuadPart) / f.QuadPart;
  }
};

struct Times {
  std::vector<double> ms;
  void Print(const char* what) const {
    if (ms.empty()) return;
    double sum = 0;
    for (double m : ms) sum += m;
    std::printf("  %-7s %2zu frames  mean %6.1f ms  min %6.1f ms  max %6.1f ms  (%.0f frames/s)\n", what,
                ms.size(), sum / ms.size(), *std::min_element(ms.begin(), ms.end()),
                *std::max_element(ms.begin(), ms.end()), 1000.0 * ms.size() / sum);
  }
};

std::set<std::string> JpegFiles(const std::string& folder) {
  std::set<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((folder + "\\*.jpg").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do names.insert(found.cFileName);
  while (FindNextFileA(h, &found));
  FindClose(h);
  return names;
}

long FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA a;
  return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a) ? static_cast<long>(a.nFileSizeLow) : -1;
}

// Opens a file through the input plug-in and reads its one frame as the editor would.
bool ReadThroughPicreader(const testhost::InputHost& in, const std::string& path, demo::Yc48Frame* out) {
  host::InputHandle handle = in.Open(path);
  if (handle == nullptr) return false;
  host::InputStreamInfo info = {};
  bool ok = in.InfoGet(handle, &info) != 0 && info.format != nullptr &&
            info.format->biWidth == out->width && info.format->biHeight == out->height;
  if (ok) ok = in.ReadVideo(handle, 0, out->bytes.data()) == static_cast<int>(out->bytes.size());
  in.Close(handle);
  return ok;
}

void PrintPsnr(const char* what, const demo::Psnr& p) {
  std::printf("  %-34s y %5.1f dB   cb %5.1f dB   cr %5.1f dB\n", what, p.y, p.cb, p.cr);
}

bool GoodEnough(const demo::Psnr& p) { return p.y >= kFloorDb && p.cb >= kFloorDb && p.cr >= kFloorDb; }

int Fail(const std::string& what) {
  std::printf("FAILED: %s\n", what.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: jpegdemo DLL_FOLDER OUT_FOLDER\n");
    return 2;
  }
  const std::string dlls = argv[1], out = argv[2];
  CreateDirectoryA(out.c_str(), nullptr);
  const int padded = static_cast<int>(host::YcRowStride(kWidth, host::YcRowLayout::kPadded));
  std::printf("jpegdemo: %d frames of %dx%d YC48 (colour bars, a moving gradient past the nominal\n"
              "ranges, fine detail), plug-ins from %s\n\n", kFrames, kWidth, kHeight, dlls.c_str());

  // 1. The export, as the editor runs it: seqwriter's own defaults (no config-set), its frames
  //    fetched one at a time with padded rows.
  const testhost::PluginModule seqwriter(dlls + "\\seqwriter.dll");
  const auto* outputTable = seqwriter.CallGetter<const host::OutputTable>("GetOutputPluginTable");
  if (outputTable == nullptr) return Fail("seqwriter.dll or its table could not be loaded");
  std::printf("export through %s (default settings) to %s\\clip.jpg\n", outputTable->name, out.c_str());
  testhost::OutputHost job(kWidth, kHeight, 0, out + "\\clip.jpg");
  job.job().frameCount = kFrames;
  demo::Yc48Frame frame(kWidth, kHeight, padded);
  Times encode, decode;
  Stopwatch perFrame;
  job.frameSource = [&](int index) -> void* {
    demo::DrawClipFrame(index, &frame);
    perFrame = Stopwatch();  // the plug-in's work starts when it has the frame
    return frame.bytes.data();
  };
  job.onFrameDone = [&](int index) {
    encode.ms.push_back(perFrame.Ms());
    std::printf("\r  frame %2d/%d written", index + 1, kFrames);
    std::fflush(stdout);
  };
  const Stopwatch exportClock;
  const int exported = job.Run(outputTable);
  const double exportMs = exportClock.Ms();
  std::printf("\n");
  if (!exported || encode.ms.size() != static_cast<size_t>(kFrames)) return Fail("the export");
  char name[64];
  long total = 0;
  for (int i = 0; i < kFrames; ++i) {
    std::snprintf(name, sizeof name, "\\clip_%04d.jpg", i);
    const long size = FileSize(out + name);
    if (size <= 0) return Fail(std::string("missing ") + out + name);
    total += size;
  }

  // 2. Reading back through the input plug-in.
  const testhost::InputHost reader(dlls + "\\picreader.dll");
  if (!reader.loaded()) return Fail("picreader.dll or its table could not be loaded");
  demo::Yc48Frame decoded(kWidth, kHeight, padded), source(kWidth, kHeight, padded);
  for (int i = 0; i < kFrames; ++i) {
    std::snprintf(name, sizeof name, "\\clip_%04d.jpg", i);
    const Stopwatch clock;
    if (!ReadThroughPicreader(reader, out + name, &decoded)) return Fail(std::string("reading ") + name);
    decode.ms.push_back(clock.Ms());
  }
  std::printf("read back through %s\n\n", reader.table()->name);

  std::printf("fidelity against the source frame (peak 4096, the span of each component):\n");
  std::snprintf(name, sizeof name, "\\clip_%04d.jpg", kShownFrame);
  demo::DrawClipFrame(kShownFrame, &source);
  if (!ReadThroughPicreader(reader, out + name, &decoded)) return Fail(std::string("reading ") + name);
  const demo::Psnr exportPsnr = demo::Compare(source, decoded);
  PrintPsnr((std::string("export ") + (name + 1)).c_str(), exportPsnr);
  std::printf("\ntimes per frame (encode: conversion, compression and writing; decode: open, read,\n"
              "close):\n");
  encode.Print("encode");
  decode.Print("decode");
  const std::string picture = out + "\\source-vs-jpeg.bmp";
  const bool drawn = demo::WriteSideBySide(picture, source, decoded, kPictureRegion);

  // 3. The still: the filter window with its two buttons, the save folder in the editor's
  //    settings store, one click on the save button.
  testhost::SettingsStore store;
  store.strings["path"] = out + "\\";
  testhost::FilterHost filter(dlls + "\\stillsaver.dll", &store);
  if (!filter.loaded()) return Fail("stillsaver.dll or its table could not be loaded");
  filter.Start();
  filter.width = kWidth;
  filter.height = kHeight;
  filter.frameIndex = kShownFrame;
  const int packed = static_cast<int>(host::YcRowStride(kWidth, host::YcRowLayout::kPacked));
  demo::Yc48Frame shown(kWidth, kHeight, packed);
  demo::DrawClipFrame(kShownFrame, &shown);
  filter.frame.assign(reinterpret_cast<host::PixelYC*>(shown.bytes.data()),
                      reinterpret_cast<host::PixelYC*>(shown.bytes.data() + shown.bytes.size()));
  const std::set<std::string> before = JpegFiles(out);
  const Stopwatch saveClock;
  SendDlgItemMessageA(filter.window(), IDC_SAVE_FRAME, BM_CLICK, 0, 0);
  const double saveMs = saveClock.Ms();
  const std::string successBeep = testhost::BeepEntry(MB_ICONASTERISK);
  const bool beeped = std::find(filter.log.begin(), filter.log.end(), successBeep) != filter.log.end();
  filter.End();
  std::string still;
  for (const std::string& n : JpegFiles(out))
    if (before.count(n) == 0) still = n;
  std::printf("\nstill through %s, button \"save\" clicked: %s (%s)\n", filter.table()->name,
              still.empty() ? "no file" : still.c_str(), beeped ? "success beep" : "no beep");
  const bool stillSaved = !still.empty() && beeped;
  if (!stillSaved) std::printf("FAILED: the still was not saved\n");

  demo::Yc48Frame stillFrame(kWidth, kHeight, padded);
  demo::Psnr stillPsnr = {0, 0, 0};
  if (stillSaved) {
    if (!ReadThroughPicreader(reader, out + "\\" + still, &stillFrame)) return Fail("reading the still");
    stillPsnr = demo::Compare(source, stillFrame);
    PrintPsnr(("still " + still).c_str(), stillPsnr);
  }

  std::printf("  still   1 frame   %6.1f ms (with the filter's pause after a save)\n", saveMs);

  std::printf("\nsummary: %d frames exported in %.2f s (%.1f MB, %.0f KB a frame), %s,\n"
              "all read back; PSNR of frame %d y/cb/cr %.1f/%.1f/%.1f dB%s\n",
              kFrames, exportMs / 1000, total / 1048576.0, total / 1024.0 / kFrames,
              stillSaved ? "one still saved" : "NO still", kShownFrame,
              exportPsnr.y, exportPsnr.cb, exportPsnr.cr,
              drawn ? (";\n         picture: " + picture).c_str() : "");
  if (!GoodEnough(exportPsnr) || (stillSaved && !GoodEnough(stillPsnr))) {
    char floor[32];
    std::snprintf(floor, sizeof floor, "%.0f dB", kFloorDb);
    return Fail(std::string("fidelity below ") + floor);
  }
  return stillSaved ? 0 : 1;
}
