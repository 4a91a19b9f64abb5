#include "stillsaver/save_settings.h"

#include <windows.h>

#include "stillsaver/folder_text.h"

namespace stillsaver {

SaveSettings saveSettings = {
    "",                                              // path: the current directory, at the first load
    core::kDefaultEncoderSettings.quality,           // quality
    core::kDefaultEncoderSettings.optimize,          // optimize
    core::kDefaultEncoderSettings.progression,       // progression
    core::kDefaultEncoderSettings.downsampling,      // downsampling
    core::kDefaultEncoderSettings.quantize,          // quantize
    1,                                               // beep
    core::kDefaultEncoderSettings.colormatrix,       // colormatrix
    core::kDefaultEncoderSettings.progression_mine,  // progression_mine
};

namespace {

// The path is loaded in place: the longest text the store writes must fit the field.
static_assert(kFolderSize >= host::kSettingTextSize);

// The folder the editor was started in, with the trailing backslash that makes it a prefix
// (a single backslash when the directory cannot be read). A directory of 259 characters leaves
// no room for the backslash and is kept as it is.
void DefaultFolder(char (&path)[kFolderSize]) {
  const DWORD n = GetCurrentDirectoryA(kFolderSize, path);
  if (n == 0 || n >= static_cast<DWORD>(kFolderSize)) path[0] = '\0';
  EndWithBackslash(path, kFolderSize);
}

}  // namespace

core::EncoderSettings EncoderSettingsOf(const SaveSettings& s) {
  return {s.quality,  s.optimize,    s.progression,     s.downsampling,
          s.quantize, s.colormatrix, s.progression_mine};
}

void LoadFilterSettings(host::FilterTable* filter) {
  host::HostServices* h = filter->services;
  SaveSettings& s = saveSettings;
  // The store writes at most host::kSettingTextSize bytes; the last byte is forced to NUL in
  // case it did not end.
  h->LoadStringSetting(filter, "path", s.path, s.path);
  s.path[kFolderSize - 1] = '\0';
  for (const IntKey& k : kIntKeys) s.*k.field = h->LoadIntSetting(filter, k.key, s.*k.field);
  if (s.path[0] == '\0') DefaultFolder(s.path);
}

void StoreFilterSettings(host::FilterTable* filter) {
  host::HostServices* h = filter->services;
  const SaveSettings& s = saveSettings;
  h->SaveStringSetting(filter, "path", s.path);
  for (const IntKey& k : kIntKeys) h->SaveIntSetting(filter, k.key, s.*k.field);
}

}  // namespace stillsaver
