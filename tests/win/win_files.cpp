#include "tests/win/win_files.h"

#include <algorithm>

namespace wintest {

namespace {

void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      const std::string full = dir + "\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
}

}  // namespace

ScratchDir::ScratchDir(const std::string& stem, const std::string& base) {
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, cwd);
  std::string parent = base.empty() ? std::string(cwd) : base;
  if (!parent.empty() && parent.back() == '\\') parent.pop_back();
  static int counter = 0;
  path_ = parent + "\\" + stem + "_" + std::to_string(GetCurrentProcessId()) + "_" +
          std::to_string(counter++);
  RemoveTree(path_);
  CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchDir::~ScratchDir() { RemoveTree(path_); }

std::vector<std::string> ScratchDir::List() const {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((path_ + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      names.push_back(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? name + "\\" : name);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

CurrentDir::CurrentDir(const std::string& path) {
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, cwd);
  saved_ = cwd;
  SetCurrentDirectoryA(path.c_str());
}

CurrentDir::~CurrentDir() { SetCurrentDirectoryA(saved_.c_str()); }

}  // namespace wintest
