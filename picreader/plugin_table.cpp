// The input plug-in's face to the host: the static table, the export that hands it out, and the
// table's callbacks in the host's signatures around the portable reader.
#include <windows.h>

#include <cstddef>

#include "host/host_contract.h"
#include "picreader/jpeg_reader.h"

namespace {

using picreader::BitmapInfoHeader;
using picreader::JpegReaderHandle;

// The host reads the handle's format record as a BITMAPINFOHEADER.
static_assert(sizeof(BitmapInfoHeader) == sizeof(BITMAPINFOHEADER));
static_assert(offsetof(BitmapInfoHeader, biSize) == offsetof(BITMAPINFOHEADER, biSize));
static_assert(offsetof(BitmapInfoHeader, biWidth) == offsetof(BITMAPINFOHEADER, biWidth));
static_assert(offsetof(BitmapInfoHeader, biHeight) == offsetof(BITMAPINFOHEADER, biHeight));
static_assert(offsetof(BitmapInfoHeader, biPlanes) == offsetof(BITMAPINFOHEADER, biPlanes));
static_assert(offsetof(BitmapInfoHeader, biBitCount) == offsetof(BITMAPINFOHEADER, biBitCount));
static_assert(offsetof(BitmapInfoHeader, biCompression) ==
              offsetof(BITMAPINFOHEADER, biCompression));
static_assert(offsetof(BitmapInfoHeader, biSizeImage) == offsetof(BITMAPINFOHEADER, biSizeImage));
static_assert(offsetof(BitmapInfoHeader, biXPelsPerMeter) ==
              offsetof(BITMAPINFOHEADER, biXPelsPerMeter));
static_assert(offsetof(BitmapInfoHeader, biYPelsPerMeter) ==
              offsetof(BITMAPINFOHEADER, biYPelsPerMeter));
static_assert(offsetof(BitmapInfoHeader, biClrUsed) == offsetof(BITMAPINFOHEADER, biClrUsed));
static_assert(offsetof(BitmapInfoHeader, biClrImportant) ==
              offsetof(BITMAPINFOHEADER, biClrImportant));

// The flag bits of the table and of the stream description; their meaning is the host's.
constexpr uint32_t kTableFlags = 1;
constexpr uint32_t kStreamFlags = 1;

// The stream every file becomes: one frame at 60/1 frames per second.
constexpr int32_t kRate = 60;
constexpr int32_t kScale = 1;
constexpr int32_t kFrameCount = 1;

JpegReaderHandle* Reader(host::InputHandle handle) {
  return static_cast<JpegReaderHandle*>(handle);
}

// The reader's open and close in the host's signatures: the handle is the host's opaque pointer.
host::InputHandle __cdecl OpenForHost(LPCSTR path) { return picreader::OpenJpeg(path); }

BOOL __cdecl CloseForHost(host::InputHandle handle) { return picreader::CloseJpeg(Reader(handle)); }

// Describes the stream; the fields not named here keep what the host put there.
BOOL __cdecl GetJpegInfo(host::InputHandle handle, host::InputStreamInfo* info) {
  if (!picreader::libraryUsable) return FALSE;
  info->flags = kStreamFlags;
  info->rate = kRate;
  info->scale = kScale;
  info->frameCount = kFrameCount;
  info->format = reinterpret_cast<BITMAPINFOHEADER*>(&Reader(handle)->format);
  info->reserved36 = 0;
  return TRUE;
}

// The reader's read in the host's signature.
int __cdecl ReadForHost(host::InputHandle handle, int frame, void* buffer) {
  return picreader::ReadJpegFrame(Reader(handle), frame, buffer);
}

const host::InputTable inputTable = {
    kTableFlags,                                // flags
    "Quorbel(YC48)",                            // name
    "JpegFile (*.jpg,*.jpeg)\0*.jpg;*.jpeg\0",  // fileFilter: description, pattern, empty end
    nullptr,                                    // information
    nullptr,                                    // init
    nullptr,                                    // exit
    OpenForHost,                                // open
    CloseForHost,                               // close
    GetJpegInfo,                                // infoGet
    ReadForHost,                                // readVideo
    {},                                         // reserved40: the later slots, all zero
};

}  // namespace

// The export the host calls once: the address of the one table.
extern "C" const host::InputTable* __cdecl GetInputPluginTable() { return &inputTable; }
