#include "stillsaver/frame_save.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "core/encoder.h"
#include "host/pixel_yc.h"
#include "stillsaver/resource.h"
#include "stillsaver/save_settings.h"

namespace stillsaver {

namespace {

constexpr int kNameSize = 520;
// The longest folder text and the time always fit a file name.
static_assert(kFolderSize - 1 + sizeof "YYYYMMDD-hhmmss-mmm.jpg" <= kNameSize);

// The pause after a successful save, in milliseconds: two clicks in quick succession still get
// file names of different milliseconds.
constexpr DWORD kPauseAfterSaveMs = 10;

using SystemTimeFn = void(WINAPI*)(LPFILETIME);

// The system time, read with GetSystemTimePreciseAsFileTime where kernel32 has it (Windows 8 and
// later): GetSystemTimeAsFileTime moves in steps of about 15.6 ms, too coarse for the pause
// above to give quick saves different milliseconds. Looked up at the first save.
void ReadSystemTime(FILETIME* ft) {
  static bool lookedUp = false;
  static SystemTimeFn precise = nullptr;
  if (!lookedUp) {
    precise = reinterpret_cast<SystemTimeFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
    lookedUp = true;
  }
  if (precise != nullptr) {
    precise(ft);
  } else {
    GetSystemTimeAsFileTime(ft);
  }
}

// Now as seconds since 1970 and microseconds.
void ReadClock(time_t* seconds, long* microseconds) {
  FILETIME ft;
  ReadSystemTime(&ft);
  const uint64_t ticks = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  const uint64_t sinceUnixEpoch = ticks - kFileTimeAt1970;  // 100 ns units since 1970
  *seconds = static_cast<time_t>(sinceUnixEpoch / 10000000);
  *microseconds = static_cast<long>((sinceUnixEpoch % 10000000) / 10);
}

// "<folder>YYYYMMDD-hhmmss-mmm.jpg" from the local time now.
void BuildFileName(const char* folder, char (&name)[kNameSize]) {
  time_t seconds;
  long microseconds;
  ReadClock(&seconds, &microseconds);
  const tm* local = std::localtime(&seconds);
  char prefix[kNameSize];
  std::strncpy(prefix, folder, kNameSize - 1);
  prefix[kNameSize - 1] = '\0';
  wsprintfA(name, "%s%04d%02d%02d-%02d%02d%02d-%03d.jpg", prefix, local->tm_year + 1900,
            local->tm_mon + 1, local->tm_mday, local->tm_hour, local->tm_min, local->tm_sec,
            static_cast<int>(microseconds / 1000));
}

}  // namespace

void EnterUnusableState(HWND filterWindow) {
  MessageBeep(MB_ICONHAND);
  SetWindowTextA(filterWindow, "エラーのため使用不可です");
  EnableWindow(GetDlgItem(filterWindow, IDC_SAVE_FRAME), FALSE);
  EnableWindow(GetDlgItem(filterWindow, IDC_SHOW_SETTINGS), FALSE);
}

void SaveCurrentFrame(HWND filterWindow, host::EditHandle edit, host::FilterTable* filter) {
  if (!core::libraryUsable) {
    EnterUnusableState(filterWindow);
    return;
  }
  host::HostServices* h = filter->services;
  if (h->EditReady(edit) != 1) return;
  const int frame = h->CurrentFrameIndex(edit);
  int width = 0, height = 0;
  h->FrameSizeQuery(edit, frame, nullptr, &width, &height, 0);
  h->SetFetchSize(filter, 1, 1, 0, 0);
  h->SetFetchSize(filter, width, height, 1, 0);
  const host::PixelYC* rows = h->FetchFrameYC(filter, edit, frame, &width, &height);
  // No frame from the editor: nothing to save, and nothing the library should be asked to do.
  if (rows == nullptr || width <= 0 || height <= 0) return;

  core::JpegEncoder encoder;  // a plain record; one per save
  const core::CreateResult created =
      core::CreateEncoder(&encoder, EncoderSettingsOf(saveSettings), width, height);
  if (created == core::CreateResult::kLibraryFailure) {
    EnterUnusableState(filterWindow);
    return;
  }
  if (created == core::CreateResult::kNoMemory) return;

  char name[kNameSize];
  BuildFileName(saveSettings.path, name);
  FILE* file = std::fopen(name, "wb");
  if (file == nullptr) {
    core::DestroyEncoder(&encoder);
    return;
  }
  // The editor's frame cache holds the rows packed.
  core::EncodeFrame(&encoder, file, rows,
                    static_cast<ptrdiff_t>(host::YcRowStride(width, host::YcRowLayout::kPacked)));
  std::fclose(file);
  core::DestroyEncoder(&encoder);

  if (!core::libraryUsable) {
    EnterUnusableState(filterWindow);
    return;
  }
  if (saveSettings.beep != 0) MessageBeep(MB_ICONASTERISK);
  Sleep(kPauseAfterSaveMs);
}

}  // namespace stillsaver
