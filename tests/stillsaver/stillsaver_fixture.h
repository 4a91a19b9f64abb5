// The still-frame save filter in the substitute host: the DLL loaded afresh for every test (its
// settings and library flag start as at load), one settings store per test.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "stillsaver/resource.h"
#include "testhost/filter_host.h"

namespace stillsavertest {

using Strings = std::vector<std::string>;

// The host calls of one save, up to the fetch.
inline Strings FetchCalls(int frame, int width, int height) {
  const std::string f = std::to_string(frame);
  return {"EditReady",
          "CurrentFrameIndex",
          "FrameSizeQuery " + f + " null 0",
          "SetFetchSize 1x1 0 0",
          "SetFetchSize " + std::to_string(width) + "x" + std::to_string(height) + " 1 0",
          "FetchFrameYC " + f};
}

class StillsaverTest : public ::testing::Test {
 protected:
  // Starts a filter session with the DLL of that name (relative to the test program).
  testhost::FilterHost& Open(const std::string& dll = "stillsaver.dll") {
    host_ = std::make_unique<testhost::FilterHost>(dll, &store_);
    EXPECT_TRUE(host_->loaded()) << dll;
    return *host_;
  }
  testhost::FilterHost& Start(const std::string& dll = "stillsaver.dll") {
    testhost::FilterHost& h = Open(dll);
    h.Start();
    return h;
  }
  void Close() { host_.reset(); }

  testhost::SettingsStore store_;
  std::unique_ptr<testhost::FilterHost> host_;
};

// The settings dialog of the running filter: the one visible or hidden dialog it owns.
HWND SettingsDialogOf(HWND filterWindow);

}  // namespace stillsavertest
