// The editor's side of an input plug-in: loads the DLL by name, takes its table from the export
// and calls open, info-get, read-video and close as the editor does, each with a stack aligned
// to 4 bytes only.
#pragma once

#include <windows.h>

#include <string>

#include "host/host_contract.h"
#include "testhost/plugin_module.h"

namespace testhost {

class InputHost {
 public:
  explicit InputHost(const std::string& dllName);

  // False when the DLL or its table could not be had.
  bool loaded() const { return table_ != nullptr; }
  const host::InputTable* table() const { return table_; }
  const PluginModule& module() const { return module_; }

  host::InputHandle Open(const std::string& path) const;
  int Close(host::InputHandle handle) const;
  int InfoGet(host::InputHandle handle, host::InputStreamInfo* info) const;
  int ReadVideo(host::InputHandle handle, int frame, void* buffer) const;

 private:
  PluginModule module_;
  const host::InputTable* table_;
};

}  // namespace testhost
