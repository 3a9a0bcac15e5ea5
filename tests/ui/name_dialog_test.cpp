// The name dialog: the ranking name typed as Japanese text, its limits, Escape and OK.
#include <gtest/gtest.h>

#include <SDL.h>

#include <vector>

#include "support/dialog_driver.h"
#include "platform/message.h"
#include "platform/window.h"
#include "support/temp_dir.h"
#include "ui/keyboard_hook.h"
#include "ui/name_dialog.h"
#include "platform/d3dx9.h"
#include "platform/gdi.h"
#include "platform/text_engine.h"

namespace {

// UTF-8 as typed, and the Shift-JIS it is kept as.
const char* const kA = "\xE3\x81\x82";  // あ
const char* const kI = "\xE3\x81\x84";  // い
const char* const kU = "\xE3\x81\x86";  // う
const char* const kE = "\xE3\x81\x88";  // え
const char* const kSjisAIU = "\x82\xa0\x82\xa2\x82\xa4";

class NameDialogTest : public ::testing::Test {
 protected:
  ~NameDialogTest() override { cHook::UnhookAll(); }
  CoreTestEnv env_;
};

TEST_F(NameDialogTest, OpensWithTheNameSelectedAndTypingReplacesIt) {
  std::string name = "aaa";
  DWORD s = 99, e = 99;
  HWND focus = nullptr, edit = nullptr;
  DialogDriver driver([&](DialogDriver& d, HWND dlg) {
    edit = GetDlgItem(dlg, 1003);
    focus = GetFocus();
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    d.Text("x");
    d.Text("y");
    d.Text("z");
    d.Click(1000);
  });
  EXPECT_EQ(RunNameDialog(nullptr, 1, &name, 0), 1);
  EXPECT_EQ(focus, edit);
  EXPECT_EQ(s, 0u);
  EXPECT_EQ(e, 3u);
  EXPECT_EQ(name, "xyz");
}

TEST_F(NameDialogTest, ThreeFullWidthCharactersFitAndAFourthIsRefused) {
  std::string name = "aaa";
  std::string shown;
  DialogDriver driver([&](DialogDriver& d, HWND) {
    d.Text(std::string(kA) + kI + kU);
    d.Text(kE);
    d.Key(SDL_SCANCODE_RETURN);
  });
  EXPECT_EQ(RunNameDialog(nullptr, 1, &name, 0), 1);
  EXPECT_EQ(name, kSjisAIU);
}

TEST_F(NameDialogTest, FourthLetterIsRefusedAndALongPasteKeepsThePreviousText) {
  std::string name = "";
  DialogDriver driver([&](DialogDriver& d, HWND) {
    for (const char* c : {"a", "b", "c", "d"}) d.Text(c);
    d.Key(SDL_SCANCODE_RETURN);
  });
  EXPECT_EQ(RunNameDialog(nullptr, 1, &name, 0), 1);
  EXPECT_EQ(name, "abc");
  // Four letters at once would make a second line: the change is refused whole.
  name = "zz";
  DialogDriver paste([&](DialogDriver& d, HWND) {
    d.Key(SDL_SCANCODE_END);
    d.Text("abcd");
    d.Key(SDL_SCANCODE_RETURN);
  });
  EXPECT_EQ(RunNameDialog(nullptr, 1, &name, 0), 1);
  EXPECT_EQ(name, "zz");
}

TEST_F(NameDialogTest, CharacterWithoutShiftJisFormIsNeverStored) {
  std::string name = "";
  DialogDriver driver([&](DialogDriver& d, HWND) {
    d.Text("a");
    d.Text("\xED\x95\x9C");  // a Hangul syllable
    d.Text("b");
    d.Key(SDL_SCANCODE_RETURN);
  });
  EXPECT_EQ(RunNameDialog(nullptr, 1, &name, 0), 1);
  EXPECT_EQ(name, "ab");
}

TEST_F(NameDialogTest, BackspaceAndEditingKeys) {
  std::string name = "abc";
  DialogDriver driver([&](DialogDriver& d, HWND) {
    d.Key(SDL_SCANCODE_END);
    d.Key(SDL_SCANCODE_BACKSPACE);
    d.Key(SDL_SCANCODE_HOME);
    d.Key(SDL_SCANCODE_DELETE);
    d.Text(kA);
    d.Key(SDL_SCANCODE_RETURN);
  });
  EXPECT_EQ(RunNameDialog(nullptr, 1, &name, 0), 1);
  EXPECT_EQ(name, "\x82\xa0" "b");
}

TEST_F(NameDialogTest, EscapeDoesNothingAndClosingKeepsTheName) {
  std::string name = "aaa";
  {
    // Escape leaves the dialog open: the Enter after it still accepts the typed name.
    DialogDriver driver([&](DialogDriver& d, HWND) {
      d.Text("q");
      d.Key(SDL_SCANCODE_ESCAPE);
      d.Key(SDL_SCANCODE_RETURN);
    });
    EXPECT_EQ(RunNameDialog(nullptr, 1, &name, 0), 1);
    EXPECT_EQ(name, "q");
  }
  {
    DialogDriver driver([&](DialogDriver& d, HWND) {
      d.Text("zz");
      d.Close();
    });
    EXPECT_EQ(RunNameDialog(nullptr, 1, &name, 0), 0);
    EXPECT_EQ(name, "q");
  }
}

TEST_F(NameDialogTest, EnterDuringCompositionOnlyCommits) {
  std::string name = "";
  DialogDriver driver([&](DialogDriver& d, HWND) {
    d.Composing(kA);
    d.Key(SDL_SCANCODE_RETURN);
    d.Text(kA);
    d.Text(kI);
    d.Key(SDL_SCANCODE_RETURN);
  });
  EXPECT_EQ(RunNameDialog(nullptr, 1, &name, 0), 1);
  EXPECT_EQ(name, "\x82\xa0\x82\xa2");
}

TEST_F(NameDialogTest, FullScreenPlacementEnglishLabelAndNoField) {
  std::string label;
  RECT rc{};
  bool hasEdit = true;
  DialogDriver driver([&](DialogDriver& d, HWND dlg) {
    char buf[64];
    GetDlgItemTextA(dlg, 1007, buf, sizeof buf);
    label = buf;
    GetWindowRect(dlg, &rc);
    hasEdit = GetFocus() == GetDlgItem(dlg, 1003);
    d.Key(SDL_SCANCODE_RETURN);
  });
  EXPECT_EQ(RunNameDialog(nullptr, 0, nullptr, 1), 1);
  EXPECT_EQ(label, "     Name");
  EXPECT_EQ(rc.left, 240);
  EXPECT_EQ(rc.top, 220);
  EXPECT_FALSE(hasEdit);
  POINT cursor{};
  GetCursorPos(&cursor);
  EXPECT_EQ(cursor.x, 320);
  EXPECT_EQ(cursor.y, 285);
}

}  // namespace

