// The settings: loading and storing under the nine keys, and the modeless dialog.
#include <commctrl.h>

#include <functional>
#include <map>

#include "tests/stillsaver/stillsaver_fixture.h"
#include "tests/support/jpeg_inspect.h"
#include "tests/win/dialog_driver.h"
#include "tests/win/win_files.h"

namespace stillsavertest {
namespace {

using wintest::Click;
using wintest::IsChecked;
using wintest::WindowText;

const Strings kIntKeys = {"qualty", "optimize", "progression", "downsampling",
                          "quantize", "beep", "colormatrix", "progression_mine"};

std::string CurrentDirectory() {
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, cwd);
  return cwd;
}

std::vector<int> CheckedIds(HWND dialog) {
  std::vector<int> v;
  for (int id = 107; id <= 127; ++id)
    if (GetDlgItem(dialog, id) != nullptr && IsChecked(dialog, id)) v.push_back(id);
  return v;
}

int TrackPos(HWND dialog) { return static_cast<int>(SendDlgItemMessageA(dialog, 106, TBM_GETPOS, 0, 0)); }

// The quality trackbar, moved as a drag would end.
void MoveTrackbar(HWND dialog, int pos) { wintest::MoveTrackbar(dialog, 106, pos); }

TEST_F(StillsaverTest, FirstStartWithAnEmptyStore) {
  testhost::FilterHost& h = Start();
  Strings loads = {"LoadString path"};
  for (const char* k : {"qualty 75", "optimize 1", "progression 1", "downsampling 2", "quantize 0",
                        "beep 1", "colormatrix 0", "progression_mine 0"}) {
    loads.push_back(std::string("LoadInt ") + k);
  }
  EXPECT_EQ(h.log, loads);

  HWND dialog = SettingsDialogOf(h.window());
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(WindowText(GetDlgItem(dialog, 103)), CurrentDirectory() + "\\");
  EXPECT_EQ(TrackPos(dialog), 75);
  EXPECT_EQ(WindowText(GetDlgItem(dialog, 105)), "圧縮品質 75");
  EXPECT_EQ(CheckedIds(dialog), (std::vector<int>{107, 108, 112, 118, 119, 122}));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, 127)));

  // The default folder is stored at the first filter end, then the eight integers in order.
  h.log.clear();
  h.End();
  Strings stores = {"SaveString path " + CurrentDirectory() + "\\"};
  for (const char* k : {"qualty 75", "optimize 1", "progression 1", "downsampling 2", "quantize 0",
                        "beep 1", "colormatrix 0", "progression_mine 0"}) {
    stores.push_back(std::string("SaveInt ") + k);
  }
  EXPECT_EQ(h.log, stores);
  EXPECT_EQ(SettingsDialogOf(h.window()), nullptr);
}

TEST_F(StillsaverTest, StoredValuesComeBackWithTheirFallbacks) {
  store_.strings["path"] = "X:\\shots\\";
  store_.ints = {{"qualty", 33},    {"optimize", 0}, {"progression", 0},      {"downsampling", 9},
                 {"quantize", 3},   {"beep", 0},     {"colormatrix", 1},      {"progression_mine", 1}};
  testhost::FilterHost& h = Start();
  HWND dialog = SettingsDialogOf(h.window());
  EXPECT_EQ(WindowText(GetDlgItem(dialog, 103)), "X:\\shots\\");
  EXPECT_EQ(TrackPos(dialog), 33);
  EXPECT_EQ(WindowText(GetDlgItem(dialog, 105)), "圧縮品質 33");
  // 4:2:0 (112) and the standard tables (119) stand for the out-of-range values.
  EXPECT_EQ(CheckedIds(dialog), (std::vector<int>{112, 119, 123, 127}));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, 127)));  // progression is off

  h.Command(IDC_SHOW_SETTINGS);
  Click(dialog, 126);  // apply stores the fallbacks
  EXPECT_TRUE(IsWindowVisible(dialog));
  h.End();
  EXPECT_EQ(store_.ints["downsampling"], 2);
  EXPECT_EQ(store_.ints["quantize"], 0);
  EXPECT_EQ(store_.ints["qualty"], 33);
  EXPECT_EQ(store_.ints["progression_mine"], 1);
  EXPECT_EQ(store_.ints["colormatrix"], 1);
  EXPECT_EQ(store_.strings["path"], "X:\\shots\\");
}

