#include "testhost/plugin_module.h"

namespace testhost {

std::string ProgramDir() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path, n);
  const size_t slash = s.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : s.substr(0, slash);
}

PluginModule::PluginModule(const std::string& fileName)
    : module_(LoadLibraryA((ProgramDir() + "\\" + fileName).c_str())) {}

PluginModule::~PluginModule() {
  if (module_ != nullptr) FreeLibrary(module_);
}

FARPROC PluginModule::Export(const char* name) const {
  return module_ ? GetProcAddress(module_, name) : nullptr;
}

}  // namespace testhost