namespace {

int g_mainKeys = 0;
LRESULT MainProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_KEYDOWN) ++g_mainKeys;
  return DefWindowProcA(h, msg, w, l);
}

// With a main window the window layer's pump reads the display's events and hands the
// dialog's over; the main window's own keys are held back while the dialog runs.
TEST_F(NameDialogTest, RunsOverTheMainWindowWhoseKeysWait) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &MainProc;
  wc.lpszClassName = "NameDialogTestMain";
  RegisterClassExA(&wc);  // already there when the test repeats
  HWND main = CreateWindowExA(0, "NameDialogTestMain", "main", WS_POPUP | WS_CAPTION, 0, 0, 640, 480, nullptr,
                              nullptr, nullptr, nullptr);
  ASSERT_NE(main, nullptr);
  ShowWindow(main, SW_SHOW);
  g_mainKeys = 0;
  RECT mainRect{}, rc{};
  GetWindowRect(main, &mainRect);
  std::string name = "aaa";
  DialogDriver driver([&](DialogDriver& d, HWND dlg) {
    GetWindowRect(dlg, &rc);
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = WindowSdlIdForTest(main);
    e.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
    e.key.keysym.sym = SDLK_ESCAPE;
    SDL_PushEvent(&e);
    d.Text("abc");
    d.Key(SDL_SCANCODE_RETURN);
  });
  cWindow mainWindow;
  mainWindow.m_hWnd = main;
  mainWindow.GetWindowPos(&mainWindow.m_ptWindow);
  EXPECT_EQ(RunNameDialog(&mainWindow, 1, &name, 0), 1);
  EXPECT_EQ(name, "abc");
  EXPECT_EQ(g_mainKeys, 0);
  EXPECT_EQ(rc.left, mainRect.left + 240);
  EXPECT_EQ(rc.top, mainRect.top + 220);
  DestroyWindow(main);
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

