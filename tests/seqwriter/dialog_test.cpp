// The modal settings dialog under a virtual display: its template, what it shows, and what
// OK, CANCEL and the close box store.
#include <commctrl.h>

#include <vector>

#include "tests/seqwriter/seqwriter_fixture.h"
#include "tests/win/dialog_driver.h"

namespace seqwritertest {
namespace {

using wintest::ClassName;
using wintest::Click;
using wintest::IsChecked;
using wintest::WindowText;

struct ExpectedControl {
  int id;
  const char* cls;
  std::string text;
  int x, y, w, h;
  DWORD mask, bits;  // style bits that must be set exactly as given, within mask
  DWORD exBits;      // extended style bits that must be set
};

constexpr DWORD kCommon = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP;
constexpr DWORD kButtonType = 0x0F;

const std::vector<ExpectedControl>& Template() {
  static const std::vector<ExpectedControl> controls = {
      {1, "Button", "OK", 4, 252, 64, 16, kCommon | 0x0E, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0},
      {2, "Button", "CANCEL", 73, 252, 64, 16, kCommon | 0x0E, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0},
      {-1, "Static", "連番ファイル名の付け方", 4, 4, 136, 8, kCommon | 0x1F, WS_CHILD | WS_VISIBLE | SS_LEFT, 0},
      {-1, "Static", "%d = 番号 ( printfのように使えます )", 4, 16, 136, 8, kCommon | 0x1F,
       WS_CHILD | WS_VISIBLE | SS_LEFT, 0},
      {104, "Edit", "_%04d", 4, 26, 136, 12, kCommon | ES_AUTOHSCROLL | ES_MULTILINE,
       WS_CHILD | WS_VISIBLE | WS_TABSTOP, WS_EX_CLIENTEDGE},
      {105, "Static", "圧縮品質 75", 4, 48, 136, 8, kCommon | 0x1F, WS_CHILD | WS_VISIBLE | SS_LEFT, 0},
      {106, "msctls_trackbar32", "Quality", 4, 58, 136, 12, kCommon | TBS_AUTOTICKS,
       WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBS_AUTOTICKS, 0},
      {107, "Button", "ハフマンテーブル最適化", 4, 72, 96, 10, kCommon | kButtonType,
       WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 0},
      {108, "Button", "プログレッシブ", 4, 88, 96, 10, kCommon | kButtonType,
       WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0},
      {-1, "Button", "ダウンサンプリング", 4, 106, 136, 110, kCommon | kButtonType,
       WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0},
      {109, "Button", "4:4:4(1x1)", 10, 116, 108, 12, kCommon | kButtonType,
       WS_CHILD | WS_VISIBLE | WS_GROUP | BS_AUTORADIOBUTTON, 0},
      {110, "Button", "4:2:2(2x1)YUY2相当", 10, 130, 96, 12, kCommon | kButtonType,
       WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, 0},
      {111, "Button", "4:1:1(2x2)YV12相当※一般的", 10, 144, 108, 12, kCommon | kButtonType,
       WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, 0},
      {112, "Button", "グレースケール", 10, 158, 108, 12, kCommon | kButtonType,
       WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, 0},
      {113, "Button", "4:2:2(1x2)", 10, 172, 108, 12, kCommon | kButtonType,
       WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, 0},
      {114, "Button", "8:1:1(4x2)", 10, 186, 108, 12, kCommon | kButtonType,
       WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, 0},
      {115, "Button", "8:1:1(2x4)", 10, 200, 108, 12, kCommon | kButtonType,
       WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, 0},
      {-1, "Button", "量子化テーブル", 4, 220, 136, 27, kCommon | kButtonType,
       WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0},
      {116, "Button", "標準", 10, 230, 36, 12, kCommon | kButtonType,
       WS_CHILD | WS_VISIBLE | WS_GROUP | BS_AUTORADIOBUTTON, 0},
      {117, "Button", "フォトショ風", 46, 230, 48, 12, kCommon | kButtonType,
       WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, 0},
      {118, "Button", "ジグザグ", 94, 230, 38, 12, kCommon | kButtonType,
       WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, 0},
  };
  return controls;
}

// What a script saw of the dialog, checked on the main thread afterwards.
struct Seen {
  std::vector<std::string> problems;
  std::string pattern, label;
  int trackPos = -1, trackMin = -1, trackMax = -1;
  std::vector<int> checked;
  void Expect(bool ok, const std::string& what) {
    if (!ok) problems.push_back(what);
  }
};

void LookAtState(HWND dialog, Seen& seen) {
  seen.pattern = WindowText(GetDlgItem(dialog, 104));
  seen.label = WindowText(GetDlgItem(dialog, 105));
  HWND track = GetDlgItem(dialog, 106);
  seen.trackPos = static_cast<int>(SendMessageA(track, TBM_GETPOS, 0, 0));
  seen.trackMin = static_cast<int>(SendMessageA(track, TBM_GETRANGEMIN, 0, 0));
  seen.trackMax = static_cast<int>(SendMessageA(track, TBM_GETRANGEMAX, 0, 0));
  for (int id = 107; id <= 118; ++id)
    if (IsChecked(dialog, id)) seen.checked.push_back(id);
}

// The quality trackbar, moved as a drag would end.
void MoveTrackbar(HWND dialog, int pos) { wintest::MoveTrackbar(dialog, 106, pos); }

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
  wintest::OwnerWindow owner_;
};

TEST_F(SeqwriterDialog, TemplateControlsInOrder) {
  Seen seen;
  std::string caption;
  DWORD style = 0, exStyle = 0;
  RECT client{}, expectedClient{0, 0, 144, 270};
  const auto run = Run([&](HWND dialog) {
    caption = WindowText(dialog);
    style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
    exStyle = static_cast<DWORD>(GetWindowLongA(dialog, GWL_EXSTYLE));
    GetClientRect(dialog, &client);
    MapDialogRect(dialog, &expectedClient);
    HWND child = GetWindow(dialog, GW_CHILD);
    for (const ExpectedControl& c : Template()) {
      const std::string name = "control " + std::to_string(c.id) + " '" + c.text + "'";
      if (child == nullptr) {
        seen.problems.push_back("missing " + name);
        break;
      }
      seen.Expect(static_cast<int>(static_cast<short>(GetDlgCtrlID(child))) == c.id, name + ": id");
      seen.Expect(ClassName(child) == c.cls ||
                      (std::string(c.cls) == "msctls_trackbar32" && ClassName(child) == "msctls_trackbar32"),
                  name + ": class " + ClassName(child));
      seen.Expect(WindowText(child) == c.text, name + ": text '" + WindowText(child) + "'");
      const DWORD s = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
      // The dialog manager gives the checked radio button of a group the tab stop.
      const DWORD mask = (c.bits & 0x0F) == BS_AUTORADIOBUTTON && std::string(c.cls) == "Button"
                             ? c.mask & ~static_cast<DWORD>(WS_TABSTOP)
                             : c.mask;
      seen.Expect((s & mask & ~0x0Fu) == (c.bits & mask & ~0x0Fu), name + ": style flags");
      if (c.id == 1 || c.id == 2) {
        seen.Expect((s & 0x0F) == BS_PUSHBUTTON || (s & 0x0F) == BS_DEFPUSHBUTTON, name + ": push button");
      } else {
        seen.Expect((s & c.mask & 0x0F) == (c.bits & c.mask & 0x0F), name + ": control type");
      }
      const DWORD ex = static_cast<DWORD>(GetWindowLongA(child, GWL_EXSTYLE));
      seen.Expect((ex & c.exBits) == c.exBits, name + ": extended style");
      // The dialog manager converts origin and size separately.
      RECT origin{c.x, c.y, c.x, c.y}, size{0, 0, c.w, c.h};
      MapDialogRect(dialog, &origin);
      MapDialogRect(dialog, &size);
      const RECT want{origin.left, origin.top, origin.left + size.right, origin.top + size.bottom};
      RECT got;
      GetWindowRect(child, &got);
      MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&got), 2);
      seen.Expect(EqualRect(&want, &got) != FALSE,
                  name + ": position " + std::to_string(got.left) + "," + std::to_string(got.top) + "," +
                      std::to_string(got.right) + "," + std::to_string(got.bottom) + " want " +
                      std::to_string(want.left) + "," + std::to_string(want.top) + "," +
                      std::to_string(want.right) + "," + std::to_string(want.bottom));
      child = GetWindow(child, GW_HWNDNEXT);
    }
    seen.Expect(child == nullptr, "more controls than the template has");
    Click(dialog, 2);
  });
  EXPECT_TRUE(run.found);
  EXPECT_TRUE(run.closedByScript);
  EXPECT_EQ(run.result, 1u);
  EXPECT_EQ(caption, "Vistrane");
  EXPECT_EQ((style & (WS_POPUP | WS_CAPTION | WS_SYSMENU)), static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU));
  EXPECT_EQ((exStyle & (WS_EX_DLGMODALFRAME | WS_EX_STATICEDGE)),
            static_cast<DWORD>(WS_EX_DLGMODALFRAME | WS_EX_STATICEDGE));
  EXPECT_EQ(client.right, expectedClient.right);
  EXPECT_EQ(client.bottom, expectedClient.bottom);
  EXPECT_TRUE(seen.problems.empty()) << ::testing::PrintToString(seen.problems);
}

