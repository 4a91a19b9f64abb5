// The settings: loading and storing under the nine keys, and the modeless dialog.
#include <commctrl.h>

#include <functional>
#include <map>

#include "tests/stillsaver/stillsaver_fixture.h"
#include "tests/support/jpeg_inspect.h"
#include "tests/win/dialog_driver.h"
#include "tests/win/dialog_template.h"
#include "tests/win/win_files.h"

namespace stillsavertest {
namespace {

using wintest::Click;
using wintest::IsChecked;
using wintest::WindowText;

// The integer settings in the store's order, with their defaults.
const std::vector<std::pair<std::string, int>> kDefaultInts = {
    {"qualty", 75}, {"optimize", 1}, {"progression", 1}, {"downsampling", 2},
    {"quantize", 0}, {"beep", 1},    {"colormatrix", 0}, {"progression_mine", 0}};

std::string CurrentDirectory() {
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, cwd);
  return cwd;
}

std::vector<int> CheckedIds(HWND dialog) {
  std::vector<int> v;
  for (int id = IDC_OPTIMIZE; id <= IDC_CUSTOM_SCRIPT; ++id)
    if (GetDlgItem(dialog, id) != nullptr && IsChecked(dialog, id)) v.push_back(id);
  return v;
}

int TrackPos(HWND dialog) {
  return static_cast<int>(SendDlgItemMessageA(dialog, IDC_QUALITY, TBM_GETPOS, 0, 0));
}

// The quality trackbar, moved as a drag would end.
void MoveTrackbar(HWND dialog, int pos) { wintest::MoveTrackbar(dialog, IDC_QUALITY, pos); }

std::string Label(HWND dialog) { return WindowText(GetDlgItem(dialog, IDC_QUALITY_LABEL)); }
std::string Folder(HWND dialog) { return WindowText(GetDlgItem(dialog, IDC_FOLDER)); }

TEST_F(StillsaverTest, FirstStartWithAnEmptyStore) {
  testhost::FilterHost& h = Start();
  Strings loads = {"LoadString path"};
  for (const auto& [key, value] : kDefaultInts) {
    loads.push_back("LoadInt " + key + " " + std::to_string(value));
  }
  EXPECT_EQ(h.log, loads);

  HWND dialog = SettingsDialogOf(h.window());
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Folder(dialog), CurrentDirectory() + "\\");
  EXPECT_EQ(TrackPos(dialog), 75);
  EXPECT_EQ(Label(dialog), "圧縮品質 75");
  EXPECT_EQ(CheckedIds(dialog), (std::vector<int>{IDC_OPTIMIZE, IDC_PROGRESSIVE, IDC_SAMPLING_2X2,
                                                  IDC_BEEP, IDC_QUANT_STANDARD, IDC_MATRIX_NONE}));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_CUSTOM_SCRIPT)));

  // The default folder is stored at the first filter end, then the eight integers in order.
  h.log.clear();
  h.End();
  Strings stores = {"SaveString path " + CurrentDirectory() + "\\"};
  for (const auto& [key, value] : kDefaultInts) {
    stores.push_back("SaveInt " + key + " " + std::to_string(value));
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
  EXPECT_EQ(Folder(dialog), "X:\\shots\\");
  EXPECT_EQ(TrackPos(dialog), 33);
  EXPECT_EQ(Label(dialog), "圧縮品質 33");
  // 4:2:0 and the standard tables stand for the out-of-range values.
  EXPECT_EQ(CheckedIds(dialog), (std::vector<int>{IDC_SAMPLING_2X2, IDC_QUANT_STANDARD,
                                                  IDC_MATRIX_BT709, IDC_CUSTOM_SCRIPT}));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_CUSTOM_SCRIPT)));  // progression is off

  h.Command(IDC_SHOW_SETTINGS);
  Click(dialog, IDC_APPLY);  // apply stores the fallbacks
  EXPECT_TRUE(IsWindowVisible(dialog));
  h.End();
  EXPECT_EQ(store_.ints["downsampling"], 2);
  EXPECT_EQ(store_.ints["quantize"], 0);
  EXPECT_EQ(store_.ints["qualty"], 33);
  EXPECT_EQ(store_.ints["progression_mine"], 1);
  EXPECT_EQ(store_.ints["colormatrix"], 1);
  EXPECT_EQ(store_.strings["path"], "X:\\shots\\");
}

