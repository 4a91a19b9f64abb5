// The filter's table, its names, its menu commands and its window.
#include "tests/stillsaver/stillsaver_fixture.h"
#include "tests/win/dialog_driver.h"
#include "tests/win/plugin_table.h"
#include "tests/win/win_files.h"

namespace stillsavertest {
namespace {

using wintest::WindowText;

// No information; the editor's fields (services, window, instance) empty until it fills them.
TEST_F(StillsaverTest, TableFields) {
  using host::FilterTable;
  testhost::FilterHost& h = Open();
  const FilterTable* t = h.table();
  wintest::ExpectTableWords(t, {offsetof(FilterTable, flags), offsetof(FilterTable, windowWidth),
                             offsetof(FilterTable, windowHeight), offsetof(FilterTable, name),
                             offsetof(FilterTable, init), offsetof(FilterTable, windowProc)},
                            "stillsaver.dll", "GetFilterTable");
  EXPECT_EQ(t->flags, 0x4000C004u);
  EXPECT_EQ(t->windowWidth, 260);
  EXPECT_EQ(t->windowHeight, 64);
  EXPECT_STREQ(t->name, "Pomtrel");
}

// Copies of the library under other file names name themselves after the file.
TEST_F(StillsaverTest, NamesFollowTheFileName) {
  struct Case {
    const char* dll;
    const char* name;
    const char* title;
  };
  const Case cases[] = {
      {"stillsaver.dll", "Pomtrel", "JPEG保存設定"},
      {"renamed\\StillSaver.dll", "Pomtrel(StillSaver)", "JPEG保存設定(StillSaver)"},
      {"copy2\\stillsaver2.dll", "Pomtrel(stillsaver2)", "JPEG保存設定(stillsaver2)"},
  };
  for (const Case& c : cases) {
    testhost::FilterHost& h = Open(c.dll);
    ASSERT_TRUE(h.loaded()) << c.dll;
    // A second call derives the names afresh: still one suffix.
    testhost::PluginModule same(c.dll);
    EXPECT_EQ(same.CallGetter<host::FilterTable>("GetFilterTable"), h.table());
    EXPECT_STREQ(h.table()->name, c.name) << c.dll;
    h.Start();
    HWND dialog = SettingsDialogOf(h.window());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), c.title) << c.dll;
    h.End();
    Close();
  }
}

// The command ids, pinned once: the rest of the tests name them.
static_assert(IDC_SAVE_FRAME == 500 && IDC_SHOW_SETTINGS == 501);

TEST_F(StillsaverTest, MenuCommandsRegisteredAtInit) {
  testhost::FilterHost& h = Open();
  EXPECT_EQ(h.Start(), 1);
  ASSERT_EQ(h.menu.size(), 2u);
  // "現在のフレームをJPEG保存" and "設定" as CP932 bytes.
  EXPECT_EQ(h.menu[0].name, "\x8c\xbb\x8d\xdd\x82\xcc\x83\x74\x83\x8c\x81\x5b\x83\x80\x82\xf0"
                            "JPEG\x95\xdb\x91\xb6");
  EXPECT_EQ(h.menu[1].name, "\x90\xdd\x92\xe8");
  EXPECT_EQ(h.menu[0].id, IDC_SAVE_FRAME);
  EXPECT_EQ(h.menu[1].id, IDC_SHOW_SETTINGS);
  for (const auto& m : h.menu) {
    EXPECT_EQ(m.window, h.window());
    EXPECT_EQ(m.zero1, 0);
    EXPECT_EQ(m.zero2, 0);
  }
}

TEST_F(StillsaverTest, WithoutTheMenuServiceTheButtonsStillWork) {
  testhost::FilterHost& h = Open();
  h.menuServiceMissing = true;
  EXPECT_EQ(h.Start(), 1);
  EXPECT_TRUE(h.menu.empty());
  EXPECT_NE(GetDlgItem(h.window(), IDC_SAVE_FRAME), nullptr);
}