TEST_F(SeqwriterDialog, OpensWithTheDefaults) {
  Seen seen;
  const auto run = Run([&](HWND dialog) {
    LookAtState(dialog, seen);
    Click(dialog, 2);
  });
  EXPECT_EQ(run.result, 1u);
  EXPECT_EQ(seen.pattern, "_%04d");
  EXPECT_EQ(seen.label, "\x88\xb3\x8f\x6b\x95\x69\x8e\xbf 75");  // "圧縮品質 75" in CP932
  EXPECT_EQ(seen.trackPos, 75);
  EXPECT_EQ(seen.trackMin, 0);
  EXPECT_EQ(seen.trackMax, 100);
  EXPECT_EQ(seen.checked, (std::vector<int>{107, 108, 111, 116}));
}

TEST_F(SeqwriterDialog, OkStoresEveryControl) {
  Config before;
  before.spare = 4242;
  Configure(before);
  std::string liveLabel;
  const auto run = Run([&](HWND dialog) {
    SetDlgItemTextA(dialog, 104, "shot-%03d");
    MoveTrackbar(dialog, 33);
    liveLabel = WindowText(GetDlgItem(dialog, 105));
    Click(dialog, 107);  // optimisation off
    Click(dialog, 114);
    Click(dialog, 118);
    Click(dialog, 1);
  });
  EXPECT_TRUE(run.closedByScript);
  EXPECT_EQ(run.result, 1u);
  EXPECT_EQ(liveLabel, "圧縮品質 33");
  Config want;
  want.pattern = "shot-%03d";
  want.quality = 33;
  want.optimize = 0;
  want.progression = 1;
  want.downsampling = 5;
  want.quantize = 2;
  want.spare = 4242;
  EXPECT_EQ(GetBlob(), MakeBlob(want));

  // Every downsampling radio maps to its code; the 4:2:0 radio is the fallback.
  for (int code = 0; code <= 6; ++code) {
    Run([&](HWND dialog) {
      Click(dialog, 109 + code);
      Click(dialog, 116);
      Click(dialog, 108);  // progression off
      Click(dialog, 1);
    });
    const Blob b = GetBlob();
    int32_t downsampling, quantize, progression;
    std::memcpy(&downsampling, b.data() + 268, 4);
    std::memcpy(&quantize, b.data() + 272, 4);
    std::memcpy(&progression, b.data() + 264, 4);
    EXPECT_EQ(downsampling, code);
    EXPECT_EQ(quantize, 0);
    EXPECT_EQ(progression, code % 2 == 0 ? 0 : 1);  // toggled on every run
  }
}