// The same edits, closed each way: OK applies them and hides, apply applies them and stays,
// CANCEL and the close box hide and keep them unapplied in the controls for the next showing.
TEST_F(StillsaverTest, EachWayOfClosingAppliesOrKeepsTheEdits) {
  const struct {
    const char* how;
    void (*close)(HWND dialog);
    bool applies, hides;
  } closings[] = {
      {"OK", [](HWND dialog) { Click(dialog, IDOK); }, true, true},
      {"apply", [](HWND dialog) { Click(dialog, IDC_APPLY); }, true, false},
      {"CANCEL", [](HWND dialog) { Click(dialog, IDCANCEL); }, false, true},
      {"close box", [](HWND dialog) { SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }, false, true},
  };
  const std::map<std::string, int> defaults(kDefaultInts.begin(), kDefaultInts.end());
  const std::map<std::string, int> edited = {
      {"qualty", 91},   {"optimize", 0}, {"progression", 1}, {"downsampling", 6},
      {"quantize", 1},  {"beep", 0},     {"colormatrix", 1}, {"progression_mine", 1}};
  for (const auto& closing : closings) {
    SCOPED_TRACE(closing.how);
    store_ = {};
    testhost::FilterHost& h = Start();
    HWND dialog = SettingsDialogOf(h.window());
    h.Command(IDC_SHOW_SETTINGS);
    MoveTrackbar(dialog, 91);
    EXPECT_EQ(Label(dialog), "圧縮品質 91");  // the label follows at once
    for (int id : {IDC_OPTIMIZE, IDC_BEEP, IDC_CUSTOM_SCRIPT, IDC_SAMPLING_2X4, IDC_QUANT_PHOTO,
                   IDC_MATRIX_BT709}) {
      Click(dialog, id);
    }
    closing.close(dialog);
    EXPECT_EQ(IsWindowVisible(dialog) == FALSE, closing.hides);
    if (!closing.applies) {
      h.Command(IDC_SHOW_SETTINGS);
      EXPECT_EQ(TrackPos(dialog), 91);
      EXPECT_TRUE(IsChecked(dialog, IDC_SAMPLING_2X4));
    }
    h.End();
    EXPECT_EQ(store_.ints, closing.applies ? edited : defaults);
    Close();
  }
}

// Every radio button applies its value, whatever was stored before.
TEST_F(StillsaverTest, EveryRadioAppliesItsValue) {
  store_.ints = {{"downsampling", 6}, {"quantize", 1}, {"colormatrix", 1}};
  for (int value = 0; value <= 6; ++value) {
    testhost::FilterHost& h = Start();
    HWND d = SettingsDialogOf(h.window());
    Click(d, IDC_SAMPLING_FIRST + value);
    Click(d, IDC_QUANT_FIRST + value % 3);
    Click(d, IDC_MATRIX_FIRST + value % 2);
    Click(d, IDC_APPLY);
    h.End();
    EXPECT_EQ(store_.ints["downsampling"], value);
    EXPECT_EQ(store_.ints["quantize"], value % 3);
    EXPECT_EQ(store_.ints["colormatrix"], value % 2);
    Close();
  }
}

TEST_F(StillsaverTest, ProgressiveBoxEnablesTheCustomScriptBox) {
  testhost::FilterHost& h = Start();
  HWND dialog = SettingsDialogOf(h.window());
  h.Command(IDC_SHOW_SETTINGS);
  Click(dialog, IDC_CUSTOM_SCRIPT);  // on
  Click(dialog, IDC_PROGRESSIVE);    // off
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_CUSTOM_SCRIPT)));
  EXPECT_TRUE(IsChecked(dialog, IDC_CUSTOM_SCRIPT));  // keeps its check mark
  Click(dialog, IDC_APPLY);
  Click(dialog, IDC_PROGRESSIVE);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_CUSTOM_SCRIPT)));
  Click(dialog, IDC_PROGRESSIVE);
  Click(dialog, IDC_APPLY);
  h.End();
  EXPECT_EQ(store_.ints["progression"], 0);
  EXPECT_EQ(store_.ints["progression_mine"], 1);
}

