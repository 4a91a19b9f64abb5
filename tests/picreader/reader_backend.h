// The reader as the shared tests drive it, chosen at link time: the portable library called
// directly (direct_backend.cpp), or picreader.dll through the substitute host under Wine
// (dll_backend.cpp).
#pragma once

#include <string>

namespace picreadertest {

void* Open(const std::string& path);
int Close(void* handle);
int Read(void* handle, int frame, void* buffer);
// The host's info-get into a record of kInfoBytes bytes; -1 where there is none (the portable
// library has no host record).
constexpr int kInfoBytes = 68;
int Info(void* handle, void* record);

}  // namespace picreadertest
