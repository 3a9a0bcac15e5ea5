#include "platform/msgbox.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3dx9.h"
#include "platform/dialog.h"
#include "platform/gdi.h"
#include "platform/message.h"
#include "platform/text_engine.h"
#include "platform/thread.h"
#include "platform/window.h"
#include "support/dialog_driver.h"
#include "support/test_thread.h"

namespace {

std::vector<std::string> g_logged;
void Logger(const char* text, const char* caption) { g_logged.push_back(std::string(caption) + "|" + text); }

TEST(MessageBox, HeadlessBoxesAreLoggedAndAnswered) {
  // The tests run with SDL's dummy video driver: no display.
  g_logged.clear();
  SetMessageBoxLogger(&Logger);
  EXPECT_EQ(MessageBoxA(nullptr, "text", "cap", MB_OK), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, "q", "cap", MB_YESNO), IDYES);
  SetHeadlessMessageBoxAnswer(IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "q", "cap", MB_YESNO), IDNO);
  SetHeadlessMessageBoxAnswer(0);
  SetMessageBoxLogger(nullptr);
  EXPECT_EQ(g_logged, (std::vector<std::string>{"cap|text", "cap|q", "cap|q"}));
}

TEST(MessageBox, HookTakesEveryBox) {
  std::string seen;
  SetMessageBoxHook([&](const char* text, const char* caption, UINT type) {
    seen = std::string(caption) + ":" + text + ":" + std::to_string(type);
    return IDCANCEL;
  });
  EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_OKCANCEL), IDCANCEL);
  SetMessageBoxHook(nullptr);
  EXPECT_EQ(seen, "c:t:1");
}

// The boxes as dialogs, driven through the dialog layer's test hooks, with the text engine.
class MessageBoxDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    gfx::UseTextEngine();
    ShowMessageBoxesWithoutDisplay(true);
  }
  void TearDown() override {
    ShowMessageBoxesWithoutDisplay(false);
    SetGdiTextEngine(nullptr);
    SetD3DXFontFactory(nullptr);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
};

// A main window of the test's thread, which makes it the window thread.
HWND MakeMainWindow() {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &DefWindowProcA;
  wc.lpszClassName = "MessageBoxTestMain";
  RegisterClassExA(&wc);  // already there when the test repeats
  return CreateWindowExA(0, "MessageBoxTestMain", "main", WS_POPUP | WS_CAPTION, 0, 0, 640, 480, nullptr, nullptr,
                         nullptr, nullptr);
}

// What a person does with a box: keys by scancode, a click on a button (by id), or the close
// request (0).
struct Act {
  int scancode;
  int click;
};
constexpr Act Press(int scancode) { return Act{scancode, -1}; }
constexpr Act ClickOn(int id) { return Act{0, id}; }
constexpr Act CloseIt() { return Act{0, 0}; }

struct BoxCase {
  const char* name;
  UINT type;
  std::vector<const char*> labels;  // the buttons, left to right
  std::vector<Act> acts;
  int answer;
};