// CANCEL hides and keeps the unapplied edits in the controls; OK applies them later.
TEST_F(StillsaverTest, CancelKeepsEditsUntilOk) {
  testhost::FilterHost& h = Start();
  HWND dialog = SettingsDialogOf(h.window());
  h.Command(IDC_SHOW_SETTINGS);
  MoveTrackbar(dialog, 40);
  EXPECT_EQ(WindowText(GetDlgItem(dialog, 105)), "圧縮品質 40");  // the label follows at once
  Click(dialog, 113);
  Click(dialog, 2);
  EXPECT_FALSE(IsWindowVisible(dialog));

  h.Command(IDC_SHOW_SETTINGS);
  EXPECT_EQ(TrackPos(dialog), 40);
  EXPECT_TRUE(IsChecked(dialog, 113));
  h.log.clear();
  h.End();  // nothing applied yet
  EXPECT_EQ(store_.ints["qualty"], 75);
  EXPECT_EQ(store_.ints["downsampling"], 2);
  Close();

  testhost::FilterHost& again = Start();
  dialog = SettingsDialogOf(again.window());
  again.Command(IDC_SHOW_SETTINGS);
  MoveTrackbar(dialog, 40);
  Click(dialog, 113);
  Click(dialog, 1);  // OK applies and hides
  EXPECT_FALSE(IsWindowVisible(dialog));
  again.End();
  EXPECT_EQ(store_.ints["qualty"], 40);
  EXPECT_EQ(store_.ints["downsampling"], 3);
}

TEST_F(StillsaverTest, CloseBoxHidesWithoutApplying) {
  testhost::FilterHost& h = Start();
  HWND dialog = SettingsDialogOf(h.window());
  h.Command(IDC_SHOW_SETTINGS);
  MoveTrackbar(dialog, 5);
  Click(dialog, 118);  // beep off
  SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindowVisible(dialog));
  h.End();
  EXPECT_EQ(store_.ints["qualty"], 75);
  EXPECT_EQ(store_.ints["beep"], 1);
}

TEST_F(StillsaverTest, ProgressiveBoxEnablesTheCustomScriptBox) {
  testhost::FilterHost& h = Start();
  HWND dialog = SettingsDialogOf(h.window());
  h.Command(IDC_SHOW_SETTINGS);
  Click(dialog, 127);  // custom script on
  Click(dialog, 108);  // progressive off
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, 127)));
  EXPECT_TRUE(IsChecked(dialog, 127));  // keeps its check mark
  Click(dialog, 126);
  Click(dialog, 108);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, 127)));
  Click(dialog, 108);
  Click(dialog, 126);
  h.End();
  EXPECT_EQ(store_.ints["progression"], 0);
  EXPECT_EQ(store_.ints["progression_mine"], 1);
}

// Every control applies to its own field; radio buttons map to their values.
TEST_F(StillsaverTest, ApplyStoresEveryControl) {
  testhost::FilterHost& h = Start();
  HWND dialog = SettingsDialogOf(h.window());
  h.Command(IDC_SHOW_SETTINGS);
  MoveTrackbar(dialog, 91);
  Click(dialog, 107);
  Click(dialog, 118);
  Click(dialog, 127);
  Click(dialog, 116);
  Click(dialog, 120);
  Click(dialog, 123);
  Click(dialog, 126);
  h.log.clear();
  h.End();
  const std::map<std::string, int> want = {{"qualty", 91},    {"optimize", 0},   {"progression", 1},
                                           {"downsampling", 6}, {"quantize", 1}, {"beep", 0},
                                           {"colormatrix", 1},  {"progression_mine", 1}};
  EXPECT_EQ(store_.ints, want);
  for (int value = 0; value <= 6; ++value) {
    Close();
    testhost::FilterHost& next = Start();
    HWND d = SettingsDialogOf(next.window());
    Click(d, 110 + value);
    Click(d, 119 + value % 3);
    Click(d, 122 + value % 2);
    Click(d, 126);
    next.End();
    EXPECT_EQ(store_.ints["downsampling"], value);
    EXPECT_EQ(store_.ints["quantize"], value % 3);
    EXPECT_EQ(store_.ints["colormatrix"], value % 2);
  }
}

