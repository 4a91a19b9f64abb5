#include "testhost/filter_host.h"

#include <cstring>

#include "testhost/iat_hook.h"

namespace testhost {

namespace {

FilterHost* current = nullptr;  // the host whose window or services are in use
constexpr char kWindowClass[] = "SubstituteFilterHost";

void RegisterHostClass() {
  static bool done = false;
  if (done) return;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kWindowClass;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  RegisterClassA(&wc);
  done = true;
}

}  // namespace

FilterHost::FilterHost(const std::string& dll, SettingsStore* store) : module_(dll), store_(store) {
  if (!module_.loaded()) return;
  table_ = module_.CallGetter<host::FilterTable>("GetFilterTable");
  // Watch the beeps and pauses this plug-in makes.
  PatchImport(module_.handle(), "USER32.dll", "MessageBeep", reinterpret_cast<void*>(HookedMessageBeep));
  PatchImport(module_.handle(), "KERNEL32.dll", "Sleep", reinterpret_cast<void*>(HookedSleep));
  MakeFrame(64, 48);
}

void FilterHost::MakeFrame(int w, int h) {
  width = w;
  height = h;
  frame.assign(static_cast<size_t>(w) * h, host::PixelYC{});
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      frame[y * w + x] = {static_cast<int16_t>(x * 4096 / w), static_cast<int16_t>(y * 4096 / h - 2048),
                          static_cast<int16_t>(((x - y) * 37) % 2048)};
}

FilterHost::~FilterHost() {
  if (window_ != nullptr) DestroyWindow(window_);
  if (current == this) current = nullptr;
}

int FilterHost::Start() {
  RegisterHostClass();
  current = this;
  std::memset(&services_, 0, sizeof services_);
  services_.EditReady = EditReady;
  services_.CurrentFrameIndex = CurrentFrameIndex;
  services_.LoadIntSetting = LoadIntSetting;
  services_.SaveIntSetting = SaveIntSetting;
  services_.LoadStringSetting = LoadStringSetting;
  services_.SaveStringSetting = SaveStringSetting;
  services_.SetFetchSize = SetFetchSize;
  services_.FrameSizeQuery = FrameSizeQuery;
  services_.FetchFrameYC = FetchFrameYC;
  services_.AddMenuCommand = menuServiceMissing ? nullptr : AddMenuCommand;

  window_ = CreateWindowExA(0, kWindowClass, table_->name, WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
                            20, 20, table_->windowWidth, table_->windowHeight, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HostWindowProc));
  table_->services = &services_;
  table_->window = window_;
  table_->instance = module_.handle();
  const int ok = static_cast<int>(CallPlugin(table_->init, Arg(table_)));
  Send(host::kMsgWindowReady);
  return ok;
}

void FilterHost::End() {
  Send(host::kMsgFilterEnding);
  DestroyWindow(window_);
  window_ = nullptr;
}

LRESULT FilterHost::Send(UINT message, WPARAM wParam, LPARAM lParam) {
  current = this;
  return SendMessageA(window_, message, wParam, lParam);
}

std::string BeepEntry(UINT type) { return "MessageBeep " + std::to_string(type); }

std::vector<std::string> FilterHost::LogWithoutSettings() const {
  std::vector<std::string> v;
  for (const std::string& s : log)
    if (s.rfind("Load", 0) != 0 && s.rfind("Save", 0) != 0) v.push_back(s);
  return v;
}

LRESULT CALLBACK FilterHost::HostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  FilterHost* h = current;
  if (h == nullptr || h->table_ == nullptr || h->window_ != hwnd) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  const LRESULT r = static_cast<LRESULT>(static_cast<int>(
      CallPlugin(h->table_->windowProc, Arg(hwnd), message, wParam, lParam, Arg(&h->editToken_),
                 Arg(h->table_))));
  // The editor's own messages get the plug-in's answer; the rest also the default handling.
  if (message >= WM_USER) return r;
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

BOOL __cdecl FilterHost::EditReady(host::EditHandle) {
  current->log.push_back("EditReady");
  return current->editReady;
}

int __cdecl FilterHost::CurrentFrameIndex(host::EditHandle) {
  current->log.push_back("CurrentFrameIndex");
  return current->frameIndex;
}

int __cdecl FilterHost::LoadIntSetting(host::FilterTable*, LPCSTR key, int def) {
  FilterHost* h = current;
  h->log.push_back(std::string("LoadInt ") + key + " " + std::to_string(def));
  auto it = h->store_->ints.find(key);
  return it == h->store_->ints.end() ? def : it->second;
}

BOOL __cdecl FilterHost::SaveIntSetting(host::FilterTable*, LPCSTR key, int value) {
  FilterHost* h = current;
  h->log.push_back(std::string("SaveInt ") + key + " " + std::to_string(value));
  h->store_->ints[key] = value;
  return TRUE;
}

BOOL __cdecl FilterHost::LoadStringSetting(host::FilterTable*, LPCSTR key, LPSTR buffer, LPCSTR def) {
  FilterHost* h = current;
  h->log.push_back(std::string("LoadString ") + key);
  auto it = h->store_->strings.find(key);
  const std::string value = it == h->store_->strings.end() ? std::string(def) : it->second;
  // At most kSettingTextSize bytes with the NUL, as the editor's store writes.
  const size_t longest = host::kSettingTextSize - 1;
  const size_t n = value.size() < longest ? value.size() : longest;
  std::memmove(buffer, value.data(), n);
  buffer[n] = '\0';
  return TRUE;
}

BOOL __cdecl FilterHost::SaveStringSetting(host::FilterTable*, LPCSTR key, LPCSTR text) {
  FilterHost* h = current;
  h->log.push_back(std::string("SaveString ") + key + " " + text);
  h->store_->strings[key] = text;
  return TRUE;
}

BOOL __cdecl FilterHost::SetFetchSize(host::FilterTable*, int w, int h, int depth, int flags) {
  current->log.push_back("SetFetchSize " + std::to_string(w) + "x" + std::to_string(h) + " " +
                         std::to_string(depth) + " " + std::to_string(flags));
  return TRUE;
}

BOOL __cdecl FilterHost::FrameSizeQuery(host::EditHandle, int frame, void* unused, int* w, int* h,
                                        int zero) {
  current->log.push_back("FrameSizeQuery " + std::to_string(frame) + (unused ? " ?" : " null") +
                         " " + std::to_string(zero));
  *w = current->width;
  *h = current->height;
  return TRUE;
}

host::PixelYC* __cdecl FilterHost::FetchFrameYC(host::FilterTable*, host::EditHandle, int frame,
                                                int* w, int* h) {
  FilterHost* c = current;
  c->log.push_back("FetchFrameYC " + std::to_string(frame));
  *w = c->overrideFetchedSize ? c->fetchedWidth : c->width;
  *h = c->overrideFetchedSize ? c->fetchedHeight : c->height;
  return c->noFrameBlock ? nullptr : c->frame.data();
}

BOOL __cdecl FilterHost::AddMenuCommand(host::FilterTable*, LPCSTR name, HWND window, int id,
                                        int zero1, int zero2) {
  FilterHost* h = current;
  h->menu.push_back({name, window, id, zero1, zero2});
  return TRUE;
}

BOOL WINAPI FilterHost::HookedMessageBeep(UINT type) {
  if (current != nullptr) current->log.push_back(BeepEntry(type));
  return TRUE;
}

void WINAPI FilterHost::HookedSleep(DWORD ms) {
  if (current != nullptr) current->log.push_back("Sleep " + std::to_string(ms));
  ::Sleep(ms);
}

}  // namespace testhost