// Each type's buttons, what Enter, Escape, the arrows, Tab, a click and closing give. Escape
// does nothing in a Yes/No or Abort/Retry/Ignore box (only a button answers it); the arrows
// and Tab go round the buttons.
TEST_F(MessageBoxDialog, ButtonsKeysAndAnswersOfEachType) {
  const int enter = SDL_SCANCODE_RETURN, esc = SDL_SCANCODE_ESCAPE, tab = SDL_SCANCODE_TAB,
            right = SDL_SCANCODE_RIGHT, left = SDL_SCANCODE_LEFT, down = SDL_SCANCODE_DOWN, space = SDL_SCANCODE_SPACE;
  const std::vector<BoxCase> cases = {
      {"ok enter", MB_OK, {"OK"}, {Press(enter)}, IDOK},
      {"ok escape", MB_OK, {"OK"}, {Press(esc)}, IDOK},
      {"ok closed", MB_OK | MB_ICONERROR, {"OK"}, {CloseIt()}, IDOK},
      {"okcancel enter", MB_OKCANCEL, {"OK", "キャンセル"}, {Press(enter)}, IDOK},
      {"okcancel escape", MB_OKCANCEL, {"OK", "キャンセル"}, {Press(esc)}, IDCANCEL},
      {"okcancel right enter", MB_OKCANCEL, {"OK", "キャンセル"}, {Press(right), Press(enter)}, IDCANCEL},
      {"okcancel tab space", MB_OKCANCEL, {"OK", "キャンセル"}, {Press(tab), Press(space)}, IDCANCEL},
      {"okcancel click", MB_OKCANCEL, {"OK", "キャンセル"}, {ClickOn(IDCANCEL)}, IDCANCEL},
      {"okcancel closed", MB_OKCANCEL, {"OK", "キャンセル"}, {CloseIt()}, IDCANCEL},
      {"yesno enter", MB_YESNO | MB_ICONQUESTION, {"はい", "いいえ"}, {Press(enter)}, IDYES},
      {"yesno escape waits", MB_YESNO, {"はい", "いいえ"}, {Press(esc), Press(enter)}, IDYES},
      {"yesno closed", MB_YESNO, {"はい", "いいえ"}, {CloseIt()}, IDNO},
      {"yesno second default", MB_YESNO | MB_DEFBUTTON2, {"はい", "いいえ"}, {Press(enter)}, IDNO},
      {"yesnocancel escape", MB_YESNOCANCEL, {"はい", "いいえ", "キャンセル"}, {Press(esc)}, IDCANCEL},
      {"yesnocancel left wraps", MB_YESNOCANCEL, {"はい", "いいえ", "キャンセル"}, {Press(left), Press(enter)}, IDCANCEL},
      {"yesnocancel click no", MB_YESNOCANCEL, {"はい", "いいえ", "キャンセル"}, {ClickOn(IDNO)}, IDNO},
      {"retrycancel enter", MB_RETRYCANCEL | MB_ICONWARNING, {"再試行", "キャンセル"}, {Press(enter)}, IDRETRY},
      {"retrycancel escape", MB_RETRYCANCEL, {"再試行", "キャンセル"}, {Press(esc)}, IDCANCEL},
      {"abort enter", MB_ABORTRETRYIGNORE, {"中止", "再試行", "無視"}, {Press(enter)}, IDABORT},
      {"abort escape down", MB_ABORTRETRYIGNORE, {"中止", "再試行", "無視"}, {Press(esc), Press(down), Press(enter)},
       IDRETRY},
      {"abort third default", MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, {"中止", "再試行", "無視"}, {Press(enter)}, IDIGNORE},
      {"abort closed", MB_ABORTRETRYIGNORE, {"中止", "再試行", "無視"}, {CloseIt()}, IDABORT},
  };
  for (const BoxCase& c : cases) {
    std::vector<std::string> labels;
    std::string text;
    DialogDriver driver([&](DialogDriver& d, HWND dlg) {
      char buf[64];
      text.clear();
      if (GetDlgItemTextA(dlg, 0xFFFF, buf, sizeof buf)) text = buf;
      labels.clear();
      for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
        if (GetDlgItem(dlg, id) && GetDlgItemTextA(dlg, id, buf, sizeof buf)) labels.push_back(buf);
      }
      for (const Act& a : c.acts) {
        if (a.click > 0) {
          d.Click(a.click);
        } else if (a.click == 0) {
          d.Close();
        } else {
          d.Key(a.scancode);
        }
      }
    });
    EXPECT_EQ(MessageBoxA(nullptr, "本文", "見出し", c.type), c.answer) << c.name;
    EXPECT_EQ(driver.opened(), 1) << c.name;
    EXPECT_EQ(text, "本文") << c.name;
    // The labels in id order; compared as sets of the expected ones.
    std::vector<std::string> expected(c.labels.begin(), c.labels.end());
    std::sort(expected.begin(), expected.end());
    std::sort(labels.begin(), labels.end());
    EXPECT_EQ(labels, expected) << c.name;
    // Closing a box over nothing ends the thread's loop: taken away for the next case.
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
}

