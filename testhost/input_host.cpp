#include "testhost/input_host.h"

namespace testhost {

InputHost::InputHost(const std::string& dllName)
    : module_(dllName),
      table_(module_.CallGetter<const host::InputTable>("GetInputPluginTable")) {}

host::InputHandle InputHost::Open(const std::string& path) const {
  return reinterpret_cast<host::InputHandle>(
      static_cast<uintptr_t>(CallPlugin(table_->open, Arg(path.c_str()))));
}

int InputHost::Close(host::InputHandle handle) const {
  return static_cast<int>(CallPlugin(table_->close, Arg(handle)));
}

int InputHost::InfoGet(host::InputHandle handle, host::InputStreamInfo* info) const {
  return static_cast<int>(CallPlugin(table_->infoGet, Arg(handle), Arg(info)));
}

int InputHost::ReadVideo(host::InputHandle handle, int frame, void* buffer) const {
  return static_cast<int>(
      CallPlugin(table_->readVideo, Arg(handle), static_cast<uint32_t>(frame), Arg(buffer)));
}

}  // namespace testhost