// Applied settings reach the next save at once and survive a filter end and a new start.
TEST_F(StillsaverTest, SettingsPersistAcrossSessions) {
  wintest::ScratchDir dir("ss_persist");
  store_.strings["path"] = dir.path() + "\\";
  testhost::FilterHost& h = Start();
  HWND dialog = SettingsDialogOf(h.window());
  Click(dialog, 113);  // grayscale
  Click(dialog, 126);
  h.Command(IDC_SAVE_FRAME);
  h.End();
  Close();

  testhost::FilterHost& again = Start();
  dialog = SettingsDialogOf(again.window());
  EXPECT_TRUE(IsChecked(dialog, 113));
  EXPECT_EQ(WindowText(GetDlgItem(dialog, 103)), dir.path() + "\\");
  again.Command(IDC_SAVE_FRAME);
  const Strings files = dir.List();
  ASSERT_EQ(files.size(), 2u);
  for (const std::string& f : files) {
    const std::vector<uint8_t> bytes = testsupport::ReadFileBytes(dir / f);
    ASSERT_GT(bytes.size(), 200u);
    // The applied grayscale reached both saves: one component, where the default has three.
    testsupport::JpegStructure s;
    ASSERT_TRUE(testsupport::InspectJpeg(bytes, &s)) << f;
    EXPECT_EQ(s.components.size(), 1u) << f;
  }
}

TEST_F(StillsaverTest, FolderEditIsReadOnly) {
  testhost::FilterHost& h = Start();
  HWND edit = GetDlgItem(SettingsDialogOf(h.window()), 103);
  const LONG style = GetWindowLongA(edit, GWL_STYLE);
  EXPECT_TRUE(style & ES_READONLY);
  EXPECT_TRUE(style & ES_AUTOHSCROLL);
  EXPECT_TRUE(GetWindowLongA(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
}

// The template: 28 controls in tab order with their ids, classes, captions and positions.
TEST_F(StillsaverTest, DialogTemplate) {
  struct Expected {
    int id;
    const char* cls;
    const char* text;
    int x, y, w, h;
  };
  const Expected controls[] = {
      {1, "Button", "OK", 4, 304, 45, 16},
      {126, "Button", "適用", 49, 304, 45, 16},
      {2, "Button", "CANCEL", 94, 304, 45, 16},
      {-1, "Static", "保存フォルダ", 4, 4, 118, 8},
      {103, "Edit", nullptr, 2, 14, 122, 12},
      {-1, "Static", "（ファイル名は現在時刻になります）", 4, 30, 134, 8},
      {105, "Static", "圧縮品質 75", 4, 60, 136, 8},
      {106, "msctls_trackbar32", "Quality", 4, 70, 136, 12},
      {107, "Button", "ハフマンテーブル最適化", 4, 84, 128, 12},
      {108, "Button", "プログレッシブ", 4, 98, 128, 12},
      {127, "Button", "カスタム版を使う", 12, 110, 128, 12},
      {-1, "Button", "ダウンサンプリング", 4, 126, 136, 100},
      {110, "Button", "4:4:4(1x1)", 10, 138, 108, 12},
      {111, "Button", "4:2:2(2x1)YUY2相当", 10, 150, 108, 12},
      {112, "Button", "4:1:1(2x2)YV12相当※一般的", 10, 162, 108, 12},
      {113, "Button", "グレースケール", 10, 174, 108, 12},
      {114, "Button", "4:2:2(1x2)", 10, 186, 108, 12},
      {115, "Button", "8:1:1(4x2)", 10, 198, 108, 12},
      {116, "Button", "8:1:1(2x4)", 10, 210, 108, 12},
      {117, "Button", "...", 128, 14, 12, 12},
      {118, "Button", "保存時ビープ音を鳴らす", 4, 40, 128, 10},
      {-1, "Button", "量子化テーブル", 4, 230, 136, 26},
      {119, "Button", "標準", 10, 240, 36, 12},
      {120, "Button", "フォトショ風", 46, 240, 48, 12},
      {121, "Button", "ジグザグ", 94, 240, 38, 12},
      {-1, "Button", "色変換(本体の色変換は無視のため)", 4, 260, 136, 36},
      {122, "Button", "無変換（わからないならこちら）", 10, 270, 108, 12},
      {123, "Button", "内部BT.709→BT.601", 10, 282, 108, 12},
  };
  testhost::FilterHost& h = Start();
  HWND dialog = SettingsDialogOf(h.window());
  EXPECT_FALSE(GetWindowLongA(dialog, GWL_STYLE) & WS_VISIBLE);
  EXPECT_EQ(GetWindowLongA(dialog, GWL_STYLE) & (WS_POPUP | WS_CAPTION | WS_SYSMENU),
            WS_POPUP | WS_CAPTION | WS_SYSMENU);
  EXPECT_EQ(GetWindowLongA(dialog, GWL_EXSTYLE) & (WS_EX_DLGMODALFRAME | WS_EX_STATICEDGE),
            WS_EX_DLGMODALFRAME | WS_EX_STATICEDGE);
  HWND child = GetWindow(dialog, GW_CHILD);
  for (const Expected& c : controls) {
    ASSERT_NE(child, nullptr) << c.id;
    EXPECT_EQ(static_cast<short>(GetDlgCtrlID(child)), c.id);
    EXPECT_EQ(wintest::ClassName(child), c.cls) << c.id;
    if (c.text != nullptr) {
      EXPECT_EQ(WindowText(child), c.text) << c.id;
    }
    EXPECT_TRUE(GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE) << c.id;
    RECT origin{c.x, c.y, c.x, c.y}, size{0, 0, c.w, c.h};
    MapDialogRect(dialog, &origin);
    MapDialogRect(dialog, &size);
    RECT got;
    GetWindowRect(child, &got);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&got), 2);
    EXPECT_EQ(got.left, origin.left) << c.id;
    EXPECT_EQ(got.top, origin.top) << c.id;
    EXPECT_EQ(got.right - got.left, size.right) << c.id;
    EXPECT_EQ(got.bottom - got.top, size.bottom) << c.id;
    child = GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr);
  // Tab stops and groups where the template puts them (radio tab stops move with the check).
  for (int id : {1, 126, 2, 103, 106, 108, 127}) {
    EXPECT_TRUE(GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_TABSTOP) << id;
  }
  for (int id : {107, 117, 118}) {
    EXPECT_FALSE(GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_TABSTOP) << id;
  }
  for (int id : {110, 119, 122}) {
    EXPECT_TRUE(GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_GROUP) << id;
  }
}

