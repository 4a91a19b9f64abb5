#include "tests/win/plugin_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "testhost/plugin_module.h"

namespace wintest {

void ExpectTableWords(const void* table, size_t size, std::initializer_list<size_t> setOffsets,
                      const char* dll, const char* getter) {
  for (size_t offset = 0; offset < size; offset += 4) {
    uint32_t word;
    std::memcpy(&word, static_cast<const char*>(table) + offset, sizeof word);
    const bool set = std::find(setOffsets.begin(), setOffsets.end(), offset) != setOffsets.end();
    EXPECT_EQ(word != 0, set) << "the word at offset " << offset;
  }
  const testhost::PluginModule again(dll);
  EXPECT_EQ(again.CallGetter<const void>(getter), table);
}

}  // namespace wintest
