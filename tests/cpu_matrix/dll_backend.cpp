// The CPU matrix on Windows: the plug-in DLLs beside this program, driven through the
// substitute host as the editor drives them. The settings reach them through their own records:
// the numbered output's blob and the still filter's keys in the settings store.
#include <windows.h>

#include <algorithm>

#include "seqwriter/output_config.h"
#include "stillsaver/resource.h"
#include "stillsaver/save_settings.h"
#include "testhost/filter_host.h"
#include "testhost/input_host.h"
#include "testhost/output_host.h"
#include "testhost/plugin_module.h"
#include "tests/cpu_matrix/matrix_backend.h"
#include "tests/win/win_files.h"

namespace cpumatrix {

const char kBackendName[] = "plug-in DLLs, 32-bit Windows";
const char kPathSeparator = '\\';

std::string MakeFolder(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS
             ? std::string()
             : "cannot create the folder " + path;
}

std::string Export(const core::EncoderSettings& settings, std::vector<demo::Yc48Frame>& frames,
                   const std::string& folder, const std::string& stem) {
  static const testhost::PluginModule seqwriter("seqwriter.dll");
  const auto* table = seqwriter.CallGetter<const host::OutputTable>("GetOutputPluginTable");
  if (table == nullptr) return "seqwriter.dll or its table could not be loaded";
  // The blob as the plug-in has it (its name pattern among the rest), with the case's settings.
  seqwriter::OutputConfig config;
  testhost::CallPlugin(table->configGet, testhost::Arg(&config));
  config.quality = settings.quality;
  config.optimize = settings.optimize;
  config.progression = settings.progression;
  config.downsampling = settings.downsampling;
  config.quantize = settings.quantize;
  if (testhost::CallPlugin(table->configSet, testhost::Arg(&config), seqwriter::kConfigBlobSize) !=
      static_cast<uint32_t>(seqwriter::kConfigBlobSize)) {
    return "seqwriter.dll did not take its settings";
  }

  const demo::Yc48Frame& first = frames.front();
  testhost::OutputHost job(first.width, first.height, 0, folder + kPathSeparator + stem + ".jpg");
  job.job().frameCount = static_cast<int>(frames.size());
  job.frameSource = [&](int index) -> void* { return frames[index].bytes.data(); };
  int done = 0;
  job.onFrameDone = [&](int) { ++done; };
  if (job.Run(table) != 1 || done != static_cast<int>(frames.size())) return "the export failed";
  for (int i = 0; i < done; ++i) {
    if (!wintest::FileExists(FramePath(folder, stem, i))) {
      return "the export did not write " + FramePath(folder, stem, i);
    }
  }
  return std::string();
}

std::string SaveStill(const core::EncoderSettings& settings, const demo::Yc48Frame& frame,
                      const std::string& path) {
  // The filter's settings as it reads them from the store when its window opens.
  stillsaver::SaveSettings wanted = {};
  wanted.quality = settings.quality;
  wanted.optimize = settings.optimize;
  wanted.progression = settings.progression;
  wanted.downsampling = settings.downsampling;
  wanted.quantize = settings.quantize;
  wanted.beep = 1;
  wanted.colormatrix = settings.colormatrix;
  wanted.progression_mine = settings.progression_mine;
  // The file gets a name from the clock: saved into a folder of its own, then renamed.
  const size_t slash = path.rfind(kPathSeparator);
  const wintest::ScratchDir scratch("still", path.substr(0, slash));
  testhost::SettingsStore store;
  store.strings["path"] = scratch.path() + kPathSeparator;
  for (const stillsaver::IntKey& k : stillsaver::kIntKeys) store.ints[k.key] = wanted.*k.field;

  testhost::FilterHost filter("stillsaver.dll", &store);
  if (!filter.loaded()) return "stillsaver.dll or its table could not be loaded";
  filter.Start();
  filter.width = frame.width;
  filter.height = frame.height;
  const auto* pixels = reinterpret_cast<const host::PixelYC*>(frame.bytes.data());
  filter.frame.assign(pixels, pixels + static_cast<size_t>(frame.width) * frame.height);
  filter.Command(IDC_SAVE_FRAME);
  filter.End();
  const std::string successBeep = testhost::BeepEntry(MB_ICONASTERISK);
  if (std::find(filter.log.begin(), filter.log.end(), successBeep) == filter.log.end()) {
    return "stillsaver.dll did not save";
  }
  const std::vector<std::string> saved = scratch.List();
  if (saved.size() != 1) return "stillsaver.dll did not write exactly one file";
  DeleteFileA(path.c_str());
  if (!MoveFileA((scratch / saved[0]).c_str(), path.c_str())) return "cannot rename the still to " + path;
  return std::string();
}

std::string ReadBack(const std::string& path, demo::Yc48Frame* frame) {
  static const testhost::InputHost reader("picreader.dll");
  if (!reader.loaded()) return "picreader.dll or its table could not be loaded";
  const host::InputHandle handle = reader.Open(path);
  if (handle == nullptr) return "picreader.dll could not open " + path;
  host::InputStreamInfo info = {};
  std::string failure;
  if (reader.InfoGet(handle, &info) == 0 || info.format == nullptr ||
      info.format->biWidth != frame->width || info.format->biHeight != frame->height) {
    failure = "unexpected description of " + path;
  } else if (reader.ReadVideo(handle, 0, frame->bytes.data()) != static_cast<int>(frame->bytes.size())) {
    failure = "picreader.dll could not read " + path;
  }
  reader.Close(handle);
  return failure;
}

}  // namespace cpumatrix
