// The numbered JPEG output as the editor sees it: the DLL loaded afresh for every test (so its
// settings and its library flag start as at load), the table from its export, the settings
// blob read and written through config-get and config-set.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "host/host_contract.h"
#include "testhost/output_host.h"
#include "testhost/plugin_module.h"

namespace seqwritertest {

using Blob = std::array<uint8_t, 280>;

struct Config {
  std::string pattern = "_%04d";
  int32_t quality = 75, optimize = 1, progression = 1, downsampling = 2, quantize = 0, spare = 0;
};

inline Blob MakeBlob(const Config& c) {
  Blob b{};
  std::memcpy(b.data(), c.pattern.data(), std::min<size_t>(c.pattern.size(), 256));
  const int32_t ints[6] = {c.quality, c.optimize, c.progression, c.downsampling, c.quantize, c.spare};
  std::memcpy(b.data() + 256, ints, sizeof ints);  // the target is little-endian
  return b;
}

class SeqwriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(module_.loaded()) << "seqwriter.dll not found beside the test program";
    table_ = module_.CallGetter<host::OutputTable>("GetOutputPluginTable");
    ASSERT_NE(table_, nullptr);
  }

  const host::OutputTable* table() const { return table_; }

  Blob GetBlob() const {
    Blob b{};
    EXPECT_EQ(testhost::CallPlugin(table_->configGet, testhost::Arg(b.data())), 280u);
    return b;
  }
  int SetBlob(const void* data, int size) const {
    return static_cast<int>(testhost::CallPlugin(table_->configSet, testhost::Arg(data), size));
  }
  void Configure(const Config& c) const {
    const Blob b = MakeBlob(c);
    ASSERT_EQ(SetBlob(b.data(), 280), 280);
  }
  int Export(testhost::OutputHost& host) const { return host.Run(table_); }

 private:
  testhost::PluginModule module_{"seqwriter.dll"};
  const host::OutputTable* table_ = nullptr;
};

}  // namespace seqwritertest