// The dialog's texts through the text engine, taken out again so that other tests see none.
struct TextEngineInstalled {
  TextEngineInstalled() { gfx::UseTextEngine(); }
  ~TextEngineInstalled() {
    SetGdiTextEngine(nullptr);
    SetD3DXFontFactory(nullptr);
  }
};

// The name typed over the selected old one shows in the window in the text colour, whole: the
// window's earlier picture (the blue selection) does not show through the letters.
TEST_F(NameDialogTest, TypedNameShowsInTheWindowOverTheOldSelection) {
  TextEngineInstalled engine;
  constexpr uint32_t kSelection = 0xFF0078D7u;
  constexpr uint32_t kBlack = 0xFF000000u;
  std::string name = "aaa";
  bool shown = false;
  int w = 0, h = 0, ww = 0, wh = 0;
  std::vector<uint32_t> painted, window;
  RECT edit{};
  DialogDriver driver([&](DialogDriver& d, HWND dlg) {
    std::vector<uint32_t> first;
    DialogPixelsForTest(dlg, &w, &h, &first);  // "aaa" selected, shown in the window
    SetDlgItemTextA(dlg, 1003, "xyz");
    SendMessageA(GetDlgItem(dlg, 1003), EM_SETSEL, 3, 3);
    DialogPixelsForTest(dlg, &w, &h, &painted);
    shown = DialogWindowPixelsForTest(dlg, &ww, &wh, &window);
    GetDlgItemRectForTest(dlg, 1003, &edit);
    d.Key(SDL_SCANCODE_RETURN);
  });
  EXPECT_EQ(RunNameDialog(nullptr, 1, &name, 0), 1);
  EXPECT_EQ(name, "xyz");
  ASSERT_TRUE(shown);
  ASSERT_EQ(ww, w);
  ASSERT_EQ(wh, h);
  int inkLeft = 1 << 30, inkRight = -1, selection = 0, differ = 0;
  for (int y = edit.top + 1; y < edit.bottom - 1; ++y) {
    for (int x = edit.left + 1; x < edit.right - 1; ++x) {
      const size_t i = static_cast<size_t>(y * w + x);
      const uint32_t p = window[i];
      differ += p != (painted[i] | 0xFF000000u) ? 1 : 0;
      selection += p == kSelection ? 1 : 0;
      if (p == kBlack) {
        inkLeft = std::min(inkLeft, x);
        inkRight = std::max(inkRight, x + 1);
      }
    }
  }
  EXPECT_EQ(differ, 0);
  EXPECT_EQ(selection, 0);
  // Three half-width letters of a 12-pixel gothic from 3 pixels inside the field: more than two
  // letters' width of ink (at least 5 pixels each), starting within the first letter.
  EXPECT_LE(inkLeft, edit.left + 3 + 2);
  EXPECT_GT(inkRight - inkLeft, 12);
}

// The label "登録名(3文字まで)" stands on one line beside the field: the layout follows the
// dialog font's measure, so the text fits the control made for it.
TEST_F(NameDialogTest, LabelStandsOnOneLine) {
  TextEngineInstalled engine;
  std::string name = "aaa";
  int w = 0, h = 0, top = 1 << 30, bottom = -1;
  std::vector<uint32_t> px;
  RECT label{}, edit{};
  DialogDriver driver([&](DialogDriver& d, HWND dlg) {
    DialogPixelsForTest(dlg, &w, &h, &px);
    GetDlgItemRectForTest(dlg, 1007, &label);
    GetDlgItemRectForTest(dlg, 1003, &edit);
    d.Key(SDL_SCANCODE_RETURN);
  });
  EXPECT_EQ(RunNameDialog(nullptr, 1, &name, 0), 1);
  ASSERT_FALSE(px.empty());
  for (int y = label.top; y < label.bottom; ++y) {
    for (int x = label.left; x < label.right; ++x) {
      if ((px[static_cast<size_t>(y * w + x)] & 0xFFFFFFu) != 0) continue;  // black ink only
      top = std::min(top, y);
      bottom = std::max(bottom, y + 1);
    }
  }
  ASSERT_GE(bottom, 0);
  // One line of a 12-pixel font: at most 13 rows of ink; two lines would take about 25.
  EXPECT_LE(bottom - top, 13);
  // The label ends before the field begins.
  EXPECT_LE(label.right, edit.left);
}

}  // namespace