TEST_F(SeqwriterDialog, CancelAndCloseBoxStoreNothing) {
  Config c;
  c.pattern = "keep%d";
  c.quality = 61;
  c.spare = -7;
  Configure(c);
  const Blob before = GetBlob();
  auto edit = [](HWND dialog) {
    SetDlgItemTextA(dialog, 104, "changed%d");
    MoveTrackbar(dialog, 5);
    Click(dialog, 107);
    Click(dialog, 112);
    Click(dialog, 117);
  };
  const auto cancel = Run([&](HWND dialog) {
    edit(dialog);
    Click(dialog, 2);
  });
  EXPECT_TRUE(cancel.closedByScript);
  EXPECT_EQ(cancel.result, 1u);
  EXPECT_EQ(GetBlob(), before);

  const auto closeBox = Run([&](HWND dialog) {
    edit(dialog);
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  EXPECT_TRUE(closeBox.closedByScript);
  EXPECT_EQ(closeBox.result, 1u);
  EXPECT_EQ(GetBlob(), before);
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
      Click(dialog, 1);
    });
    EXPECT_EQ(seen.checked, (std::vector<int>{107, 108, 111, 116}));
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
    Click(dialog, 2);
  });
  EXPECT_EQ(seen.pattern, pattern);
}

}  // namespace
}  // namespace seqwritertest
