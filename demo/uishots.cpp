// Pictures of the plug-ins' windows for the documentation: the filter window, the filter's
// settings dialog (where it opens beside the window), and the output plug-in's dialog. Each is
// copied from the screen into a 24-bit BMP; scripts/screenshots.sh turns them into PNG.
//   uishots.exe DLL_FOLDER OUT_FOLDER
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "testhost/filter_host.h"
#include "testhost/plugin_module.h"

namespace {

// Lets the windows of this thread paint (the plug-in's modeless dialog lives here too).
void Pump(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  MSG m;
  while (static_cast<LONG>(GetTickCount() - end) < 0) {
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    Sleep(10);
  }
}

bool WriteBmp(const std::string& path, int width, int height, const std::vector<uint8_t>& bgra) {
  const int stride = (width * 3 + 3) & ~3;
  std::vector<uint8_t> rows(static_cast<size_t>(stride) * height, 0);
  for (int y = 0; y < height; ++y)  // bottom-up, as a BMP stores them
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c)
        rows[(height - 1 - y) * stride + x * 3 + c] = bgra[(static_cast<size_t>(y) * width + x) * 4 + c];
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(rows.size());
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biSizeImage = static_cast<DWORD>(rows.size());
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(&file, sizeof file, 1, f) == 1 && std::fwrite(&info, sizeof info, 1, f) == 1 &&
                  std::fwrite(rows.data(), 1, rows.size(), f) == rows.size();
  return std::fclose(f) == 0 && ok;
}

// What the screen shows inside `r`, as the user sees it.
bool Capture(const RECT& r, const std::string& path) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, dib);
  const bool copied = BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY) != FALSE;
  GdiFlush();
  std::vector<uint8_t> pixels(static_cast<const uint8_t*>(bits),
                              static_cast<const uint8_t*>(bits) + static_cast<size_t>(w) * h * 4);
  SelectObject(memory, old);
  DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  const bool written = copied && WriteBmp(path, w, h, pixels);
  std::printf("%s %dx%d: %s\n", path.c_str(), w, h, written ? "written" : "FAILED");
  return written;
}

RECT WindowRect(HWND hwnd) {
  RECT r = {};
  GetWindowRect(hwnd, &r);
  return r;
}

struct OwnedDialog {
  HWND owner, found;
};

BOOL CALLBACK FindOwnedDialog(HWND hwnd, LPARAM lParam) {
  auto* s = reinterpret_cast<OwnedDialog*>(lParam);
  char cls[16] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (GetWindow(hwnd, GW_OWNER) == s->owner && std::string(cls) == "#32770" && IsWindowVisible(hwnd)) {
    s->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

struct ModalShot {
  DWORD thread;
  HWND owner;
  std::string path;
  bool ok;
};

// Runs beside the output plug-in's modal dialog: waits for it, lets it paint, copies it, closes it.
DWORD WINAPI ShootModal(LPVOID param) {
  auto* shot = static_cast<ModalShot*>(param);
  OwnedDialog s{shot->owner, nullptr};
  for (int i = 0; i < 600 && s.found == nullptr; ++i) {
    EnumThreadWindows(shot->thread, FindOwnedDialog, reinterpret_cast<LPARAM>(&s));
    if (s.found == nullptr) Sleep(50);
  }
  if (s.found == nullptr) return 0;
  Sleep(1500);
  shot->ok = Capture(WindowRect(s.found), shot->path);
  PostMessageA(s.found, WM_CLOSE, 0, 0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: uishots DLL_FOLDER OUT_FOLDER\n");
    return 2;
  }
  const std::string dlls = argv[1], out = argv[2];
  CreateDirectoryA(out.c_str(), nullptr);
  bool ok = true;

  // The filter as the editor shows it: its window sized by the plug-in, the folder a user might
  // have chosen, the settings dialog opened by the settings button.
  testhost::SettingsStore store;
  store.strings["path"] = "C:\\Users\\Public\\Pictures\\";
  testhost::FilterHost filter(dlls + "\\stillsaver.dll", &store);
  if (!filter.loaded()) {
    std::printf("FAILED: stillsaver.dll\n");
    return 1;
  }
  filter.Start();
  filter.Send(host::kMsgSizing);
  SetWindowPos(filter.window(), HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
  Pump(1500);
  ok &= Capture(WindowRect(filter.window()), out + "\\filter-window.bmp");
  SendDlgItemMessageA(filter.window(), 501, BM_CLICK, 0, 0);
  Pump(2000);
  OwnedDialog settings{filter.window(), nullptr};
  EnumThreadWindows(GetCurrentThreadId(), FindOwnedDialog, reinterpret_cast<LPARAM>(&settings));
  if (settings.found == nullptr) {
    std::printf("FAILED: the settings dialog did not show\n");
    return 1;
  }
  ok &= Capture(WindowRect(settings.found), out + "\\settings-dialog.bmp");
  RECT both;
  const RECT a = WindowRect(filter.window()), b = WindowRect(settings.found);
  UnionRect(&both, &a, &b);
  InflateRect(&both, 8, 8);
  ok &= Capture(both, out + "\\filter-and-settings.bmp");
  filter.End();

  // The output plug-in's dialog, modal under a plain owner window as the editor's export dialog.
  const testhost::PluginModule seqwriter(dlls + "\\seqwriter.dll");
  const auto* table = seqwriter.CallGetter<const host::OutputTable>("GetOutputPluginTable");
  if (table == nullptr) {
    std::printf("FAILED: seqwriter.dll\n");
    return 1;
  }
  HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 40, 40, 10, 10, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  ModalShot shot{GetCurrentThreadId(), owner, out + "\\output-dialog.bmp", false};
  HANDLE thread = CreateThread(nullptr, 0, ShootModal, &shot, 0, nullptr);
  testhost::CallPlugin(table->config, testhost::Arg(owner), testhost::Arg(seqwriter.handle()));
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  DestroyWindow(owner);
  ok &= shot.ok;
  return ok ? 0 : 1;
}