// Applied settings reach the next save at once and survive a filter end and a new start.
TEST_F(StillsaverTest, SettingsPersistAcrossSessions) {
  wintest::ScratchDir dir("ss_persist");
  store_.strings["path"] = dir.path() + "\\";
  testhost::FilterHost& h = Start();
  HWND dialog = SettingsDialogOf(h.window());
  Click(dialog, IDC_SAMPLING_GRAY);
  Click(dialog, IDC_APPLY);
  h.Command(IDC_SAVE_FRAME);
  h.End();
  Close();

  testhost::FilterHost& again = Start();
  dialog = SettingsDialogOf(again.window());
  EXPECT_TRUE(IsChecked(dialog, IDC_SAMPLING_GRAY));
  EXPECT_EQ(Folder(dialog), dir.path() + "\\");
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
  HWND edit = GetDlgItem(SettingsDialogOf(h.window()), IDC_FOLDER);
  const LONG style = GetWindowLongA(edit, GWL_STYLE);
  EXPECT_TRUE(style & ES_READONLY);
  EXPECT_TRUE(style & ES_AUTOHSCROLL);
  EXPECT_TRUE(GetWindowLongA(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
}

// The template: 28 controls in tab order with their ids, classes, captions and positions, each
// visible, with tab stops and groups where the template puts them.
TEST_F(StillsaverTest, DialogTemplate) {
  constexpr DWORD kShown = WS_VISIBLE, kTab = WS_VISIBLE | WS_TABSTOP, kGroup = WS_VISIBLE | WS_GROUP;
  const std::vector<wintest::TemplateControl> controls = {
      {IDOK, "Button", "OK", 4, 304, 45, 16, kTab, kTab, 0},
      {IDC_APPLY, "Button", "適用", 49, 304, 45, 16, kTab, kTab, 0},
      {IDCANCEL, "Button", "CANCEL", 94, 304, 45, 16, kTab, kTab, 0},
      {-1, "Static", "保存フォルダ", 4, 4, 118, 8, kShown, kShown, 0},
      {IDC_FOLDER, "Edit", nullptr, 2, 14, 122, 12, kTab, kTab, 0},
      {-1, "Static", "（ファイル名は現在時刻になります）", 4, 30, 134, 8, kShown, kShown, 0},
      {IDC_QUALITY_LABEL, "Static", "圧縮品質 75", 4, 60, 136, 8, kShown, kShown, 0},
      {IDC_QUALITY, "msctls_trackbar32", "Quality", 4, 70, 136, 12, kTab, kTab, 0},
      {IDC_OPTIMIZE, "Button", "ハフマンテーブル最適化", 4, 84, 128, 12, kTab, kShown, 0},
      {IDC_PROGRESSIVE, "Button", "プログレッシブ", 4, 98, 128, 12, kTab, kTab, 0},
      {IDC_CUSTOM_SCRIPT, "Button", "カスタム版を使う", 12, 110, 128, 12, kTab, kTab, 0},
      {-1, "Button", "ダウンサンプリング", 4, 126, 136, 100, kShown, kShown, 0},
      {IDC_SAMPLING_1X1, "Button", "4:4:4(1x1)", 10, 138, 108, 12, kGroup, kGroup, 0},
      {IDC_SAMPLING_2X1, "Button", "4:2:2(2x1)YUY2相当", 10, 150, 108, 12, kShown, kShown, 0},
      {IDC_SAMPLING_2X2, "Button", "4:1:1(2x2)YV12相当※一般的", 10, 162, 108, 12, kShown, kShown, 0},
      {IDC_SAMPLING_GRAY, "Button", "グレースケール", 10, 174, 108, 12, kShown, kShown, 0},
      {IDC_SAMPLING_1X2, "Button", "4:2:2(1x2)", 10, 186, 108, 12, kShown, kShown, 0},
      {IDC_SAMPLING_4X2, "Button", "8:1:1(4x2)", 10, 198, 108, 12, kShown, kShown, 0},
      {IDC_SAMPLING_2X4, "Button", "8:1:1(2x4)", 10, 210, 108, 12, kShown, kShown, 0},
      {IDC_BROWSE, "Button", "...", 128, 14, 12, 12, kTab, kShown, 0},
      {IDC_BEEP, "Button", "保存時ビープ音を鳴らす", 4, 40, 128, 10, kTab, kShown, 0},
      {-1, "Button", "量子化テーブル", 4, 230, 136, 26, kShown, kShown, 0},
      {IDC_QUANT_STANDARD, "Button", "標準", 10, 240, 36, 12, kGroup, kGroup, 0},
      {IDC_QUANT_PHOTO, "Button", "フォトショ風", 46, 240, 48, 12, kShown, kShown, 0},
      {IDC_QUANT_ZIGZAG, "Button", "ジグザグ", 94, 240, 38, 12, kShown, kShown, 0},
      {-1, "Button", "色変換(本体の色変換は無視のため)", 4, 260, 136, 36, kShown, kShown, 0},
      {IDC_MATRIX_NONE, "Button", "無変換（わからないならこちら）", 10, 270, 108, 12, kGroup, kGroup, 0},
      {IDC_MATRIX_BT709, "Button", "内部BT.709→BT.601", 10, 282, 108, 12, kShown, kShown, 0},
  };
  testhost::FilterHost& h = Start();
  HWND dialog = SettingsDialogOf(h.window());
  EXPECT_FALSE(GetWindowLongA(dialog, GWL_STYLE) & WS_VISIBLE);
  const std::vector<std::string> problems = wintest::TemplateDifferences(dialog, controls);
  EXPECT_TRUE(problems.empty()) << ::testing::PrintToString(problems);
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
        dialog, [&] { return static_cast<unsigned>(SendDlgItemMessageA(dialog, IDC_BROWSE, BM_CLICK, 0, 0)); },
        answer);
  };
  // Cancel leaves the edit as it was.
  const auto cancelled = browse([](HWND browser) { PostMessageA(browser, WM_COMMAND, IDCANCEL, 0); });
  EXPECT_TRUE(cancelled.found);
  EXPECT_EQ(Folder(dialog), dir.path() + "\\");

  // OK on the folder the browser opened with: the path comes back with its backslash. The
  // browser selects it after it appears; its edit box shows the selected folder's name.
  SetDlgItemTextA(dialog, IDC_FOLDER, "");
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
  EXPECT_EQ(Folder(dialog), dir.path() + "\\");
}

}  // namespace
}  // namespace stillsavertest
