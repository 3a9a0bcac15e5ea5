// The start dialog: the back-end question, its defaults, keys and clicks, Boot.dat and the
// don't-ask flag.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "support/dialog_driver.h"
#include "platform/message.h"
#include "platform/window.h"
#include "support/temp_dir.h"
#include "ui/keyboard_hook.h"
#include "ui/start_dialog.h"

namespace {

class StartDialogTest : public ::testing::Test {
 protected:
  StartDialogTest() : chdir_(env_.dir().path()) { env_.dir().MakeDir("user_data"); }
  ~StartDialogTest() override {
    cHook::UnhookAll();
    g_StartSettings.SetDefault();
  }

  std::vector<uint8_t> BootBytes() const {
    std::ifstream in(env_.dir() / "user_data/Boot.dat", std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }
  static std::vector<uint8_t> Boot(uint8_t mode, uint8_t dontAsk) {
    return {0x16, 0x03, 0, 0, 2, 0, 0, 0, mode, 0, 0, 0, dontAsk, 0, 0, 0, 0, 0, 0, 0};
  }
  static LRESULT Checked(HWND dlg, int id) { return SendMessageA(GetDlgItem(dlg, id), BM_GETCHECK, 0, 0); }

  CoreTestEnv env_;
  ScopedChdir chdir_;
};

TEST_F(StartDialogTest, FirstStartShowsTheDefaultsAndEnterStartsWithDirect3D) {
  LRESULT d3d = -1, dd = -1, box = -1;
  HWND focus = reinterpret_cast<HWND>(1);
  DialogDriver driver([&](DialogDriver& d, HWND dlg) {
    d3d = Checked(dlg, 1002);
    dd = Checked(dlg, 1003);
    box = Checked(dlg, 1004);
    focus = GetFocus();
    d.Key(SDL_SCANCODE_RETURN);
  });
  EXPECT_EQ(AskDrawingBackend(2, nullptr, "Game", 0), 1);
  EXPECT_EQ(driver.opened(), 1);
  EXPECT_EQ(d3d, static_cast<LRESULT>(BST_CHECKED));
  EXPECT_EQ(dd, static_cast<LRESULT>(BST_UNCHECKED));
  EXPECT_EQ(box, static_cast<LRESULT>(BST_UNCHECKED));
  EXPECT_EQ(focus, nullptr);  // the dialog opens without a focused control
  EXPECT_EQ(BootBytes(), Boot(1, 0));
}

TEST_F(StartDialogTest, DirectDrawWithDontAskSkipsTheDialogNextTime) {
  DialogDriver driver([](DialogDriver& d, HWND) {
    d.Click(1003);
    d.Click(1004);
    d.Click(1000);
  });
  EXPECT_EQ(AskDrawingBackend(2, nullptr, "Game", 0), 0);
  EXPECT_EQ(BootBytes(), Boot(0, 1));
  g_StartSettings.SetDefault();
  EXPECT_EQ(AskDrawingBackend(2, nullptr, "Game", 0), 0);
  EXPECT_EQ(driver.opened(), 1);
}

TEST_F(StartDialogTest, KeyboardChoosesDirectDrawAndTicksTheBox) {
  // Tab: start, cancel, the checked radio button; Right moves to DirectDraw; Tab to the box,
  // Space ticks it; Enter presses the default button.
  // Escape does nothing here; Enter on the box presses the default button.
  DialogDriver driver([](DialogDriver& d, HWND) {
    for (int i = 0; i < 3; ++i) d.Key(SDL_SCANCODE_TAB);
    d.Key(SDL_SCANCODE_RIGHT);
    d.Key(SDL_SCANCODE_TAB);
    d.Key(SDL_SCANCODE_SPACE);
    d.Key(SDL_SCANCODE_ESCAPE);
    d.Key(SDL_SCANCODE_RETURN);
  });
  EXPECT_EQ(AskDrawingBackend(2, nullptr, "Game", 0), 0);
  EXPECT_EQ(BootBytes(), Boot(0, 1));
}

TEST_F(StartDialogTest, CancelAndClosingEndTheProgramWithoutWriting) {
  {
    DialogDriver driver([](DialogDriver& d, HWND) { d.Click(1001); });
    EXPECT_EQ(AskDrawingBackend(2, nullptr, "Game", 0), -1);
  }
  {
    DialogDriver driver([](DialogDriver& d, HWND) { d.Close(); });
    EXPECT_EQ(AskDrawingBackend(3, nullptr, "Game", 0), -1);
  }
  EXPECT_TRUE(BootBytes().empty());
}

TEST_F(StartDialogTest, ConfiguredBackEndNeitherReadsNorWritesBootDat) {
  DialogDriver driver(nullptr);
  EXPECT_EQ(AskDrawingBackend(0, nullptr, "Game", 0), 0);
  EXPECT_EQ(AskDrawingBackend(1, nullptr, "Game", 0), 1);
  EXPECT_EQ(driver.opened(), 0);
  EXPECT_TRUE(BootBytes().empty());
}

TEST_F(StartDialogTest, SavedChoiceIsShown) {
  {
    std::ofstream out(env_.dir() / "user_data/Boot.dat", std::ios::binary);
    const std::vector<uint8_t> b = Boot(0, 0);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
  }
  LRESULT dd = -1;
  DialogDriver driver([&](DialogDriver& d, HWND dlg) {
    dd = Checked(dlg, 1003);
    d.Click(1000);
  });
  EXPECT_EQ(AskDrawingBackend(2, nullptr, "Game", 0), 0);
  EXPECT_EQ(dd, static_cast<LRESULT>(BST_CHECKED));
}

TEST_F(StartDialogTest, EnglishTextsPlacementAndCursor) {
  std::string group, start, cancel, note, box;
  RECT rc{};
  auto text = [](HWND dlg, int id) {
    char buf[128];
    GetDlgItemTextA(dlg, id, buf, sizeof buf);
    return std::string(buf);
  };
  DialogDriver driver([&](DialogDriver& d, HWND dlg) {
    group = text(dlg, 1006);
    start = text(dlg, 1000);
    cancel = text(dlg, 1001);
    note = text(dlg, 1005);
    box = text(dlg, 1004);
    GetWindowRect(dlg, &rc);
    d.Click(1001);
  });
  EXPECT_EQ(AskDrawingBackend(2, nullptr, "Game", 1), -1);
  EXPECT_EQ(group, "Drawing mode");
  EXPECT_EQ(start, "Start");
  EXPECT_EQ(cancel, "Cancel");
  EXPECT_EQ(note, "Configure the detail settings at \"System.ini\".");
  EXPECT_EQ(box, "Do not ask this dialog again");
  // Without a main window at the screen's origin: (133, 104), 222 × 171 units.
  EXPECT_EQ(rc.left, 133);
  EXPECT_EQ(rc.top, 104);
  EXPECT_EQ(rc.right - rc.left, 333);
  EXPECT_EQ(rc.bottom - rc.top, 278);
  POINT cursor{};
  GetCursorPos(&cursor);
  EXPECT_EQ(cursor.x, 314);  // 133 + 181.9
  EXPECT_EQ(cursor.y, 302);  // 104 + 198.9
}

// The radio buttons draw the saved choice: a mark in Direct3D's box, none in DirectDraw's.
TEST_F(StartDialogTest, TheCheckedRadioButtonShowsItsMark) {
  auto darkInMark = [](HWND dlg, int id) {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    DialogPixelsForTest(dlg, &w, &h, &px);
    RECT r{};
    GetDlgItemRectForTest(dlg, id, &r);
    int dark = 0;
    // The mark is a 12-pixel box at the control's left, centred in its height.
    const int top = (r.top + r.bottom - 12) / 2;
    for (int y = top + 1; y < top + 11; ++y) {
      for (int x = r.left + 1; x < r.left + 11; ++x) dark += (px[static_cast<size_t>(y * w + x)] & 0xFFFFFF) < 0x808080 ? 1 : 0;
    }
    return dark;
  };
  int d3d = -1, dd = -1;
  DialogDriver driver([&](DialogDriver& d, HWND dlg) {
    d3d = darkInMark(dlg, 1002);
    dd = darkInMark(dlg, 1003);
    d.Click(1001);
  });
  AskDrawingBackend(2, nullptr, "Game", 0);
  EXPECT_GT(d3d, 0);
  EXPECT_EQ(dd, 0);
}

TEST_F(StartDialogTest, JapaneseTextsByDefault) {
  std::string start;
  DialogDriver driver([&](DialogDriver& d, HWND dlg) {
    char buf[64];
    GetDlgItemTextA(dlg, 1000, buf, sizeof buf);
    start = buf;
    d.Click(1001);
  });
  AskDrawingBackend(2, nullptr, "Game", 0);
  EXPECT_EQ(start, "ゲーム開始");
}

}  // namespace
