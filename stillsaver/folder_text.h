// Folder text as a prefix of file names. Portable: also built into the native unit tests.
#pragma once

#include <cstddef>

namespace stillsaver {

// The folder buffer of the browser: 260 bytes of path and one more for the backslash.
constexpr size_t kChosenFolderSize = 261;

// Appends a backslash unless the text already ends with one (a drive root such as "D:\") or
// there is no room left in the `size`-byte buffer. Double-byte characters count whole, so a
// trail byte that looks like a backslash is not taken for one.
void EndWithBackslash(char* folder, size_t size);

}  // namespace stillsaver