TEST_F(StillsaverTest, WindowReadyCreatesTheTwoButtons) {
  testhost::FilterHost& h = Start();
  struct Button {
    int id;
    const char* text;
    int x, width;
  };
  const Button buttons[] = {{IDC_SAVE_FRAME, "現在のフレームをJPEG保存", 0, 180},
                            {IDC_SHOW_SETTINGS, "設定", 180, 64}};
  HFONT guiFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (const Button& b : buttons) {
    HWND w = GetDlgItem(h.window(), b.id);
    ASSERT_NE(w, nullptr) << b.id;
    EXPECT_EQ(wintest::ClassName(w), "Button");
    EXPECT_EQ(WindowText(w), b.text);
    const LONG style = GetWindowLongA(w, GWL_STYLE);
    EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE | WS_TABSTOP), WS_CHILD | WS_VISIBLE | WS_TABSTOP);
    EXPECT_EQ(style & 0x0F, BS_PUSHBUTTON);
    EXPECT_EQ(GetWindowLongA(w, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY, 0);
    RECT r;
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, h.window(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, b.x);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right - r.left, b.width);
    EXPECT_EQ(r.bottom - r.top, 32);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)), guiFont);
    EXPECT_TRUE(IsWindowEnabled(w));
  }
  // The settings dialog exists, hidden.
  HWND dialog = SettingsDialogOf(h.window());
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(IsWindowVisible(dialog));
}

TEST_F(StillsaverTest, SizingGivesTheButtonsTheWholeClientArea) {
  testhost::FilterHost& h = Start();
  EXPECT_EQ(h.Send(host::kMsgSizing), 0);
  RECT client;
  GetClientRect(h.window(), &client);
  EXPECT_EQ(client.right, 244);
  EXPECT_EQ(client.bottom, 32);
}

TEST_F(StillsaverTest, SavePeriodDisablesOnlyTheSaveButton) {
  wintest::ScratchDir dir("ss_period");
  store_.strings["path"] = dir.path() + "\\";
  testhost::FilterHost& h = Start();
  HWND save = GetDlgItem(h.window(), IDC_SAVE_FRAME);
  HWND settings = GetDlgItem(h.window(), IDC_SHOW_SETTINGS);
  EXPECT_EQ(h.Send(host::kMsgSaveDisabledBegin), 1);
  EXPECT_FALSE(IsWindowEnabled(save));
  EXPECT_TRUE(IsWindowEnabled(settings));
  // The menu command still saves.
  h.log.clear();
  EXPECT_EQ(h.Command(IDC_SAVE_FRAME), 0);
  Strings want = FetchCalls(h.frameIndex, h.width, h.height);
  want.push_back("MessageBeep 64");
  want.push_back("Sleep 10");
  EXPECT_EQ(h.LogWithoutSettings(), want);  // the six host calls, the beep and the pause
  EXPECT_EQ(h.Send(host::kMsgSaveDisabledEnd), 1);
  EXPECT_TRUE(IsWindowEnabled(save));
}

TEST_F(StillsaverTest, UnknownCommandsDoNothing) {
  testhost::FilterHost& h = Start();
  h.log.clear();
  for (int id : {0, IDC_SAVE_FRAME - 1, IDC_SHOW_SETTINGS + 1, 1, 65535}) {
    EXPECT_EQ(h.Command(id), 0);
    EXPECT_EQ(h.Send(WM_COMMAND, static_cast<WPARAM>(id)), 0);
  }
  EXPECT_EQ(h.Send(WM_USER + 1234), 0);
  EXPECT_TRUE(h.log.empty());
  EXPECT_FALSE(IsWindowVisible(SettingsDialogOf(h.window())));
}

TEST_F(StillsaverTest, SettingsCommandShowsTheDialog) {
  testhost::FilterHost& h = Start();
  HWND dialog = SettingsDialogOf(h.window());
  EXPECT_EQ(h.Command(IDC_SHOW_SETTINGS), 0);
  EXPECT_TRUE(IsWindowVisible(dialog));
  ShowWindow(dialog, SW_HIDE);
  // A click on the settings button (WM_COMMAND from the child) does the same.
  HWND button = GetDlgItem(h.window(), IDC_SHOW_SETTINGS);
  EXPECT_EQ(h.Send(WM_COMMAND, MAKEWPARAM(IDC_SHOW_SETTINGS, BN_CLICKED),
                   reinterpret_cast<LPARAM>(button)), 0);
  EXPECT_TRUE(IsWindowVisible(dialog));
}

}  // namespace
}  // namespace stillsavertest