// The buttons stand left to right in the type's order, each as wide as the label needs and at
// least 75 pixels, centred in the box under the text, and the box is 12 pixels wider and lower
// than what it holds.
TEST_F(MessageBoxDialog, LayoutOfTextIconAndButtons) {
  const MessageBoxLayout one = LayOutMessageBox("本文", MB_YESNOCANCEL | MB_ICONQUESTION);
  ASSERT_EQ(one.buttons.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_GE(one.buttons[i].right - one.buttons[i].left, 75);
    EXPECT_EQ(one.buttons[i].bottom - one.buttons[i].top, 23);
    if (i) {
      EXPECT_EQ(one.buttons[i].left, one.buttons[i - 1].right + 8);
    }
  }
  EXPECT_EQ(one.buttons[0].left - 0, one.width - one.buttons[2].right) << "centred";
  EXPECT_EQ(one.height, one.buttons[0].bottom + 12);
  // The icon at the top left, the text 12 pixels right of it.
  EXPECT_EQ(one.icon.left, 12);
  EXPECT_EQ(one.icon.right - one.icon.left, 32);
  EXPECT_EQ(one.text.left, one.icon.right + 12);
  // Without an icon the text starts at the margin; two lines are two line heights high, and a
  // line break at the end adds none.
  const MessageBoxLayout two = LayOutMessageBox("一行目\n二行目\n", MB_OK);
  EXPECT_EQ(two.text.left, 12);
  EXPECT_EQ(two.text.bottom - two.text.top, 2 * 13);
  EXPECT_EQ(two.buttons[0].top, two.text.bottom + 16);
  // A line longer than 480 pixels breaks there.
  const MessageBoxLayout wide = LayOutMessageBox(std::string(200, 'W'), MB_OK);
  EXPECT_EQ(wide.text.right - wide.text.left, 480);
  EXPECT_GT(wide.text.bottom - wide.text.top, 13);
  EXPECT_EQ(wide.width, 12 + 480 + 12);
}

// The box's text pixels are those of the text engine drawing the same string in the dialogs'
// face and size (black, without anti-aliasing), each line at its place in the text's field;
// the icon kinds show their marks: a red disc, a blue disc, a yellow triangle.
TEST_F(MessageBoxDialog, TextPixelsAreTheTextEnginesAndIconsShowTheirMarks) {
  const std::string line1 = "データベースの読み込みに失敗…";
  const std::string line2 = "data\\System.dat";
  struct Shot {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    uint32_t At(int x, int y) const { return px[static_cast<size_t>(y) * w + x] & 0xFFFFFF; }
  };
  auto show = [](const std::string& text, UINT type) {
    Shot shot;
    DialogDriver driver([&](DialogDriver& d, HWND dlg) {
      DialogPixelsForTest(dlg, &shot.w, &shot.h, &shot.px);
      d.Key(SDL_SCANCODE_RETURN);
    });
    MessageBoxA(nullptr, text.c_str(), "エラー", type);
    return shot;
  };
  const Shot box = show(line1 + "\n" + line2, MB_OK | MB_ICONERROR);
  const MessageBoxLayout layout = LayOutMessageBox(line1 + "\n" + line2, MB_OK | MB_ICONERROR);
  ASSERT_EQ(box.w, layout.width);
  ASSERT_EQ(box.h, layout.height);
  std::shared_ptr<gfx::TextFace> face = gfx::TextFace::Open("ＭＳ Ｐゴシック", -12, 0, false);
  ASSERT_TRUE(face);
  constexpr uint32_t kFace = 0xF0F0F0;
  int line = 0;
  for (const std::string& s : {line1, line2}) {
    const int x0 = layout.text.left, y0 = layout.text.top + 13 * line++;
    const int w = face->TextWidth(s.c_str(), static_cast<int>(s.size()));
    std::vector<uint32_t> want(static_cast<size_t>(w) * 13, kFace);
    face->Render(s.c_str(), static_cast<int>(s.size()), 0, 0, [&](int x, int y, int a) {
      if (x >= 0 && x < w && y >= 0 && y < 13 && a) want[static_cast<size_t>(y) * w + x] = 0x000000;
    });
    int ink = 0, wrong = 0;
    for (int y = 0; y < 13; ++y)
      for (int x = 0; x < w; ++x) {
        const uint32_t expect = want[static_cast<size_t>(y) * w + x];
        ink += expect == 0;
        wrong += box.At(x0 + x, y0 + y) != expect;
      }
    EXPECT_GT(ink, 20) << s;
    EXPECT_EQ(wrong, 0) << s;
  }
  // The marks: the disc's colour left of the cross of the error mark; none without an icon.
  auto red = [](uint32_t c) { return (c >> 16) > 0xC0 && ((c >> 8) & 0xFF) < 0x80 && (c & 0xFF) < 0x80; };
  auto blue = [](uint32_t c) { return (c & 0xFF) > 0xA0 && (c >> 16) < 0x80; };
  auto yellow = [](uint32_t c) { return (c >> 16) > 0xC0 && ((c >> 8) & 0xFF) > 0xA0 && (c & 0xFF) < 0x60; };
  EXPECT_TRUE(red(box.At(layout.icon.left + 4, layout.icon.top + 16)));
  const Shot question = show("?", MB_YESNO | MB_ICONQUESTION);
  EXPECT_TRUE(blue(question.At(12 + 4, 12 + 16)));
  const Shot info = show("i", MB_OK | MB_ICONINFORMATION);
  EXPECT_TRUE(blue(info.At(12 + 4, 12 + 16)));
  const Shot warning = show("!", MB_OK | MB_ICONWARNING);
  EXPECT_TRUE(yellow(warning.At(12 + 4, 12 + 30)));
  EXPECT_FALSE(yellow(warning.At(12 + 2, 12 + 2)));  // outside the triangle
  const Shot plain = show("x", MB_OK);
  EXPECT_EQ(plain.At(12 + 4, 12 + 16), kFace);
}

