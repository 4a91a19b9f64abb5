// The modal settings dialog under a virtual display: its template, what it shows, and what
// OK, CANCEL and the close box store.
#include <commctrl.h>

#include <vector>

#include "seqwriter/output_config.h"
#include "seqwriter/resource.h"
#include "tests/seqwriter/seqwriter_fixture.h"
#include "tests/win/dialog_driver.h"
#include "tests/win/dialog_template.h"

namespace seqwritertest {
namespace {

using wintest::Click;
using wintest::IsChecked;
using wintest::WindowText;

constexpr DWORD kCommon = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP;
constexpr DWORD kButtonType = 0x0F;
constexpr DWORD kRadio = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON;

const std::vector<wintest::TemplateControl> kTemplate = {
    {IDOK, "Button", "OK", 4, 252, 64, 16, kCommon | 0x0E, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0},
    {IDCANCEL, "Button", "CANCEL", 73, 252, 64, 16, kCommon | 0x0E, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0},
    {-1, "Static", "連番ファイル名の付け方", 4, 4, 136, 8, kCommon | 0x1F, WS_CHILD | WS_VISIBLE | SS_LEFT, 0},
    {-1, "Static", "%d = 番号 ( printfのように使えます )", 4, 16, 136, 8, kCommon | 0x1F,
     WS_CHILD | WS_VISIBLE | SS_LEFT, 0},
    {IDC_NAME_PATTERN, "Edit", "_%04d", 4, 26, 136, 12, kCommon | ES_AUTOHSCROLL | ES_MULTILINE,
     WS_CHILD | WS_VISIBLE | WS_TABSTOP, WS_EX_CLIENTEDGE},
    {IDC_QUALITY_LABEL, "Static", "圧縮品質 75", 4, 48, 136, 8, kCommon | 0x1F, WS_CHILD | WS_VISIBLE | SS_LEFT, 0},
    {IDC_QUALITY, "msctls_trackbar32", "Quality", 4, 58, 136, 12, kCommon | TBS_AUTOTICKS,
     WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBS_AUTOTICKS, 0},
    {IDC_OPTIMIZE, "Button", "ハフマンテーブル最適化", 4, 72, 96, 10, kCommon | kButtonType,
     WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 0},
    {IDC_PROGRESSIVE, "Button", "プログレッシブ", 4, 88, 96, 10, kCommon | kButtonType,
     WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0},
    {-1, "Button", "ダウンサンプリング", 4, 106, 136, 110, kCommon | kButtonType,
     WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0},
    {IDC_SAMPLING_1X1, "Button", "4:4:4(1x1)", 10, 116, 108, 12, kCommon | kButtonType, kRadio | WS_GROUP, 0},
    {IDC_SAMPLING_2X1, "Button", "4:2:2(2x1)YUY2相当", 10, 130, 96, 12, kCommon | kButtonType, kRadio, 0},
    {IDC_SAMPLING_2X2, "Button", "4:1:1(2x2)YV12相当※一般的", 10, 144, 108, 12, kCommon | kButtonType, kRadio, 0},
    {IDC_SAMPLING_GRAY, "Button", "グレースケール", 10, 158, 108, 12, kCommon | kButtonType, kRadio, 0},
    {IDC_SAMPLING_1X2, "Button", "4:2:2(1x2)", 10, 172, 108, 12, kCommon | kButtonType, kRadio, 0},
    {IDC_SAMPLING_4X2, "Button", "8:1:1(4x2)", 10, 186, 108, 12, kCommon | kButtonType, kRadio, 0},
    {IDC_SAMPLING_2X4, "Button", "8:1:1(2x4)", 10, 200, 108, 12, kCommon | kButtonType, kRadio, 0},
    {-1, "Button", "量子化テーブル", 4, 220, 136, 27, kCommon | kButtonType,
     WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0},
    {IDC_QUANT_STANDARD, "Button", "標準", 10, 230, 36, 12, kCommon | kButtonType, kRadio | WS_GROUP, 0},
    {IDC_QUANT_PHOTO, "Button", "フォトショ風", 46, 230, 48, 12, kCommon | kButtonType, kRadio, 0},
    {IDC_QUANT_ZIGZAG, "Button", "ジグザグ", 94, 230, 38, 12, kCommon | kButtonType, kRadio, 0},
};

// The check boxes and radio buttons the defaults check; the radios also stand for any code out
// of range.
const std::vector<int> kDefaultChecks = {IDC_OPTIMIZE, IDC_PROGRESSIVE, IDC_SAMPLING_2X2,
                                         IDC_QUANT_STANDARD};

// What a script saw of the dialog, checked on the main thread afterwards.
struct Seen {
  std::string pattern, label;
  int trackPos = -1, trackMin = -1, trackMax = -1;
  std::vector<int> checked;
};

void LookAtState(HWND dialog, Seen& seen) {
  seen.pattern = WindowText(GetDlgItem(dialog, IDC_NAME_PATTERN));
  seen.label = WindowText(GetDlgItem(dialog, IDC_QUALITY_LABEL));
  HWND track = GetDlgItem(dialog, IDC_QUALITY);
  seen.trackPos = static_cast<int>(SendMessageA(track, TBM_GETPOS, 0, 0));
  seen.trackMin = static_cast<int>(SendMessageA(track, TBM_GETRANGEMIN, 0, 0));
  seen.trackMax = static_cast<int>(SendMessageA(track, TBM_GETRANGEMAX, 0, 0));
  for (int id = IDC_OPTIMIZE; id <= IDC_QUANT_ZIGZAG; ++id)
    if (IsChecked(dialog, id)) seen.checked.push_back(id);
}

// The quality trackbar, moved as a drag would end.
void MoveTrackbar(HWND dialog, int pos) { wintest::MoveTrackbar(dialog, IDC_QUALITY, pos); }

class SeqwriterDialog : public SeqwriterTest {
 protected:
  wintest::DialogRun Run(const std::function<void(HWND)>& script) {
    const host::OutputTable* t = table();
    HMODULE instance = GetModuleHandleA("seqwriter.dll");
    return wintest::RunModalDialog(
        owner_.hwnd(),
        [&] { return testhost::CallPlugin(t->config, testhost::Arg(owner_.hwnd()), testhost::Arg(instance)); },
        script);
  }
  // The stored settings, read through config-get.
  seqwriter::OutputConfig Stored() const {
    const Blob b = GetBlob();
    seqwriter::OutputConfig c;
    std::memcpy(&c, b.data(), sizeof c);
    return c;
  }
  wintest::OwnerWindow owner_;
};

TEST_F(SeqwriterDialog, TemplateControlsInOrder) {
  std::vector<std::string> problems;
  std::string caption;
  RECT client{}, expectedClient{0, 0, 144, 270};
  const auto run = Run([&](HWND dialog) {
    caption = WindowText(dialog);
    GetClientRect(dialog, &client);
    MapDialogRect(dialog, &expectedClient);
    problems = wintest::TemplateDifferences(dialog, kTemplate);
    Click(dialog, IDCANCEL);
  });
  EXPECT_TRUE(run.found);
  EXPECT_TRUE(run.closedByScript);
  EXPECT_EQ(run.result, 1u);
  EXPECT_EQ(caption, "Vistrane");
  EXPECT_EQ(client.right, expectedClient.right);
  EXPECT_EQ(client.bottom, expectedClient.bottom);
  EXPECT_TRUE(problems.empty()) << ::testing::PrintToString(problems);
}

TEST_F(SeqwriterDialog, OpensWithTheDefaults) {
  Seen seen;
  const auto run = Run([&](HWND dialog) {
    LookAtState(dialog, seen);
    Click(dialog, IDCANCEL);
  });
  EXPECT_EQ(run.result, 1u);
  EXPECT_EQ(seen.pattern, "_%04d");
  EXPECT_EQ(seen.label, "\x88\xb3\x8f\x6b\x95\x69\x8e\xbf 75");  // "圧縮品質 75" in CP932
  EXPECT_EQ(seen.trackPos, 75);
  EXPECT_EQ(seen.trackMin, 0);
  EXPECT_EQ(seen.trackMax, 100);
  EXPECT_EQ(seen.checked, kDefaultChecks);
}

// The same edits, closed each way: OK stores every control, CANCEL and the close box nothing.
TEST_F(SeqwriterDialog, OkStoresEveryControlCancelAndCloseBoxNothing) {
  const struct {
    const char* how;
    void (*close)(HWND dialog);
    bool stores;
  } closings[] = {
      {"OK", [](HWND dialog) { Click(dialog, IDOK); }, true},
      {"CANCEL", [](HWND dialog) { Click(dialog, IDCANCEL); }, false},
      {"close box", [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }, false},
  };
  for (const auto& closing : closings) {
    SCOPED_TRACE(closing.how);
    Config before;
    before.pattern = "keep%d";
    before.quality = 61;
    before.spare = 4242;
    Configure(before);
    std::string liveLabel;
    const auto run = Run([&](HWND dialog) {
      SetDlgItemTextA(dialog, IDC_NAME_PATTERN, "shot-%03d");
      MoveTrackbar(dialog, 33);
      liveLabel = WindowText(GetDlgItem(dialog, IDC_QUALITY_LABEL));
      Click(dialog, IDC_OPTIMIZE);  // optimisation off
      Click(dialog, IDC_SAMPLING_4X2);
      Click(dialog, IDC_QUANT_ZIGZAG);
      closing.close(dialog);
    });
    EXPECT_TRUE(run.closedByScript);
    EXPECT_EQ(run.result, 1u);
    EXPECT_EQ(liveLabel, "圧縮品質 33");
    Config want = before;
    if (closing.stores) {
      want.pattern = "shot-%03d";
      want.quality = 33;
      want.optimize = 0;
      want.downsampling = 5;
      want.quantize = 2;
    }
    EXPECT_EQ(GetBlob(), MakeBlob(want));
  }
}

// Every downsampling radio maps to its code; the 4:2:0 radio is the fallback.
TEST_F(SeqwriterDialog, EveryRadioStoresItsCode) {
  Config c;
  c.quantize = 2;
  Configure(c);
  for (int code = 0; code <= 6; ++code) {
    Run([&](HWND dialog) {
      Click(dialog, IDC_SAMPLING_FIRST + code);
      Click(dialog, IDC_QUANT_STANDARD);
      Click(dialog, IDC_PROGRESSIVE);  // progression off
      Click(dialog, IDOK);
    });
    const seqwriter::OutputConfig stored = Stored();
    EXPECT_EQ(stored.downsampling, code);
    EXPECT_EQ(stored.quantize, 0);
    EXPECT_EQ(stored.progression, code % 2 == 0 ? 0 : 1);  // toggled on every run
  }
}

TEST_F(SeqwriterDialog, OutOfRangeCodesShowAndStoreTheFallbacks) {
  for (auto [downsampling, quantize] : {std::pair{9, -1}, std::pair{-2, 3}}) {
    Config c;
    c.downsampling = downsampling;
    c.quantize = quantize;
    Configure(c);
    Seen seen;
    Run([&](HWND dialog) {
      LookAtState(dialog, seen);
      Click(dialog, IDOK);
    });
    EXPECT_EQ(seen.checked, kDefaultChecks);
    EXPECT_EQ(GetBlob(), MakeBlob(Config{}));  // OK stores 2 and 0
  }
}

TEST_F(SeqwriterDialog, PatternWithoutTerminatorIsShownWhole) {
  Blob b = MakeBlob(Config{});
  const std::string pattern = "%d" + std::string(254, 'w');
  std::memcpy(b.data(), pattern.data(), 256);
  ASSERT_EQ(SetBlob(b.data(), 280), 280);
  Seen seen;
  Run([&](HWND dialog) {
    LookAtState(dialog, seen);
    Click(dialog, IDCANCEL);
  });
  EXPECT_EQ(seen.pattern, pattern);
}

}  // namespace
}  // namespace seqwritertest
