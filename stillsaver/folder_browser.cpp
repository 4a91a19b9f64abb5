#include "stillsaver/folder_browser.h"

#include <shlobj.h>

#include <cstring>

#include "stillsaver/folder_text.h"

namespace stillsaver {

namespace {

// Opens the browser on the folder passed as `data`.
int CALLBACK FolderBrowserCallback(HWND browser, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED) SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, data);
  return 0;
}

}  // namespace

int ChooseSaveFolder(HWND owner, char* folder) {
  IMalloc* allocator = nullptr;
  if (SHGetMalloc(&allocator) == E_FAIL) return 0;

  BROWSEINFOA info;
  std::memset(&info, 0, sizeof info);
  info.hwndOwner = owner;
  info.pidlRoot = nullptr;
  info.pszDisplayName = folder;
  info.lpszTitle = "保存フォルダの指定";
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
  info.lpfn = FolderBrowserCallback;
  info.lParam = reinterpret_cast<LPARAM>(folder);

  int chosen = 0;
  LPITEMIDLIST items = SHBrowseForFolderA(&info);
  if (items != nullptr) {
    chosen = SHGetPathFromIDListA(items, folder) ? 1 : 0;
    if (allocator != nullptr) allocator->Free(items);
  }
  if (chosen) EndWithBackslash(folder, kChosenFolderSize);
  if (allocator != nullptr) allocator->Release();
  return chosen;
}

}  // namespace stillsaver
