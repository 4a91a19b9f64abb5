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

std::vector<std::string> FilterStrings(const char* list) {
  std::vector<std::string> v;
  for (const char* p = list; *p != '\0'; p += v.back().size() + 1) v.emplace_back(p);
  return v;
}

FARPROC PluginModule::Export(const char* name) const {
  return module_ ? GetProcAddress(module_, name) : nullptr;
}

}  // namespace testhost
