// The editor's side of a filter: a real host window whose messages go to the plug-in's window
// procedure, the host services (settings store, frame source, menu) recording every call, and
// the beeps and pauses the plug-in makes.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "host/host_contract.h"
#include "testhost/plugin_module.h"

namespace testhost {

// The editor's settings store; it outlives filter sessions.
struct SettingsStore {
  std::map<std::string, std::string> strings;
  std::map<std::string, int> ints;
};

struct MenuCommand {
  std::string name;  // the bytes as registered (CP932)
  HWND window;
  int id;
  int zero1, zero2;
};

// The log's entry for a beep of `type` (MB_ICONASTERISK after a save, MB_ICONHAND for an error).
std::string BeepEntry(UINT type);

class FilterHost {
 public:
  // Loads the DLL (a path relative to the test program) and takes its table; `store` keeps
  // the settings between sessions.
  FilterHost(const std::string& dll, SettingsStore* store);
  ~FilterHost();
  FilterHost(const FilterHost&) = delete;
  FilterHost& operator=(const FilterHost&) = delete;

  bool loaded() const { return table_ != nullptr; }
  host::FilterTable* table() const { return table_; }
  HMODULE module() const { return module_.handle(); }
  HWND window() const { return window_; }

  // Creates the filter window, fills the table's host fields, calls init and sends "window
  // ready" (0x467). Returns init's result.
  int Start();
  // Sends "filter ending" (0x468) and destroys the window.
  void End();
  // A message to the filter window (and so to the plug-in's window procedure).
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  // The menu command `id` (0x471).
  LRESULT Command(int id) { return Send(host::kMsgMenuCommand, static_cast<WPARAM>(id)); }

  // The frame the editor shows: packed rows of width PixelYC values (distinct ramps in y, cb
  // and cr, so that swapped channels or rows show).
  int width = 64, height = 48, frameIndex = 17;
  std::vector<host::PixelYC> frame;
  void MakeFrame(int w, int h);
  int editReady = 1;            // what EditReady answers
  bool noFrameBlock = false;    // FetchFrameYC returns null
  bool overrideFetchedSize = false;           // FetchFrameYC reports the size below instead
  int fetchedWidth = 0, fetchedHeight = 0;
  bool menuServiceMissing = false;            // the AddMenuCommand slot is null

  // Every host service call, beep and pause, in order: "EditReady", "CurrentFrameIndex",
  // "FrameSizeQuery 17", "SetFetchSize 1x1 0 0", "FetchFrameYC 17", "LoadString path",
  // "LoadInt qualty", "SaveString path <text>", "SaveInt qualty 75", "MessageBeep 64",
  // "Sleep 10", ...
  std::vector<std::string> log;
  std::vector<MenuCommand> menu;
  // The log without the settings store's entries (Load..., Save...): what a save asked of the
  // editor, its beep and its pause.
  std::vector<std::string> LogWithoutSettings() const;

 private:
  static LRESULT CALLBACK HostWindowProc(HWND, UINT, WPARAM, LPARAM);
  static BOOL __cdecl EditReady(host::EditHandle);
  static int __cdecl CurrentFrameIndex(host::EditHandle);
  static int __cdecl LoadIntSetting(host::FilterTable*, LPCSTR, int);
  static BOOL __cdecl SaveIntSetting(host::FilterTable*, LPCSTR, int);
  static BOOL __cdecl LoadStringSetting(host::FilterTable*, LPCSTR, LPSTR, LPCSTR);
  static BOOL __cdecl SaveStringSetting(host::FilterTable*, LPCSTR, LPCSTR);
  static BOOL __cdecl SetFetchSize(host::FilterTable*, int, int, int, int);
  static BOOL __cdecl FrameSizeQuery(host::EditHandle, int, void*, int*, int*, int);
  static host::PixelYC* __cdecl FetchFrameYC(host::FilterTable*, host::EditHandle, int, int*, int*);
  static BOOL __cdecl AddMenuCommand(host::FilterTable*, LPCSTR, HWND, int, int, int);
  static BOOL WINAPI HookedMessageBeep(UINT type);
  static void WINAPI HookedSleep(DWORD ms);

  PluginModule module_;
  host::FilterTable* table_ = nullptr;
  SettingsStore* store_;
  host::HostServices services_;
  HWND window_ = nullptr;
  int editToken_ = 0;  // its address is the edit handle
};

}  // namespace testhost
