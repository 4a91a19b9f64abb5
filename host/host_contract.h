// The records, services and messages through which the video editor drives its plug-ins.
// Everything here is a 32-bit layout: 4-byte fields, pointers and handles included. Fields the
// editor does not define for us are reserved space and stay zero in our own records. Every
// callback uses the platform's default C calling convention (__cdecl).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "host/pixel_yc.h"

namespace host {

struct FilterTable;

using EditHandle = void*;

// The editor's services the filter uses; only these slots are filled by a host we rely on.
struct HostServices {
  int32_t reserved0[4];                                                  // 0
  BOOL(__cdecl* EditReady)(EditHandle edit);                             // 16: 1 = something to save
  int32_t reserved20;                                                    // 20
  int(__cdecl* CurrentFrameIndex)(EditHandle edit);                      // 24
  int32_t reserved28[27];                                                // 28
  int(__cdecl* LoadIntSetting)(FilterTable* filter, LPCSTR key, int def);              // 136
  BOOL(__cdecl* SaveIntSetting)(FilterTable* filter, LPCSTR key, int value);           // 140
  BOOL(__cdecl* LoadStringSetting)(FilterTable* filter, LPCSTR key, LPSTR buffer,
                                   LPCSTR def);                                        // 144
  BOOL(__cdecl* SaveStringSetting)(FilterTable* filter, LPCSTR key, LPCSTR text);      // 148
  int32_t reserved152[6];                                                              // 152
  BOOL(__cdecl* SetFetchSize)(FilterTable* filter, int width, int height, int depth,
                              int flags);                                              // 176
  int32_t reserved180[4];                                                              // 180
  BOOL(__cdecl* FrameSizeQuery)(EditHandle edit, int frame, void* unused, int* width,
                                int* height, int zero);                                // 196
  PixelYC*(__cdecl* FetchFrameYC)(FilterTable* filter, EditHandle edit, int frame,
                                  int* width, int* height);                            // 200
  int32_t reserved204[17];                                                             // 204
  BOOL(__cdecl* AddMenuCommand)(FilterTable* filter, LPCSTR name, HWND window, int id,
                                int zero1, int zero2);                                 // 272: may be null
};

// The most a string setting takes in the editor's store, in bytes with the terminating NUL:
// LoadStringSetting writes no more than this into the buffer it is given.
constexpr int kSettingTextSize = 260;

using FilterInitFn = BOOL(__cdecl*)(FilterTable* filter);
using FilterWindowProcFn = BOOL(__cdecl*)(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam, EditHandle edit, FilterTable* filter);

// The filter's record; the editor fills services, window and instance before init.
struct FilterTable {
  uint32_t flags;                    // 0
  int32_t windowWidth;               // 4
  int32_t windowHeight;              // 8
  LPCSTR name;                       // 12
  int32_t reserved16[9];             // 16
  FilterInitFn init;                 // 52
  int32_t reserved56[2];             // 56
  FilterWindowProcFn windowProc;     // 64
  int32_t reserved68[4];             // 68
  LPCSTR information;                // 84
  int32_t reserved88[2];             // 88
  HostServices* services;            // 96: filled by the editor
  HWND window;                       // 100: filled by the editor
  HINSTANCE instance;                // 104: filled by the editor
  int32_t reservedTail[16];          // 108: room for editor fields we do not use
};

// The description of one export job, filled by the editor.
struct OutputJob {
  int32_t reserved0;                                       // 0
  int32_t width;                                           // 4
  int32_t height;                                          // 8
  int32_t reserved12[2];                                   // 12
  int32_t frameCount;                                      // 20
  int32_t reserved24[5];                                   // 24
  LPCSTR savePath;                                         // 44
  int32_t reserved48[2];                                   // 48
  BOOL(__cdecl* IsAbort)();                                // 56: nonzero stops the export
  void(__cdecl* Progress)(int index, int count);           // 60
  int32_t reserved64;                                      // 64
  void(__cdecl* FrameDone)();                              // 68
  void*(__cdecl* FetchFrame)(int index, DWORD fourcc);     // 72: rows (width * 6 + 3) & ~3 apart
  int32_t reservedTail[13];                                // 76
};

struct OutputTable {
  uint32_t flags;                                              // 0
  LPCSTR name;                                                 // 4
  LPCSTR fileFilter;                                           // 8
  LPCSTR information;                                          // 12
  BOOL(__cdecl* init)();                                       // 16
  BOOL(__cdecl* exit)();                                       // 20
  BOOL(__cdecl* output)(OutputJob* job);                       // 24
  BOOL(__cdecl* config)(HWND window, HINSTANCE instance);      // 28
  int(__cdecl* configGet)(void* buffer);                       // 32: bytes (buffer may be null)
  int(__cdecl* configSet)(const void* buffer, int size);       // 36: bytes taken
  int32_t reserved40[16];                                      // 40..103: zero
};

// What the input plug-in tells the editor about an opened file.
struct InputStreamInfo {
  uint32_t flags;                     // 0
  int32_t rate;                       // 4
  int32_t scale;                      // 8
  int32_t frameCount;                 // 12
  BITMAPINFOHEADER* format;           // 16
  int32_t reserved20[4];              // 20
  int32_t reserved36;                 // 36: its meaning is the editor's; the reader writes 0
  int32_t reservedTail[7];            // 40: editor fields we leave alone
};

using InputHandle = void*;

struct InputTable {
  uint32_t flags;                                                        // 0
  LPCSTR name;                                                           // 4
  LPCSTR fileFilter;                                                     // 8
  LPCSTR information;                                                    // 12
  BOOL(__cdecl* init)();                                                 // 16
  BOOL(__cdecl* exit)();                                                 // 20
  InputHandle(__cdecl* open)(LPCSTR path);                               // 24
  BOOL(__cdecl* close)(InputHandle handle);                              // 28
  BOOL(__cdecl* infoGet)(InputHandle handle, InputStreamInfo* info);     // 32
  int(__cdecl* readVideo)(InputHandle handle, int frame, void* buffer);  // 36: bytes written
  int32_t reserved40[19];                                                // 40..115: zero
};

// Messages the editor sends to the filter window procedure.
constexpr UINT kMsgWindowReady = 0x467;
constexpr UINT kMsgFilterEnding = 0x468;
constexpr UINT kMsgSaveDisabledBegin = 0x469;
constexpr UINT kMsgSaveDisabledEnd = 0x46A;
constexpr UINT kMsgMenuCommand = 0x471;  // low word of wParam: the command id
constexpr UINT kMsgSizing = 0x47D;

// The layouts are a binary contract with the editor: every named offset is pinned.
static_assert(sizeof(void*) == 4, "the host contract is a 32-bit layout");
static_assert(offsetof(PixelYC, cb) == 2 && offsetof(PixelYC, cr) == 4);

static_assert(offsetof(HostServices, EditReady) == 16);
static_assert(offsetof(HostServices, CurrentFrameIndex) == 24);
static_assert(offsetof(HostServices, LoadIntSetting) == 136);
static_assert(offsetof(HostServices, SaveIntSetting) == 140);
static_assert(offsetof(HostServices, LoadStringSetting) == 144);
static_assert(offsetof(HostServices, SaveStringSetting) == 148);
static_assert(offsetof(HostServices, SetFetchSize) == 176);
static_assert(offsetof(HostServices, FrameSizeQuery) == 196);
static_assert(offsetof(HostServices, FetchFrameYC) == 200);
static_assert(offsetof(HostServices, AddMenuCommand) == 272);

static_assert(offsetof(FilterTable, flags) == 0);
static_assert(offsetof(FilterTable, windowWidth) == 4);
static_assert(offsetof(FilterTable, windowHeight) == 8);
static_assert(offsetof(FilterTable, name) == 12);
static_assert(offsetof(FilterTable, init) == 52);
static_assert(offsetof(FilterTable, windowProc) == 64);
static_assert(offsetof(FilterTable, information) == 84);
static_assert(offsetof(FilterTable, services) == 96);
static_assert(offsetof(FilterTable, window) == 100);
static_assert(offsetof(FilterTable, instance) == 104);

static_assert(offsetof(OutputJob, width) == 4);
static_assert(offsetof(OutputJob, height) == 8);
static_assert(offsetof(OutputJob, frameCount) == 20);
static_assert(offsetof(OutputJob, savePath) == 44);
static_assert(offsetof(OutputJob, IsAbort) == 56);
static_assert(offsetof(OutputJob, Progress) == 60);
static_assert(offsetof(OutputJob, FrameDone) == 68);
static_assert(offsetof(OutputJob, FetchFrame) == 72);

static_assert(offsetof(OutputTable, flags) == 0);
static_assert(offsetof(OutputTable, name) == 4);
static_assert(offsetof(OutputTable, fileFilter) == 8);
static_assert(offsetof(OutputTable, information) == 12);
static_assert(offsetof(OutputTable, init) == 16);
static_assert(offsetof(OutputTable, exit) == 20);
static_assert(offsetof(OutputTable, output) == 24);
static_assert(offsetof(OutputTable, config) == 28);
static_assert(offsetof(OutputTable, configGet) == 32);
static_assert(offsetof(OutputTable, configSet) == 36);
static_assert(sizeof(OutputTable) == 104);

static_assert(offsetof(InputStreamInfo, flags) == 0);
static_assert(offsetof(InputStreamInfo, rate) == 4);
static_assert(offsetof(InputStreamInfo, scale) == 8);
static_assert(offsetof(InputStreamInfo, frameCount) == 12);
static_assert(offsetof(InputStreamInfo, format) == 16);
static_assert(offsetof(InputStreamInfo, reserved36) == 36);

static_assert(offsetof(InputTable, flags) == 0);
static_assert(offsetof(InputTable, name) == 4);
static_assert(offsetof(InputTable, fileFilter) == 8);
static_assert(offsetof(InputTable, information) == 12);
static_assert(offsetof(InputTable, init) == 16);
static_assert(offsetof(InputTable, exit) == 20);
static_assert(offsetof(InputTable, open) == 24);
static_assert(offsetof(InputTable, close) == 28);
static_assert(offsetof(InputTable, infoGet) == 32);
static_assert(offsetof(InputTable, readVideo) == 36);
static_assert(sizeof(InputTable) == 116);

}  // namespace host
