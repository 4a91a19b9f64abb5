// Path text of the filter: the folder as a prefix of file names, and the display names taken
// from the library's own file name. Portable: also built into the native unit tests and the
// fuzzers.
#pragma once

#include <cstddef>

namespace stillsaver {

// The folder buffer of the browser: 260 bytes of path and one more for the backslash.
constexpr size_t kChosenFolderSize = 261;
// A base name of at most 260 bytes and its NUL, as _splitpath gives it.
constexpr size_t kBaseNameSize = 261;

// Appends a backslash unless the text already ends with one (a drive root such as "D:\") or
// there is no room left in the `size`-byte buffer. Double-byte characters count whole, so a
// trail byte that looks like a backslash is not taken for one.
void EndWithBackslash(char* folder, size_t size);

// The file name without folder and extension, as _splitpath divides a path (the folder ends at
// the last '\', '/' or ':', the extension starts at the last '.'), double-byte characters
// stepped over whole; cut to kBaseNameSize - 1 bytes.
void ModuleBaseName(const char* path, char (&base)[kBaseNameSize]);

// "<prefix><base>)" into the `size`-byte buffer `out`, cut to fit; its last byte is always NUL.
void SuffixedName(char* out, size_t size, const char* prefix, const char* base);

}  // namespace stillsaver
