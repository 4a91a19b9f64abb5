#include <cstdlib>
#include <cstdio>

#include "tests/picreader/reader_backend.h"
#include "testhost/input_host.h"

namespace picreadertest {

static_assert(sizeof(host::InputStreamInfo) == kInfoBytes);

namespace {

// Loaded once per test program, as the editor keeps a plug-in loaded.
const testhost::InputHost& Plugin() {
  static const testhost::InputHost plugin("picreader.dll");
  if (!plugin.loaded()) {
    std::fprintf(stderr, "picreader.dll or its table is missing beside the test program\n");
    std::abort();
  }
  return plugin;
}

}  // namespace

void* Open(const std::string& path) { return Plugin().Open(path); }
int Close(void* handle) { return Plugin().Close(handle); }
int Read(void* handle, int frame, void* buffer) { return Plugin().ReadVideo(handle, frame, buffer); }
int Info(void* handle, void* record) {
  return Plugin().InfoGet(handle, static_cast<host::InputStreamInfo*>(record));
}

}  // namespace picreadertest
