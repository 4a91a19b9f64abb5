// Pictures of the plug-ins' windows for the documentation: the filter window, the filter's
// settings dialog (where it opens beside the window), and the output plug-in's dialog. Each is
// copied from the screen into a 24-bit BMP; scripts/screenshots.sh turns them into PNG.
//   uishots.exe DLL_FOLDER OUT_FOLDER
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "demo/bmp_file.h"
#include "stillsaver/resource.h"
#include "testhost/filter_host.h"
#include "testhost/owned_dialog.h"
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

// Top-down 32-bit pixels (blue, green, red, unused) as the rows of a 24-bit BMP.
std::vector<uint8_t> BmpRows(int width, int height, const std::vector<uint8_t>& bgra) {
  const int stride = demo::BmpStride(width);
  std::vector<uint8_t> rows(static_cast<size_t>(stride) * height, 0);
  for (int y = 0; y < height; ++y)  // bottom-up, as a BMP stores them
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c)
        rows[(height - 1 - y) * stride + x * 3 + c] = bgra[(static_cast<size_t>(y) * width + x) * 4 + c];
  return rows;
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
  const bool written = copied && demo::WriteBmp(path, w, h, BmpRows(w, h, pixels));
  std::printf("%s %dx%d: %s\n", path.c_str(), w, h, written ? "written" : "FAILED");
  return written;
}

RECT WindowRect(HWND hwnd) {
  RECT r = {};
  GetWindowRect(hwnd, &r);
  return r;
}

// How long the shot waits for the modal dialog to show, and then keeps closing it until the
// config callback has returned; how often it looks.
constexpr DWORD kDialogWaitMs = 30000;
constexpr DWORD kCloseWaitMs = 10000;
constexpr DWORD kPollMs = 50;
// How long a window may paint before it is copied.
constexpr DWORD kPaintMs = 1500;

struct ModalShot {
  DWORD thread;
  HWND owner;
  std::string path;
  volatile LONG configReturned;  // set by the main thread once the config callback has returned
  bool shown, captured;
};

bool ConfigReturned(ModalShot* shot) {
  return InterlockedCompareExchange(&shot->configReturned, 0, 0) != 0;
}

// Runs beside the output plug-in's modal dialog: waits for it, lets it paint and copies it. Then,
// whether it showed or not, closes the dialog (a hidden one too) until the config callback has
// returned, so that giving up does not leave the dialog open.
DWORD WINAPI ShootModal(LPVOID param) {
  auto* shot = static_cast<ModalShot*>(param);
  HWND dialog = nullptr;
  for (DWORD waited = 0; dialog == nullptr && waited < kDialogWaitMs && !ConfigReturned(shot);
       waited += kPollMs) {
    dialog = testhost::FindOwnedDialog(shot->thread, shot->owner, true);
    if (dialog == nullptr) Sleep(kPollMs);
  }
  if (dialog != nullptr) {
    Sleep(kPaintMs);
    shot->shown = true;
    shot->captured = Capture(WindowRect(dialog), shot->path);
  }
  for (DWORD waited = 0; !ConfigReturned(shot) && waited < kCloseWaitMs; waited += kPollMs) {
    HWND open = testhost::FindOwnedDialog(shot->thread, shot->owner, false);
    if (open != nullptr) PostMessageA(open, WM_CLOSE, 0, 0);
    Sleep(kPollMs);
  }
  return 0;
}

// How long the main thread waits for the shot to end once the config callback has returned (a
// copy may be under way).
constexpr DWORD kShotEndWaitMs = kPaintMs + kCloseWaitMs;

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
  Pump(kPaintMs);
  ok &= Capture(WindowRect(filter.window()), out + "\\filter-window.bmp");
  SendDlgItemMessageA(filter.window(), IDC_SHOW_SETTINGS, BM_CLICK, 0, 0);
  Pump(2000);
  HWND settings = testhost::FindOwnedDialog(GetCurrentThreadId(), filter.window(), true);
  if (settings == nullptr) {
    std::printf("FAILED: the settings dialog did not show\n");
    return 1;
  }
  ok &= Capture(WindowRect(settings), out + "\\settings-dialog.bmp");
  RECT both;
  const RECT a = WindowRect(filter.window()), b = WindowRect(settings);
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
  ModalShot shot{GetCurrentThreadId(), owner, out + "\\output-dialog.bmp", 0, false, false};
  HANDLE thread = CreateThread(nullptr, 0, ShootModal, &shot, 0, nullptr);
  testhost::CallPlugin(table->config, testhost::Arg(owner), testhost::Arg(seqwriter.handle()));
  InterlockedExchange(&shot.configReturned, 1);
  const bool shotEnded = WaitForSingleObject(thread, kShotEndWaitMs) == WAIT_OBJECT_0;
  CloseHandle(thread);
  DestroyWindow(owner);
  if (!shotEnded) {
    std::printf("FAILED: the output dialog's picture did not end in time\n");
  } else if (!shot.shown) {
    std::printf("FAILED: the output plug-in's dialog did not show\n");
  }
  ok &= shotEnded && shot.captured;
  return ok ? 0 : 1;
}