// The folder browser runs modally inside the click on "..."; a second thread answers it.
TEST_F(StillsaverTest, FolderBrowserResults) {
  // A folder in a small tree (the Wine prefix's temp folder): the browser expands every folder
  // on the way to the selection, and a large tree (such as the build folder) takes it seconds.
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  wintest::ScratchDir dir("ss_browse", temp);
  store_.strings["path"] = dir.path() + "\\";
  testhost::FilterHost& h = Start();
  HWND dialog = SettingsDialogOf(h.window());
  h.Command(IDC_SHOW_SETTINGS);
  auto browse = [&](const std::function<void(HWND)>& answer) {
    return wintest::RunModalDialog(
        dialog, [&] { return static_cast<unsigned>(SendDlgItemMessageA(dialog, 117, BM_CLICK, 0, 0)); },
        answer);
  };
  // Cancel leaves the edit as it was.
  const auto cancelled = browse([](HWND browser) { PostMessageA(browser, WM_COMMAND, IDCANCEL, 0); });
  EXPECT_TRUE(cancelled.found);
  EXPECT_EQ(WindowText(GetDlgItem(dialog, 103)), dir.path() + "\\");

  // OK on the folder the browser opened with: the path comes back with its backslash. The
  // browser selects it after it appears; its edit box shows the selected folder's name.
  SetDlgItemTextA(dialog, 103, "");
  const std::string leaf = dir.path().substr(dir.path().rfind('\\') + 1);
  std::string shown;
  const auto chosen = browse([&](HWND browser) {
    for (int waited = 0; waited < 20000 && shown != leaf; waited += 20) {
      HWND edit = FindWindowExA(browser, nullptr, "Edit", nullptr);
      shown = edit ? WindowText(edit) : std::string();
      if (shown != leaf) Sleep(20);
    }
    PostMessageA(browser, WM_COMMAND, IDOK, 0);
  });
  EXPECT_TRUE(chosen.found);
  EXPECT_EQ(shown, leaf);
  EXPECT_EQ(WindowText(GetDlgItem(dialog, 103)), dir.path() + "\\");
}

}  // namespace
}  // namespace stillsavertest
