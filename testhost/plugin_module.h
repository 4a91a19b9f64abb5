// Loading a plug-in DLL the way the editor does, and calling into it with the editor's stack
// alignment (4 bytes).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "testhost/misaligned_call.h"

namespace testhost {

// The folder of the running program, where the build puts the plug-in DLLs beside it.
std::string ProgramDir();

// LoadLibraryA on a DLL beside the test program, or on an absolute path (the demonstration
// loads a release folder); FreeLibrary when destroyed.
class PluginModule {
 public:
  explicit PluginModule(const std::string& fileName);
  ~PluginModule();
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  bool loaded() const { return module_ != nullptr; }
  HMODULE handle() const { return module_; }
  // The address of an export, or null.
  FARPROC Export(const char* name) const;
  // Calls an export that takes no arguments and returns a pointer (the table getters), with a
  // misaligned stack.
  template <typename T>
  T* CallGetter(const char* name) const {
    FARPROC f = Export(name);
    return f ? reinterpret_cast<T*>(CallWithMisalignedStack(reinterpret_cast<const void*>(f)))
             : nullptr;
  }

 private:
  HMODULE module_;
};

// The strings of a file filter: description/pattern pairs ended by an empty string.
std::vector<std::string> FilterStrings(const char* list);

// Calls a callback from a plug-in's table with a misaligned stack; the arguments are 32-bit
// values (use Arg() for pointers).
template <typename Fn, typename... Args>
uint32_t CallPlugin(Fn fn, Args... args) {
  return CallWithMisalignedStack(reinterpret_cast<const void*>(fn), args...);
}

}  // namespace testhost
