// The check every plug-in's table gets, whatever its kind.
#pragma once

#include <cstddef>
#include <initializer_list>

namespace wintest {

// Every 32-bit word of the `size`-byte table is zero except the ones at `setOffsets` (its
// values, names and entry points), and another load of `dll` hands out the same table from
// its export `getter`.
void ExpectTableWords(const void* table, size_t size, std::initializer_list<size_t> setOffsets,
                      const char* dll, const char* getter);

}  // namespace wintest
