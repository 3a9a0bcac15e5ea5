// The dialog base: the keyboard hook's decisions, the routing of commands to controls, the
// edit control's limits, and the modal run.
#include <gtest/gtest.h>

#include <SDL.h>

#include "support/dialog_driver.h"
#include "platform/input.h"
#include "platform/message.h"
#include "platform/window.h"
#include "platform/msgbox.h"
#include "support/temp_dir.h"
#include "ui/control.h"
#include "ui/dialog.h"
#include "ui/edit_limits.h"
#include "ui/keyboard_hook.h"

namespace {

LRESULT NoProc(HWND, UINT, WPARAM, LPARAM) { return 0; }

struct HookCase {
  int vk;
  bool up;
  bool context;
  bool composing;
  bool modeless;
  int ctrlBefore;
  HookAction action;
  int ctrlAfter;
};

TEST(KeyboardHook, DecisionTable) {
  const HookCase cases[] = {
      {VK_TAB, false, true, false, false, 0, HookAction::kNone, 0},
      {VK_TAB, true, true, false, false, 0, HookAction::kKeyUp, 0},
      {VK_RETURN, false, true, true, false, 0, HookAction::kNone, 0},
      {VK_RETURN, false, true, false, false, 0, HookAction::kKeyDown, 0},
      {VK_RETURN, false, false, true, false, 0, HookAction::kKeyDown, 0},
      {VK_F1 + 2, false, true, false, false, 0, HookAction::kForward, 0},
      {VK_F1 + 2, false, true, true, false, 0, HookAction::kKeyDown, 0},
      {VK_F1 + 2, false, false, false, false, 0, HookAction::kKeyDown, 0},
      {VK_F1 + 7, false, true, false, false, 0, HookAction::kForward, 0},
      {VK_F1 + 8, false, true, false, false, 0, HookAction::kKeyDown, 0},
      {VK_SPACE, false, true, false, false, 0, HookAction::kForward, 0},
      {VK_DELETE, false, true, false, false, 0, HookAction::kForward, 0},
      {VK_DOWN, false, true, false, false, 0, HookAction::kForward, 0},
      {'A', false, true, false, false, 0, HookAction::kKeyDown, 0},
      {'A', true, true, false, false, 0, HookAction::kKeyUp, 0},
      {VK_CONTROL, false, true, false, false, 0, HookAction::kKeyDown, 1},
      {VK_CONTROL, false, true, false, true, 0, HookAction::kNone, 1},
      {'A', false, true, false, true, 1, HookAction::kNone, 1},
      {'A', false, true, false, false, 1, HookAction::kKeyDown, 1},
      {'A', true, true, false, true, 1, HookAction::kNone, 1},
      {VK_CONTROL, true, true, false, true, 1, HookAction::kKeyUp, 0},
      {VK_F1 + 2, false, true, false, true, 1, HookAction::kForward, 1},
  };
  for (const HookCase& c : cases) {
    int ctrl = c.ctrlBefore;
    EXPECT_EQ(DecideHookAction(c.vk, c.up, c.context, c.composing, c.modeless, &ctrl), c.action)
        << "vk " << c.vk << " up " << c.up << " composing " << c.composing << " modeless " << c.modeless;
    EXPECT_EQ(ctrl, c.ctrlAfter) << "vk " << c.vk;
  }
}

TEST(KeyboardHook, SecondDialogReusesTheInstalledHook) {
  cHook::UnhookAll();
  HWND a = CreateWindowHandle(&NoProc);
  HWND b = CreateWindowHandle(&NoProc);
  cHook first, second;
  EXPECT_EQ(first.KeyboardHook(a, 0), 1);
  EXPECT_TRUE(cHook::Installed());
  // A second installation on the thread would be refused: 1 shows the first one is reused.
  EXPECT_EQ(second.KeyboardHook(b, 0), 1);
  EXPECT_EQ(GetPropA(b, "cHook"), &second);
  cHook::UnhookAll();
  EXPECT_FALSE(cHook::Installed());
  RemovePropA(a, "cHook");
  RemovePropA(b, "cHook");
  DestroyWindowHandle(a);
  DestroyWindowHandle(b);
}

class CountingControl : public cControl {
 public:
  explicit CountingControl(int kind) : cControl(kind) {}
  int changes = 0;
  int killed = 0;
  void OnChange() override { ++changes; }
  void OnKillFocus() override { ++killed; }
};

TEST(DialogCommands, EditNotificationsGoToTheFirstEditWithTheId) {
  cDialog dialog;
  CountingControl box(5), edit(3), later(3), other(3);
  box.m_nId = edit.m_nId = later.m_nId = 1003;
  other.m_nId = 1004;
  dialog.m_vControl = {&box, &other, &edit, &later};
  dialog.OnCommand(MAKEWPARAM(1003, EN_UPDATE), 0);
  dialog.OnCommand(MAKEWPARAM(1003, EN_KILLFOCUS), 0);
  dialog.OnCommand(MAKEWPARAM(1003, EN_CHANGE), 0);
  EXPECT_EQ(box.changes, 0);
  EXPECT_EQ(other.changes, 0);
  EXPECT_EQ(edit.changes, 1);
  EXPECT_EQ(edit.killed, 1);
  EXPECT_EQ(later.changes, 0);
}

TEST(DialogCommands, ACommandCausedByACommandIsDropped) {
  struct Nested : cDialog {
    int seen = 0;
    void OnCommand(WPARAM w, LPARAM l) override {
      ++seen;
      EXPECT_EQ(MsgProc(m_hWnd, WM_COMMAND, w, l), 0);
    }
  } dialog;
  HWND h = CreateWindowHandle(&NoProc);
  EXPECT_EQ(dialog.MsgProc(h, WM_COMMAND, MAKEWPARAM(1, 0), 0), 1);
  EXPECT_EQ(dialog.seen, 1);
  // The guard is down again afterwards.
  dialog.MsgProc(h, WM_COMMAND, MAKEWPARAM(1, 0), 0);
  EXPECT_EQ(dialog.seen, 2);
  DestroyWindowHandle(h);
}

TEST(EditControl, GetDataWhileUpdatingLeavesTheBoundText) {
  cDialog dialog;
  std::string bound = "abc";
  cEdit edit;
  edit.m_lpDialog = &dialog;
  edit.m_pText = &bound;
  HWND h = CreateWindowHandle(&NoProc);
  edit.m_hDlg = h;
  edit.m_nId = 7;
  SetDlgItemTextA(h, 7, "xyz");
  dialog.m_bUpdating = 1;
  edit.GetData();
  EXPECT_EQ(bound, "abc");
  dialog.m_bUpdating = 0;
  edit.GetData();
  EXPECT_EQ(bound, "xyz");
  SetDlgItemTextA(h, 7, "");
  DestroyWindowHandle(h);
}

struct EditCase {
  const char* name;
  EditLimits limits;
  std::string last;
  std::string text;
  int s, e;
  bool backspace;
  bool init;
  std::string want;
  int wantS, wantE;
};

TEST(EditControl, LimitCases) {
  const EditLimits oneLineOf3{4096, 3, 1, 0};
  const EditLimits twoLinesOf3{4096, 3, 2, 0};
  const EditLimits oneLine{4096, 1024, 1, 0};
  const EditLimits name{4, 3, 1, 1};
  const EditCase cases[] = {
      {"fourth letter wraps and is refused", oneLineOf3, "abc", "abcd", 4, 4, false, false, "abc", 3, 3},
      {"third letter fits", oneLineOf3, "ab", "abc", 3, 3, false, false, "abc", 3, 3},
      {"paste with a line break", oneLine, "ab", "ab\r\ncd", 6, 6, false, false, "ab", 2, 2},
      {"initial text cut by one line's length", oneLineOf3, "abcd\r\ne", "abcd\r\ne", 0, 0, false, true, "abcd", 0,
       0},
      {"backspace joining a full line", twoLinesOf3, "abc\r\nd", "abcd", 3, 3, true, false, "abc\r\nd", 3, 3},
      {"delete joining a full line wraps", twoLinesOf3, "abc\r\nd", "abcd", 3, 3, false, false, "abc\r\nd", 5, 5},
      {"backspace joining a short line", twoLinesOf3, "ab\r\nc", "abc", 2, 2, true, false, "abc", 2, 2},
      {"a long line's rest joins the next", twoLinesOf3, "abc\r\nde", "axbc\r\nde", 2, 2, false, false,
       "axb\r\ncde", 2, 2},
      {"caret never between CR and LF", EditLimits{4096, 5, 2, 0}, "ab", "ab\r\n", 3, 3, false, false, "ab\r\n", 4,
       4},
      {"three double-byte characters", name, "\x82\xa0\x82\xa2", "\x82\xa0\x82\xa2\x82\xa4", 6, 6, false, false,
       "\x82\xa0\x82\xa2\x82\xa4", 6, 6},
      {"four letters counted as characters", name, "abc", "abcd", 4, 4, false, false, "abc", 3, 3},
      {"no line limits", EditLimits{4096, 0, 0, 0}, "a", "a\r\nb\r\nc", 7, 7, false, false, "a\r\nb\r\nc", 7, 7},
  };
  for (const EditCase& c : cases) {
    EditChange r = ApplyEditLimits(c.limits, c.last, c.text, c.s, c.e, c.backspace, c.init);
    EXPECT_EQ(r.text, c.want) << c.name;
    if (!c.init) {
      EXPECT_EQ(r.selStart, c.wantS) << c.name;
      EXPECT_EQ(r.selEnd, c.wantE) << c.name;
    }
    EXPECT_EQ(r.setSelection, !c.init) << c.name;
  }
}

TEST(EditControl, ReadMaximumCountsTheZero) {
  EXPECT_EQ(EditReadMaximum(EditLimits{4, 3, 1, 0}), 4);
  EXPECT_EQ(EditReadMaximum(EditLimits{4, 3, 1, 1}), 7);
}

TEST(DialogText, ReadingNeverSplitsADoubleByteCharacter) {
  HWND h = CreateWindowHandle(&NoProc);
  SetDlgItemTextA(h, 1, "a\x82\xa0\x82\xa2\x82\xa4");  // "a" and three full-width characters
  char buf[16];
  EXPECT_EQ(GetDlgItemTextA(h, 1, buf, 7), 5u);
  EXPECT_STREQ(buf, "a\x82\xa0\x82\xa2");
  EXPECT_EQ(GetDlgItemTextA(h, 1, buf, 8), 7u);
  EXPECT_EQ(GetDlgItemTextA(h, 1, buf, 3), 1u);
  SetDlgItemTextA(h, 1, "");
  DestroyWindowHandle(h);
}

// A dialog of three controls run modally.
constexpr int kTestTemplate = 7001;
const DialogItemTemplate kTestItems[] = {
    {"edit", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10, 10, 40, 12},
    {"button", "OK", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON | WS_TABSTOP, 1000, 10, 30, 40, 14},
    {"button", "Other", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP, 1001, 60, 30, 40, 14},
};
const DialogTemplate kTestDialog = {WS_POPUP | DS_MODALFRAME, "", 110, 50, kTestItems, 3};

struct TestDialog : cDialog {
  std::vector<std::pair<UINT, WPARAM>> keys;
  std::vector<int> commands;
  int reentry = -1;
  TestDialog() {
    RegisterDialogTemplate(kTestTemplate, &kTestDialog);
    Prepare(kTestTemplate, nullptr, 1, &g_DialogList);
    s_live = this;
    m_lpDlgProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT { return s_live->WindowProc(h, m, w, l); };
  }
  ~TestDialog() override {
    s_live = nullptr;
    RegisterDialogTemplate(kTestTemplate, nullptr);
  }
  LRESULT MsgProc(HWND h, UINT m, WPARAM w, LPARAM l) override {
    if (m == WM_KEYDOWN) keys.emplace_back(m, w);
    return cDialog::MsgProc(h, m, w, l);
  }
  void OnCommand(WPARAM w, LPARAM l) override {
    cDialog::OnCommand(w, l);
    if (HIWORD(w) == BN_CLICKED) commands.push_back(LOWORD(w));
    if (LOWORD(w) == 1000 || LOWORD(w) == 1001) End(LOWORD(w));
  }
  void OnInitDialog(WPARAM w, LPARAM l) override {
    cDialog::OnInitDialog(w, l);
    SetFocus(GetDlgItem(m_hWnd, 10));
  }
  static TestDialog* s_live;
};
TestDialog* TestDialog::s_live = nullptr;

class DialogRun : public ::testing::Test {
 protected:
  void TearDown() override { cHook::UnhookAll(); }
};

TEST_F(DialogRun, KeysReachTheDialogThroughTheHook) {
  TestDialog dialog;
  DialogDriver driver([&](DialogDriver& d, HWND) {
    dialog.reentry = dialog.DoModal(0);
    d.Key(SDL_SCANCODE_F3);
    d.Composing("\xE3\x81\x82");
    d.Key(SDL_SCANCODE_RETURN);  // commits the composition only
    d.Text("\xE3\x81\x82");
    d.Key(SDL_SCANCODE_ESCAPE);  // IDCANCEL: this dialog leaves it alone
    d.Key(SDL_SCANCODE_TAB);
    d.Key(SDL_SCANCODE_RETURN);  // the default button 1000
  });
  EXPECT_EQ(dialog.DoModal(0), 1000);
  EXPECT_EQ(dialog.reentry, 0);
  // F3 came as a forwarded key turned into WM_KEYDOWN, Escape as a copy; the Enter that
  // committed the composition and Tab came not at all, and the dialog ended on the last Enter
  // before its copy was read.
  std::vector<WPARAM> down;
  for (auto& k : dialog.keys) down.push_back(k.second);
  EXPECT_EQ(down, (std::vector<WPARAM>{static_cast<WPARAM>(VK_F1 + 2), VK_ESCAPE}));
  EXPECT_EQ(dialog.commands, (std::vector<int>{IDCANCEL, 1000}));
  EXPECT_EQ(dialog.m_hWnd, nullptr);
}

TEST_F(DialogRun, TabMovesTheFocusAndEnterPressesTheFocusedButton) {
  TestDialog dialog;
  DialogDriver driver([&](DialogDriver& d, HWND) {
    d.Key(SDL_SCANCODE_TAB);
    d.Key(SDL_SCANCODE_TAB);
    d.Key(SDL_SCANCODE_RETURN);
  });
  EXPECT_EQ(dialog.DoModal(0), 1001);
}

TEST_F(DialogRun, ClosingTheWindowEndsWithZero) {
  TestDialog dialog;
  DialogDriver driver([&](DialogDriver& d, HWND) { d.Close(); });
  EXPECT_EQ(dialog.DoModal(0), 0);
  EXPECT_EQ(driver.opened(), 1);
}

TEST_F(DialogRun, UnknownTemplateFails) {
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(7999), nullptr,
                            [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; }, 0),
            -1);
}

