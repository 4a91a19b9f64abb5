#include "testhost/plugin_module.h"

namespace testhost {

std::string ProgramDir() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path, n);
  const size_t slash = s.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : s.substr(0, slash);
}

namespace {
// A drive-letter or UNC path names the DLL itself; anything else is beside the program.
bool IsAbsolute(const std::string& path) {
  return (path.size() > 2 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
         path.rfind("\\\\", 0) == 0;
}
}  // namespace

PluginModule::PluginModule(const std::string& fileName)
    : module_(LoadLibraryA(
          (IsAbsolute(fileName) ? fileName : ProgramDir() + "\\" + fileName).c_str())) {}

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
