#include "picreader/jpeg_reader.h"
#include "tests/picreader/reader_backend.h"

namespace picreadertest {

using picreader::JpegReaderHandle;

void* Open(const std::string& path) { return picreader::OpenJpeg(path.c_str()); }
int Close(void* handle) { return picreader::CloseJpeg(static_cast<JpegReaderHandle*>(handle)); }
int Read(void* handle, int frame, void* buffer) {
  return picreader::ReadJpegFrame(static_cast<JpegReaderHandle*>(handle), frame, buffer);
}
int Info(void*, void*) { return -1; }

}  // namespace picreadertest
