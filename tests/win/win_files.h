// Files and folders for the Windows-side tests, through the ANSI functions as the plug-ins use
// them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace wintest {

// A fresh folder below the current directory (or below `base`), removed with its files when
// destroyed.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& stem, const std::string& base = std::string());
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }  // absolute, with '\' separators
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
  // File names directly in the folder, sorted (subfolders are listed with a trailing '\').
  std::vector<std::string> List() const;

 private:
  std::string path_;
};

bool FileExists(const std::string& path);

// Changes the current directory for its lifetime.
class CurrentDir {
 public:
  explicit CurrentDir(const std::string& path);
  ~CurrentDir();

 private:
  std::string saved_;
};

}  // namespace wintest
