// The check every plug-in's table gets, whatever its kind: every 32-bit word of the table is zero
// except the ones at `setOffsets` (its values, names and entry points), and another load of `dll`
// hands out the same table from its export `getter`.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "testhost/plugin_module.h"

namespace wintest {

template <typename Table>
void ExpectTableWords(const Table* table, std::initializer_list<size_t> setOffsets, const char* dll,
                      const char* getter) {
  for (size_t offset = 0; offset < sizeof(Table); offset += 4) {
    uint32_t word;
    std::memcpy(&word, reinterpret_cast<const char*>(table) + offset, sizeof word);
    const bool set = std::find(setOffsets.begin(), setOffsets.end(), offset) != setOffsets.end();
    EXPECT_EQ(word != 0, set) << "the word at offset " << offset;
  }
  EXPECT_EQ(testhost::PluginModule(dll).CallGetter<const Table>(getter), table);
}

}  // namespace wintest