TEST(DialogUnits, NineHalfPointFontBaseUnits) {
  EXPECT_EQ(DialogUnitsToPixelsX(4), 6);
  EXPECT_EQ(DialogUnitsToPixelsX(222), 333);
  EXPECT_EQ(DialogUnitsToPixelsY(8), 13);
  EXPECT_EQ(DialogUnitsToPixelsY(171), 278);  // 277.875
  EXPECT_EQ(DialogUnitsToPixelsY(1), 2);      // 1.625
  // Other base units: a quarter and an eighth of them per unit, rounded half away from zero.
  EXPECT_EQ(DialogUnitsToPixelsX(56, 7), 98);
  EXPECT_EQ(DialogUnitsToPixelsX(222, 7), 389);  // 388.5
  EXPECT_EQ(DialogUnitsToPixelsX(1, 7), 2);      // 1.75
  EXPECT_EQ(DialogUnitsToPixelsX(-2, 7), -4);    // -3.5
  EXPECT_EQ(DialogUnitsToPixelsY(16, 14), 28);
  EXPECT_EQ(DialogUnitsToPixelsY(3, 14), 5);  // 5.25
  // Without a text engine the dialog font measures nothing: the 9-point gothic's units.
  const DialogBaseUnits base = MeasureDialogBaseUnits();
  EXPECT_EQ(base.x, 6);
  EXPECT_EQ(base.y, 13);
}

}  // namespace