// A box asked for on another thread is shown by the window thread, which goes on serving its
// messages meanwhile; the asking thread gets the answer.
TEST_F(MessageBoxDialog, OtherThreadsBoxesAreShownByTheWindowThread) {
  HWND main = MakeMainWindow();
  ASSERT_NE(main, nullptr);
  const DWORD windowThread = GetCurrentThreadId();
  std::atomic<DWORD> shownOn{0};
  DialogDriver driver([&](DialogDriver& d, HWND) {
    shownOn = GetCurrentThreadId();
    d.Key(SDL_SCANCODE_RIGHT);
    d.Key(SDL_SCANCODE_RETURN);
  });
  std::atomic<int> answer{0};
  {
    TestThread asker([&] { answer = MessageBoxA(main, "本文", "見出し", MB_YESNO); });
    ASSERT_TRUE(WaitUntil([&] {
      MSG m;
      while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
      return answer.load() != 0;
    }));
  }
  EXPECT_EQ(answer.load(), IDNO);
  EXPECT_EQ(shownOn.load(), windowThread);

  // Once the program closes (the send shutdown), another thread's box is not shown: the answer
  // that goes on least.
  SetMessageShutdown(TRUE);
  {
    TestThread asker([&] { answer = MessageBoxA(main, "本文", "見出し", MB_YESNO); });
  }
  SetMessageShutdown(FALSE);
  EXPECT_EQ(answer.load(), IDNO);
  EXPECT_EQ(driver.opened(), 1);
  DestroyWindow(main);
}

// The program closing while a box is up (WM_QUIT) ends the box with the answer that goes on
// least, and the quit stays for the loop outside. Closing a box that stands over nothing else
// of the program ends that loop too; over a visible window it only answers the box.
TEST_F(MessageBoxDialog, QuitAndCloseRequests) {
  {
    DialogDriver driver([](DialogDriver&, HWND) { PostQuitMessage(3); });
    EXPECT_EQ(MessageBoxA(nullptr, "本文", "見出し", MB_YESNO), IDNO);
    MSG m{};
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 3u);
  }
  {
    DialogDriver driver([](DialogDriver& d, HWND) { d.Close(); });
    EXPECT_EQ(MessageBoxA(nullptr, "本文", "見出し", MB_OKCANCEL), IDCANCEL);
    MSG m{};
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_QUIT);
  }
  HWND main = MakeMainWindow();
  ASSERT_NE(main, nullptr);
  ShowWindow(main, SW_SHOW);
  {
    DialogDriver driver([](DialogDriver& d, HWND) { d.Close(); });
    EXPECT_EQ(MessageBoxA(main, "本文", "見出し", MB_YESNO), IDNO);
    MSG m{};
    bool quit = false;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) quit = quit || m.message == WM_QUIT;
    EXPECT_FALSE(quit);
    EXPECT_TRUE(IsWindowEnabled(main));
  }
  DestroyWindow(main);
}

}  // namespace
