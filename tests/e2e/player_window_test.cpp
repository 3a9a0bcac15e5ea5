// The player program in a real window on a virtual X display, on a copy of the sample game:
// the title screen, free play of a stage chosen in the file dialog, the hero walking, a replay
// saved with F1 and played back from the title, music switched off and on in the options, the
// close request of the window and the window destroyed by another program, a game folder that
// cannot be written and a second copy refused. Each test starts its own Xvfb; without Xvfb or
// xdotool the tests are skipped.
#include <gtest/gtest.h>

#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/text_engine.h"
#include "support/bytes.h"
#include "support/spawn.h"
#include "support/temp_dir.h"
#include "support/wait.h"
#include "window_kit.h"
#include "x_display.h"

namespace fs = std::filesystem;

namespace {


// Title menu rows of the sample game (every entry enabled, in kind order).
constexpr int kRowFreePlay = 3;
constexpr int kRowReplay = 4;
constexpr int kRowOptions = 5;

// An 8-bit BMP of the sample game, read by hand: the colour of each pixel.
struct Picture {
  int w = 0, h = 0;
  std::vector<uint32_t> rgb;  // 0x00RRGGBB, rows top-down
};

uint32_t Le32(const std::string& b, size_t at) {
  return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) | static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

bool ReadBmp8(const std::string& path, Picture* out) {
  const std::string b = ReadFileBytes(path);
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return false;
  const uint32_t offset = Le32(b, 10), header = Le32(b, 14);
  const int w = static_cast<int>(Le32(b, 18)), h = static_cast<int>(Le32(b, 22));
  if ((Le32(b, 28) & 0xFFFF) != 8 || Le32(b, 30) != 0 || w <= 0 || h <= 0) return false;
  uint32_t colours = Le32(b, 46);
  if (colours == 0) colours = 256;
  const size_t stride = (static_cast<size_t>(w) + 3) & ~size_t{3};
  if (b.size() < offset + stride * h || 14 + header + 4 * colours > offset) return false;
  out->w = w;
  out->h = h;
  out->rgb.assign(static_cast<size_t>(w) * h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t index = static_cast<uint8_t>(b[offset + stride * (h - 1 - y) + x]);
      out->rgb[static_cast<size_t>(y) * w + x] = index < colours ? Le32(b, 14 + header + 4 * index) & 0xFFFFFF : 0;
    }
  return true;
}

// The hero's standing place at the stage's start (window pixels), and the stretch of ground
// to its right that it walks into (short of the spring, whose top has the same red).
constexpr int kHeroX0 = 20, kHeroY0 = 360, kHeroX1 = 80, kHeroY1 = 416;
constexpr int kWalkX1 = 500;
// The hero's shirt has 14 pixels of the red; other red things in these stretches are smaller.
constexpr int kShirtPixels = 10;

// Pixels of the hero's shirt (the sample's red, 220 40 40) in the area.
int ShirtPixels(const Shot& shot, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) n += (shot.At(x, y) & 0xFFFFFF) == 0xDC2828;
  return n;
}

bool HeroAtStart(const Shot& shot) { return ShirtPixels(shot, kHeroX0, kHeroY0, kHeroX1, kHeroY1) >= kShirtPixels; }

// The hero has left its start and is seen further right.
bool HeroWalkedRight(const Shot& shot) {
  return ShirtPixels(shot, kHeroX0, kHeroY0, kHeroX1, kHeroY1) == 0 &&
         ShirtPixels(shot, kHeroX1, kHeroY0, kWalkX1, kHeroY1) >= kShirtPixels;
}

class PlayerWindow : public testing::Test {
 protected:
  void SetUp() override {
    StartTestDisplay(display_);
    if (IsSkipped() || HasFatalFailure()) return;
    project_ = dir_ / "game";
    std::error_code ec;
    fs::copy(TW_SAMPLE_GAME_DIR, project_, fs::copy_options::recursive, ec);
    ASSERT_FALSE(ec) << "cannot copy the sample game: " << ec.message();
    ASSERT_TRUE(ReadBmp8(TW_SAMPLE_GAME_DIR "/bmp/Title.bmp", &title_));
    ASSERT_EQ(title_.w, 640);
    ASSERT_EQ(title_.h, 480);
  }

  // Starts the player and waits for its window, focused.
  void StartPlayer(const std::vector<std::string>& env = {}) {
    player_.reset(new Player(display_.Name(), project_, dir_ / "player.log", "", env));
    ASSERT_GT(player_->Pid(), 0);
    window_ = display_.WaitWindow(player_->Pid(), {}, LoadStretchedMs(30000));
    ASSERT_NE(window_, 0u) << "no window; the program wrote:\n" << player_->Output();
    display_.Focus(window_);
  }

  // The window's pixels (the main window's unless another is named), kept as PNG files when the
  // environment asks (CaptureKept).
  Shot Capture() const { return CaptureOf(window_); }
  // The pixels of another window, or of the whole screen (0).
  Shot CaptureOf(unsigned long window) const { return CaptureKept(display_, window); }

  // Points of a 16-pixel grid outside the menu (its surface and cursor lie over the picture)
  // where the window does not show the title picture's colour.
  int TitleMismatches(const Shot& shot) const {
    if (shot.w != 640 || shot.h != 480) return -1;
    int bad = 0;
    for (int y = 0; y < 480; y += 16)
      for (int x = 0; x < 640; x += 16) {
        if (x >= 144 && x < 448 && y >= 224 && y < 480) continue;
        bad += (shot.At(x, y) & 0xFFFFFF) != title_.rgb[static_cast<size_t>(y) * 640 + x];
      }
    return bad;
  }

  // Captures the window until the condition holds of a shot, up to ms.
  // The limits of the waits below are those of a machine with a processor to spare, stretched
  // by the load; they are generous, since the sanitizer builds (ThreadSanitizer above all) run
  // the program several times slower. A wait that succeeds ends at once.
  bool WaitShot(const std::function<bool(const Shot&)>& cond, int ms) const {
    return WaitFor([&] { return cond(Capture()); }, LoadStretchedMs(ms), 20);
  }

  bool WaitTitle(int ms) {
    return WaitFor([&] { return TitleMismatches(Capture()) == 0; }, LoadStretchedMs(ms), 20);
  }

  // The row of the title menu the star cursor is on (the picture menu: cursor column at x 176,
  // rows 32 pixels high from y 240); -1 when none shows it.
  static int CursorRow(const Shot& shot) {
    for (int row = 0; row < 7; ++row) {
      const uint32_t c = shot.At(192, 256 + 32 * row);
      const int r = (c >> 16) & 255, g = (c >> 8) & 255, b = c & 255;
      if (r > 200 && g > 160 && b < 120) return row;
    }
    return -1;
  }

  // A key pressed and let go, held long enough for a frame to see it: on a loaded machine frames
  // come slower, and the hold and the pause after it grow with the load. The hold stays under
  // 200 ms: frames come at most 60 a second and a direction held 18 frames repeats, which would
  // turn a two-valued switch twice and show no change at all. A press no frame saw is pressed
  // again by the callers that watch the screen.
  void Tap(const char* key) {
    display_.Xdotool({"keydown", key});
    SleepMs(std::min(LoadStretchedMs(100), 200));
    display_.Xdotool({"keyup", key});
    SleepMs(LoadStretchedMs(150));
  }

  // The row of the options screen that a cursor starting at column x is on (the entries' cursor
  // at 48, the value's at 192; rows 16 pixels high from y 96); -1 when none shows it.
  static constexpr int kEntryCursorX = 48, kValueCursorX = 192;
  static int OptionsCursorRow(const Shot& shot, int x0) {
    if (shot.w != 640 || shot.h != 480) return -1;
    for (int row = 0; row < 6; ++row)
      for (int x = x0; x < x0 + 16; ++x) {
        const uint32_t c = shot.At(x, 96 + 16 * row + 8);
        const int r = (c >> 16) & 255, g = (c >> 8) & 255, b = c & 255;
        if (r > 200 && g > 160 && b < 120) return row;
      }
    return -1;
  }

  // Whether the options screen shows the music switch (row 1, its value at x 208) as "ON": the
  // text's light pixels end before x 240, where "OFF" goes on.
  static int MusicShownOn(const Shot& shot) {
    if (shot.w != 640 || shot.h != 480) return -1;
    for (int y = 112; y < 128; ++y)
      for (int x = 240; x < 256; ++x) {
        const uint32_t c = shot.At(x, y);
        if (((c >> 16) & 255) > 180 && ((c >> 8) & 255) > 180 && (c & 255) > 180) return 0;
      }
    return 1;
  }

  // Moves the title menu's cursor to the row, watching where it is.
  bool CursorTo(int row) {
    int now = CursorRow(Capture());
    for (int i = 0; i < 16 && now != row; ++i)
      now = TapAndRead(now >= 0 && now > row ? "Up" : "Down", CursorRow, now);
    return now == row;
  }

  // Presses the key and waits until what `read` finds on the screen is shown and differs from
  // `before`, the value last seen: a screen read before the frame that takes the press would have
  // the loops around press once too often. The new value; `before` when the screen did not
  // answer.
  int TapAndRead(const char* key, const std::function<int(const Shot&)>& read, int before) {
    Tap(key);
    int now = before;
    const bool changed = WaitShot([&](const Shot& shot) {
      now = read(shot);
      return now != -1 && now != before;
    }, 2500);
    return changed ? now : before;
  }

  // The dialog window the player opens next; it is focused.
  unsigned long WaitDialog() {
    const unsigned long dialog = display_.WaitWindow(player_->Pid(), {window_}, LoadStretchedMs(30000));
    if (dialog) {
      display_.Focus(dialog);
      // SDL gives a window the keyboard a moment after the focus comes (200 ms), counted from
      // when the program reads the focus event.
      SleepMs(LoadStretchedMs(300));
    }
    return dialog;
  }

  // Takes the entry of the focused file dialog's list that lies `down` rows below its first
  // ("[..]"): folders come first, then the files, each in name order.
  void ChooseInDialog(int down) {
    for (int i = 0; i < down; ++i) Tap("Down");
    Tap("Return");
  }

  // Asks the window to close; the program must end in order, within two seconds where the
  // machine lets that be measured (CloseClock), without a sanitizer report. The exit is awaited
  // well past the limit, so that a slow close is told apart from one that never ends.
  void CloseAndExpectCleanExit() {
    display_.RequestClose(window_);
    const CloseClock close;
    const int code = player_->WaitExit(ExitWaitMs());
    EXPECT_EQ(code, 0) << player_->Output();
    EXPECT_TRUE(close.WithinLimit("closing")) << "closing ends the process within two seconds, not "
                                             << close.ElapsedMs() << " ms";
    ExpectNoSanitizerReport();
  }

  void ExpectNoSanitizerReport() const {
    const std::string out = player_->Output();
    EXPECT_EQ(out.find("runtime error"), std::string::npos) << out;
    EXPECT_EQ(out.find("Sanitizer"), std::string::npos) << out;
  }

  // Free play from the title: the stage file `down` rows below "[..]" chosen in the file dialog
  // (by default c01-1.stg4_000, after "[old_ver]"), until the stage is drawn with the hero at its
  // start.
  void OpenFreePlayStage(int down = 2) {
    ASSERT_TRUE(CursorTo(kRowFreePlay));
    Tap("z");
    const unsigned long dialog = WaitDialog();
    ASSERT_NE(dialog, 0u) << "no file dialog";
    CaptureOf(dialog);  // for the screenshots
    ChooseInDialog(down);
    ASSERT_TRUE(display_.WaitWindowGone(dialog, LoadStretchedMs(5000)));
    display_.Focus(window_);
    ASSERT_TRUE(WaitShot([](const Shot& shot) { return HeroAtStart(shot); }, 30000)) << "the stage is not drawn";
  }

  // F1, held until play sees it, saves the attempt in play: the save dialog proposes a name in
  // user_data\rpl4, taken as it is; `name` is the file it writes.
  void SaveReplayWithF1(const std::string& name = "c01_00.rpl4_790") {
    ASSERT_TRUE(ReplayFiles().empty());
    display_.Xdotool({"keydown", "F1"});
    const unsigned long save = display_.WaitWindow(player_->Pid(), {window_}, LoadStretchedMs(30000));
    display_.Xdotool({"keyup", "F1"});
    ASSERT_NE(save, 0u) << "no save dialog";
    display_.Focus(save);
    SleepMs(LoadStretchedMs(300));
    Tap("Return");
    ASSERT_TRUE(display_.WaitWindowGone(save, LoadStretchedMs(5000)));
    display_.Focus(window_);
    // The proposal: the stage as the progress keeps it (the series number and the extension
    // dropped: "c01."), the replay extension, "_00" before it. The file is written under a
    // temporary name first and renamed when whole: the folder holds the final name alone.
    const std::vector<std::string> saved = {name};
    WaitFor([&] { return ReplayFiles() == saved; }, LoadStretchedMs(10000), 20);
    EXPECT_EQ(ReplayFiles(), saved);
  }

  // The title's replay entry with the one replay file, until the stage is drawn with the hero at
  // its start.
  void OpenReplay() {
    ASSERT_TRUE(CursorTo(kRowReplay));
    Tap("z");
    const unsigned long load = WaitDialog();
    ASSERT_NE(load, 0u) << "no file dialog";
    ChooseInDialog(1);  // [..], the replay
    ASSERT_TRUE(display_.WaitWindowGone(load, LoadStretchedMs(5000)));
    display_.Focus(window_);
    ASSERT_TRUE(WaitShot([](const Shot& shot) { return HeroAtStart(shot); }, 30000)) << "the replay did not start";
  }

  std::vector<std::string> ReplayFiles() const {
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(project_ + "/user_data/rpl4", ec))
      if (e.is_regular_file()) files.push_back(e.path().filename().string());
    return files;
  }

  TempDir dir_;
  XDisplay display_;
  std::string project_;
  Picture title_;
  std::unique_ptr<Player> player_;
  unsigned long window_ = 0;
};


TEST_F(PlayerWindow, TitleScreenShowsThenTheCloseRequestEndsTheProgram) {
  StartPlayer();
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_TRUE(WaitTitle(30000)) << TitleMismatches(Capture()) << " grid points differ from Title.bmp";
  CloseAndExpectCleanExit();
  // The window placement is saved on closing (32 bytes).
  EXPECT_EQ(ReadFileBytes(project_ + "/user_data/Window.dat").size(), 32u);
}

// A display that goes away under the running program ends it (the X library's fatal error
// exits the process) without any thread touching what the exit has freed.
TEST_F(PlayerWindow, LostDisplayEndsTheProgramWithoutASanitizerReport) {
  StartPlayer();
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_TRUE(WaitTitle(30000));
  display_.Kill();
  EXPECT_NE(player_->WaitExit(ExitWaitMs()), -1) << "the program did not end";
  ExpectNoSanitizerReport();
}

TEST_F(PlayerWindow, FreePlayThroughTheFileDialogThenF1SavesAReplayThatLoadsFromTheTitle) {
  StartPlayer();
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_TRUE(WaitTitle(30000));
  ASSERT_NO_FATAL_FAILURE(OpenFreePlayStage());
  ASSERT_NO_FATAL_FAILURE(SaveReplayWithF1());
  CloseAndExpectCleanExit();

  // Again on the same folder: the replay entry of the title plays the saved file.
  StartPlayer();
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_TRUE(WaitTitle(30000));
  ASSERT_NO_FATAL_FAILURE(OpenReplay());
  CloseAndExpectCleanExit();
}

TEST_F(PlayerWindow, OptionsScreenLeftWritesTheUserOptions) {
  StartPlayer();
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_TRUE(WaitTitle(30000));
  ASSERT_TRUE(CursorTo(kRowOptions));
  Tap("z");
  // The entries' cursor shows once the screen has faded in and takes keys; x leaves it.
  ASSERT_TRUE(WaitShot([](const Shot& shot) { return OptionsCursorRow(shot, kEntryCursorX) == 0; }, 30000));
  Tap("x");
  ASSERT_TRUE(WaitTitle(30000)) << "the options screen did not return to the title";
  // The defaults: version, field count 4, four fields, string count 1, "aaa" with its length.
  const std::string options = ReadFileBytes(project_ + "/user_data/Option.dat");
  ASSERT_EQ(options.size(), 36u);
  EXPECT_EQ(Le32(options, 0), 790u);
  EXPECT_EQ(Le32(options, 4), 4u);
  EXPECT_EQ(options.substr(28), std::string("\x04\0\0\0aaa\0", 8));
  CloseAndExpectCleanExit();
}

TEST_F(PlayerWindow, HeroWalksWithTheRightKeyAndItsReplayWalksAgain) {
  StartPlayer();
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_TRUE(WaitTitle(30000));
  ASSERT_NO_FATAL_FAILURE(OpenFreePlayStage());
  // With the right key held the hero leaves its start (once the start banner lets it go) and
  // is seen further right.
  display_.Xdotool({"keydown", "Right"});
  const bool walked = WaitShot([](const Shot& shot) { return HeroWalkedRight(shot); }, 30000);
  display_.Xdotool({"keyup", "Right"});
  ASSERT_TRUE(walked) << "the hero did not walk";
  ASSERT_NO_FATAL_FAILURE(SaveReplayWithF1());
  CloseAndExpectCleanExit();

  // The replay: the hero walks away from its start with no key pressed.
  StartPlayer();
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_TRUE(WaitTitle(30000));
  ASSERT_NO_FATAL_FAILURE(OpenReplay());
  EXPECT_TRUE(WaitShot([](const Shot& shot) { return HeroWalkedRight(shot); }, 30000))
      << "the recorded walk was not played";
  CloseAndExpectCleanExit();
}

// Another program destroys the window (as xdotool windowclose does): the program takes the
// X server's refusals of its requests, closes in order within the close-time limit, without a
// sanitizer report, and says on its way out that the window was lost. The placement it saves on
// closing is whole (32 bytes) or not written at all.
TEST_F(PlayerWindow, WindowDestroyedFromOutsideEndsTheProgramInOrder) {
  StartPlayer();
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_TRUE(WaitTitle(20000));
  ASSERT_EQ(display_.Xdotool({"windowclose", std::to_string(window_)}), 0);
  const CloseClock close;
  const int code = player_->WaitExit(ExitWaitMs());
  ASSERT_NE(code, -1) << "the program did not end";
  EXPECT_LT(code, 128) << "ended by a signal: " << player_->Output();
  EXPECT_EQ(code, 1) << player_->Output();
  EXPECT_TRUE(close.WithinLimit("the end after the window's loss"))
      << "the program ends within two seconds, not " << close.ElapsedMs() << " ms";
  ExpectNoSanitizerReport();
  EXPECT_TRUE(NamesTheLostWindow(player_->Output())) << player_->Output();
  const std::string placement = ReadFileBytes(project_ + "/user_data/Window.dat");
  EXPECT_TRUE(placement.empty() || placement.size() == 32u) << placement.size();
}

// Music switched off and on again in the options screen: the title plays its music again, the
// program goes on and closes in order.
TEST_F(PlayerWindow, MusicSwitchedOffAndOnInTheOptionsGoesOnPlaying) {
  StartPlayer();
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_TRUE(WaitTitle(20000));
  for (const int on : {0, 1}) {
    SCOPED_TRACE(on ? "music on" : "music off");
    ASSERT_TRUE(CursorTo(kRowOptions));
    Tap("z");
    // The entries' cursor on the first row, then on the music entry.
    ASSERT_TRUE(WaitShot([](const Shot& shot) { return OptionsCursorRow(shot, kEntryCursorX) == 0; }, 10000));
    const auto entryRow = [](const Shot& shot) { return OptionsCursorRow(shot, kEntryCursorX); };
    int row = 0;
    for (int i = 0; i < 6 && row != 1; ++i) row = TapAndRead("Down", entryRow, row);
    ASSERT_EQ(row, 1);
    Tap("z");
    ASSERT_TRUE(WaitShot([](const Shot& shot) { return OptionsCursorRow(shot, kValueCursorX) == 1; }, 5000))
        << "the music switch is not being edited";
    // Up turns the switch, watching the value shown ("OFF" reaches past x 240, "ON" does not).
    int shown = MusicShownOn(Capture());
    for (int i = 0; i < 4 && shown != on; ++i) shown = TapAndRead("Up", MusicShownOn, shown);
    ASSERT_EQ(shown, on);
    Tap("z");
    ASSERT_TRUE(WaitShot([](const Shot& shot) { return OptionsCursorRow(shot, kValueCursorX) == -1; }, 5000));
    Tap("x");
    ASSERT_TRUE(WaitTitle(10000)) << "the options screen did not return to the title\n" << player_->Output();
    // The music switch of Option.dat (offset 12).
    const std::string options = ReadFileBytes(project_ + "/user_data/Option.dat");
    ASSERT_EQ(options.size(), 36u);
    EXPECT_EQ(Le32(options, 12), static_cast<uint32_t>(on));
  }
  // The title goes on with its music.
  SleepMs(1000);
  ASSERT_TRUE(WaitTitle(5000));
  CloseAndExpectCleanExit();
}

// A game folder in which no file can be made: a box says so before anything else, and once it
// is answered the program ends with a failure and the line that names it.
TEST_F(PlayerWindow, UnwritableGameFolderShowsABoxThenEndsWithAFailure) {
  ScopedUnwritableDir unwritable(project_);
  if (!unwritable.Made()) GTEST_SKIP() << unwritable.Reason();
  player_.reset(new Player(display_.Name(), project_, dir_ / "player.log"));
  ASSERT_GT(player_->Pid(), 0);
  const unsigned long box = display_.WaitWindowNamed(reinterpret_cast<const char*>(u8"エラー"), 30000);
  ASSERT_NE(box, 0u) << "no box; the program wrote:\n" << player_->Output();
  window_ = box;
  display_.Focus(box);
  SleepMs(500);
  Capture();
  Tap("Return");
  EXPECT_EQ(player_->WaitExit(ExitWaitMs()), 1) << player_->Output();
  EXPECT_NE(player_->Output().find("tessellwhirl: the game folder " + project_ + " cannot be written"), std::string::npos)
      << player_->Output();
  ExpectNoSanitizerReport();
}

// A stage chosen in free play that does not load: its box, then the program closes in order
// (status 0), and the failure is in the report log and on standard error.
TEST_F(PlayerWindow, AStageChosenInFreePlayThatDoesNotLoadIsToldInTheReportLogAndOnStandardError) {
  WriteFileBytes(project_ + "/data/stg4/broken.stg4_000", "x");
  StartPlayer();
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_TRUE(WaitTitle(30000));
  ASSERT_TRUE(CursorTo(kRowFreePlay));
  Tap("z");
  const unsigned long dialog = WaitDialog();
  ASSERT_NE(dialog, 0u) << "no file dialog";
  ChooseInDialog(2);  // [..], [old_ver], broken.stg4_000
  ASSERT_TRUE(display_.WaitWindowGone(dialog, LoadStretchedMs(5000)));
  const unsigned long box = display_.WaitWindow(player_->Pid(), {window_}, LoadStretchedMs(30000));
  ASSERT_NE(box, 0u) << "no box; the program wrote:\n" << player_->Output();
  display_.Focus(box);
  SleepMs(LoadStretchedMs(300));
  Tap("Return");
  EXPECT_EQ(player_->WaitExit(ExitWaitMs()), 0) << player_->Output();
  const std::string line = "the stage file data\\stg4\\broken.stg4_000 cannot be loaded: damaged or cut short";
  EXPECT_EQ(LinesStartingWith(player_->Output(), "tessellwhirl: "), std::vector<std::string>{"tessellwhirl: " + line})
      << player_->Output();
  EXPECT_NE(ReadFileBytes(project_ + "/Report_Game.txt").find("\n" + line + "\n"), std::string::npos);
  ExpectNoSanitizerReport();
}

// The sample game in a folder whose path holds characters that code page 932 has no code for,
// with a stage named so too and a title that ends in a lead byte alone.
class OddFolderWindow : public PlayerWindow {
 protected:
  void SetUp() override {
    PlayerWindow::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    const std::string odd = dir_ / reinterpret_cast<const char*>(u8"Jeux vidéo ü/Привет 🎮/game");
    fs::create_directories(fs::path(odd).parent_path());
    fs::rename(project_, odd);
    project_ = odd;
    fs::copy_file(project_ + "/data/stg4/c01-1.stg4_000",
                  project_ + "/data/stg4/" + reinterpret_cast<const char*>(u8"é🎮-1.stg4_000"));
    std::string system = ReadFileBytes(project_ + "/data/System.dat");
    const size_t title = system.find(std::string("Star Sprout Adventure\0", 22));
    ASSERT_NE(title, std::string::npos);
    system[title + 21] = '\x81';  // in place of the terminating zero
    WriteFileBytes(project_ + "/data/System.dat", system);
  }
};

// It plays there: the window's title is valid UTF-8; the free-play dialog lists the stage under
// its own name, and it is played; the replay saved with F1, the options, the window's placement
// and the report log are written in that folder; the replay is listed by the replay dialog and
// played again on the next start.
TEST_F(OddFolderWindow, TheSampleGamePlaysThereAndWritesItsFilesThere) {
  // Leaks are looked for in this run: a title the X library cannot convert leaks its copy. The
  // D-Bus library that SDL starts keeps its memory to the end.
  WriteFileBytes(dir_ / "leaks.supp", "leak:libdbus-1.so\n");
  const std::vector<std::string> leaks = {
      "ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1",
      "LSAN_OPTIONS=suppressions=" + (dir_ / "leaks.supp")};
  StartPlayer(leaks);
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_TRUE(WaitTitle(30000));
  EXPECT_EQ(display_.WindowName(window_), reinterpret_cast<const char*>(u8"Star Sprout Adventure\uFFFD"));
  // The files in name order: é🎮-1 is the last, six rows below "[..]".
  ASSERT_NO_FATAL_FAILURE(OpenFreePlayStage(6));
  ASSERT_NO_FATAL_FAILURE(SaveReplayWithF1(reinterpret_cast<const char*>(u8"é🎮_00.rpl4_790")));
  CloseAndExpectCleanExit();
  EXPECT_EQ(ReadFileBytes(project_ + "/user_data/Window.dat").size(), 32u);
  EXPECT_EQ(ReadFileBytes(project_ + "/Report_Game.txt").rfind("App : ver 790\n", 0), 0u);

  // Again: the options are written there, and the replay plays from the title's replay entry.
  StartPlayer(leaks);
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_TRUE(WaitTitle(30000));
  ASSERT_TRUE(CursorTo(kRowOptions));
  Tap("z");
  ASSERT_TRUE(WaitShot([](const Shot& shot) { return OptionsCursorRow(shot, kEntryCursorX) == 0; }, 30000));
  Tap("x");
  ASSERT_TRUE(WaitTitle(30000)) << "the options screen did not return to the title";
  EXPECT_EQ(ReadFileBytes(project_ + "/user_data/Option.dat").size(), 36u);
  ASSERT_NO_FATAL_FAILURE(OpenReplay());
  CloseAndExpectCleanExit();
}

// A second start in the same folder asks whether to end the running program; answered No
// (Right to the No button, then Enter: a Yes/No box takes no Escape), the second ends with a failure that says why, and the first goes on.
TEST_F(PlayerWindow, SecondCopyRefusedEndsWithAFailureAndTheFirstGoesOn) {
  StartPlayer();
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_TRUE(WaitTitle(20000));
  Player second(display_.Name(), project_, dir_ / "second.log");
  ASSERT_GT(second.Pid(), 0);
  const unsigned long question = display_.WaitWindowNamed(reinterpret_cast<const char*>(u8"二重起動"), 30000);
  ASSERT_NE(question, 0u) << "no question; the second program wrote:\n" << second.Output();
  display_.Focus(question);
  SleepMs(500);
  display_.Xdotool({"key", "Right"});
  display_.Xdotool({"key", "Return"});
  EXPECT_EQ(second.WaitExit(ExitWaitMs()), 1) << second.Output();
  EXPECT_NE(second.Output().find("tessellwhirl: the program is already running in this folder"), std::string::npos)
      << second.Output();
  display_.Focus(window_);
  ASSERT_TRUE(WaitTitle(5000)) << "the first program goes on";
  CloseAndExpectCleanExit();
}

// ---- Dialogs and message boxes over the game ----

// Where the text engine's own picture of a text (the dialogs' face and size: 9-point gothic,
// black, without anti-aliasing) stands in the shot over the dialogs' face colour: every pixel of
// the text's cell equal. The places where it is found.
std::vector<std::pair<int, int>> FindDialogText(const Shot& shot, const std::string& sjis) {
  std::vector<std::pair<int, int>> found;
  std::shared_ptr<gfx::TextFace> face = gfx::TextFace::Open("ＭＳ Ｐゴシック", -12, 0, false);
  if (!face) return found;
  const int w = face->TextWidth(sjis.c_str(), static_cast<int>(sjis.size()));
  const int h = face->CellHeight();
  std::vector<uint8_t> ink(static_cast<size_t>(w) * h, 0);
  face->Render(sjis.c_str(), static_cast<int>(sjis.size()), 0, 0, [&](int x, int y, int a) {
    if (x >= 0 && x < w && y >= 0 && y < h && a) ink[static_cast<size_t>(y) * w + x] = 1;
  });
  for (int oy = 0; oy + h <= shot.h; ++oy)
    for (int ox = 0; ox + w <= shot.w; ++ox) {
      bool same = true;
      for (int y = 0; y < h && same; ++y)
        for (int x = 0; x < w && same; ++x)
          same = (shot.At(ox + x, oy + y) & 0xFFFFFF) == (ink[static_cast<size_t>(y) * w + x] ? 0x000000u : 0xF0F0F0u);
      if (same) found.emplace_back(ox, oy);
    }
  return found;
}

// A player started on a damaged copy of the sample game: its first window is its error box.
class StartupBox : public PlayerWindow {
 protected:
  void StartOnFolderWithoutSystemDat() {
    fs::remove(project_ + "/data/System.dat");
    player_.reset(new Player(display_.Name(), project_, dir_ / "player.log"));
    ASSERT_GT(player_->Pid(), 0);
    box_ = display_.WaitWindow(player_->Pid(), {}, LoadStretchedMs(30000));
    ASSERT_NE(box_, 0u) << "no box; the program wrote:\n" << player_->Output();
    SleepMs(LoadStretchedMs(300));  // until it takes keys
  }
  // The process ends within the close limit, without a sanitizer report.
  void ExpectEndsWithinTheLimit(const CloseClock& close, const char* how) {
    EXPECT_NE(player_->WaitExit(ExitWaitMs()), -1) << how << ": the program did not end";
    EXPECT_TRUE(close.WithinLimit(how)) << how << ": " << close.ElapsedMs() << " ms";
    ExpectNoSanitizerReport();
  }
  unsigned long box_ = 0;
};

// The box of a failed start-up is drawn in the program's own dialog: its text's pixels are the
// text engine's picture of the message, found once; it has the keyboard without anyone giving
// it the focus (there is no window manager), and Enter ends it and the program with it.
TEST_F(StartupBox, TheErrorBoxShowsTheMessageInTheDialogFontAndEnterEndsTheProgram) {
  ASSERT_NO_FATAL_FAILURE(StartOnFolderWithoutSystemDat());
  EXPECT_EQ(display_.FocusedWindow(), box_);
  const Shot shot = CaptureOf(box_);
  EXPECT_EQ(FindDialogText(shot, "data\\System.dat の読み込みに失敗…").size(), 1u);
  EXPECT_EQ(FindDialogText(shot, "OK").size(), 1u);
  Tap("Return");
  ExpectEndsWithinTheLimit(CloseClock(), "Enter");
}

// Whatever ends the box: Escape (an OK box's answer), the window's close request, SIGTERM. Each
// ends the program within the close limit.
TEST_F(StartupBox, EscapeTheCloseRequestAndSigtermEndTheProgramWhileTheBoxIsUp) {
  for (const std::string how : {"Escape", "close", "SIGTERM"}) {
    ASSERT_NO_FATAL_FAILURE(StartOnFolderWithoutSystemDat());
    // The box is still up after a second: nothing ends it but the person or the signal.
    SleepMs(1000);
    ASSERT_FALSE(display_.WaitWindowGone(box_, 0)) << how;
    const CloseClock close;
    if (how == "Escape") {
      display_.Xdotool({"key", "Escape"});
    } else if (how == "close") {
      display_.RequestClose(box_);
    } else {
      kill(player_->Pid(), SIGTERM);
    }
    ExpectEndsWithinTheLimit(close, how.c_str());
  }
}

// The second copy of the program on the same folder asks whether to end the first. Escape
// does not answer a Yes/No question; the arrow and Enter answer No, and the second copy ends
// while the first goes on; SIGTERM ends the asking copy (it has no main window yet); Enter
// answers Yes: the first copy ends and the second starts.
TEST_F(PlayerWindow, TheSecondCopysQuestionIsAnsweredByItsKeysAndEndsBySigterm) {
  StartPlayer();
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_TRUE(WaitTitle(20000));
  auto second = [&](std::unique_ptr<Player>& p, unsigned long* box) {
    p.reset(new Player(display_.Name(), project_, dir_ / "second.log"));
    ASSERT_GT(p->Pid(), 0);
    *box = display_.WaitWindow(p->Pid(), {}, LoadStretchedMs(30000));
    ASSERT_NE(*box, 0u) << p->Output();
    SleepMs(LoadStretchedMs(300));
  };
  std::unique_ptr<Player> b;
  unsigned long box = 0;
  ASSERT_NO_FATAL_FAILURE(second(b, &box));
  const Shot question = CaptureOf(box);
  CaptureOf(0);  // the question over the first copy's window, for the screenshots
  EXPECT_EQ(FindDialogText(question, "既に起動しています。").size(), 1u);
  EXPECT_EQ(FindDialogText(question, "はい").size(), 1u);
  EXPECT_EQ(FindDialogText(question, "いいえ").size(), 1u);
  Tap("Escape");
  SleepMs(700);
  EXPECT_FALSE(display_.WaitWindowGone(box, 0)) << "Escape answered a Yes/No question";
  Tap("Right");
  Tap("Return");
  EXPECT_NE(b->WaitExit(ExitWaitMs()), -1) << "No did not end the second copy";
  EXPECT_FALSE(display_.WaitWindowGone(window_, 500)) << "No ended the first copy";

  ASSERT_NO_FATAL_FAILURE(second(b, &box));
  kill(b->Pid(), SIGTERM);
  const CloseClock close;
  EXPECT_NE(b->WaitExit(ExitWaitMs()), -1) << "SIGTERM did not end the asking copy";
  EXPECT_TRUE(close.WithinLimit("SIGTERM to the asking copy")) << close.ElapsedMs() << " ms";
  EXPECT_FALSE(display_.WaitWindowGone(window_, 500)) << "SIGTERM to the second copy ended the first";

  ASSERT_NO_FATAL_FAILURE(second(b, &box));
  Tap("Return");
  EXPECT_NE(player_->WaitExit(ExitWaitMs()), -1) << "Yes did not end the first copy";
  // Start-up may make its window again (the drawing back-end's fall-back): the one that shows
  // the title.
  unsigned long main = 0;
  EXPECT_TRUE(WaitFor(
      [&] {
        for (unsigned long w : display_.WindowsOf(b->Pid())) {
          Shot shot;
          if (display_.Capture(w, &shot) && TitleMismatches(shot) == 0) main = w;
        }
        return main != 0;
      },
      LoadStretchedMs(30000)))
      << "the second copy did not start";
  ASSERT_NE(main, 0u) << b->Output();
  display_.RequestClose(main);
  EXPECT_EQ(b->WaitExit(ExitWaitMs()), 0) << b->Output();
  const std::string out = b->Output();
  EXPECT_EQ(out.find("runtime error"), std::string::npos) << out;
  EXPECT_EQ(out.find("Sanitizer"), std::string::npos) << out;
}

// The free-play file dialog over the game: it has the keyboard when it opens (Escape closes
// it), the game's window has it back when it closes (z opens the next one); while it is up the
// game's window takes no keys (its Escape would close the program); after a stage is chosen the
// game runs and walks with the keys, with nobody giving its window the focus.
TEST_F(PlayerWindow, TheFileDialogTakesTheKeyboardAndGivesItBackToTheGame) {
  StartPlayer();
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_TRUE(WaitTitle(20000));
  ASSERT_TRUE(CursorTo(kRowFreePlay));
  Tap("z");
  unsigned long dialog = display_.WaitWindow(player_->Pid(), {window_}, LoadStretchedMs(30000));
  ASSERT_NE(dialog, 0u) << "no file dialog";
  SleepMs(LoadStretchedMs(300));
  EXPECT_EQ(display_.FocusedWindow(), dialog);
  Tap("Escape");
  ASSERT_TRUE(display_.WaitWindowGone(dialog, LoadStretchedMs(30000))) << "Escape did not reach the dialog";
  EXPECT_TRUE(WaitFor([&] { return display_.FocusedWindow() == window_; }, LoadStretchedMs(30000)));

  Tap("z");
  dialog = display_.WaitWindow(player_->Pid(), {window_}, LoadStretchedMs(30000));
  ASSERT_NE(dialog, 0u) << "the game's window did not take z after the first dialog";
  SleepMs(LoadStretchedMs(300));
  display_.Focus(window_);
  Tap("Escape");
  SleepMs(1000);
  ASSERT_FALSE(display_.WaitWindowGone(dialog, 0)) << "the game's Escape closed the dialog";
  ASSERT_TRUE(player_->Running()) << "the game's window took Escape while the dialog was up";
  display_.Focus(dialog);
  SleepMs(LoadStretchedMs(300));
  ChooseInDialog(2);  // [..], [old_ver], c01-1.stg4_000
  ASSERT_TRUE(display_.WaitWindowGone(dialog, LoadStretchedMs(30000)));
  EXPECT_TRUE(WaitFor([&] { return display_.FocusedWindow() == window_; }, LoadStretchedMs(30000)));
  ASSERT_TRUE(WaitShot([](const Shot& shot) { return HeroAtStart(shot); }, 20000)) << "the stage is not played";
  display_.Xdotool({"keydown", "Right"});
  const bool walked = WaitShot([](const Shot& shot) { return HeroWalkedRight(shot); }, 10000);
  display_.Xdotool({"keyup", "Right"});
  EXPECT_TRUE(walked) << "the game's window did not take the keys after the dialog";
  CloseAndExpectCleanExit();
}

// A player that has tried to save into slot 1 of the save screen, where a folder stands in
// place of the slot's file: the box of the failed save, asked for by the game thread.
class SaveFailure : public PlayerWindow {
 protected:
  void OpenSaveFailureBox() {
    fs::create_directories(project_ + "/user_data/story/Story01.dat");
    StartPlayer();
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(WaitTitle(20000));
    // The save screen's parts on its plain background: the menu, the slot list, the
    // confirmation.
    auto plain = [](const Shot& s) {
      const uint32_t bg = s.At(5, 5);
      return s.w == 640 && s.At(630, 5) == bg && s.At(5, 470) == bg && s.At(630, 470) == bg && s.At(320, 100) == bg;
    };
    auto menu = [&](const Shot& s) { return plain(s) && s.At(280, 200) != s.At(5, 5) && s.At(160, 170) == s.At(5, 5); };
    auto slots = [&](const Shot& s) { return plain(s) && s.At(160, 170) != s.At(5, 5) && s.At(300, 408) == s.At(5, 5); };
    auto confirm = [&](const Shot& s) { return plain(s) && s.At(160, 170) != s.At(5, 5) && s.At(300, 408) != s.At(5, 5); };
    // Presses the key until the screen shows what it should (a frame may not take a press
    // while it fades).
    auto tapUntil = [&](const char* key, const std::function<bool(const Shot&)>& cond) {
      for (int i = 0; i < 8; ++i) {
        Tap(key);
        if (WaitShot(cond, 2500)) return true;
      }
      return false;
    };
    ASSERT_TRUE(tapUntil("z", [&](const Shot& s) { return TitleMismatches(s) > 100; })) << "no world map";
    ASSERT_TRUE(tapUntil("x", menu)) << "no save screen";
    ASSERT_TRUE(tapUntil("z", slots)) << "no slot list";
    // The question starts on No: Up takes it to Yes, z answers. A slow frame can miss a press:
    // an answer No goes back to the slot list, a missed answer leaves the question up; either
    // way the question is asked and answered again.
    ASSERT_TRUE(tapUntil("z", confirm)) << "no confirmation";
    for (int i = 0; i < 6 && !box_; ++i) {
      if (i > 0 && !WaitShot(confirm, 2500)) {
        ASSERT_TRUE(tapUntil("z", confirm)) << "no confirmation";
      }
      Tap("Up");
      Tap("z");
      box_ = display_.WaitWindow(player_->Pid(), {window_}, LoadStretchedMs(5000));
    }
    ASSERT_NE(box_, 0u) << "no box for the failed save";
    SleepMs(LoadStretchedMs(300));
  }
  unsigned long box_ = 0;
};

// The box stands over the game in the dialogs' font with the keyboard; the game's window takes
// no keys while it is up; Enter answers it, and the game's window has the keyboard again (its
// Escape closes the program).
TEST_F(SaveFailure, TheBoxStandsOverTheGameAndGivesTheKeyboardBack) {
  ASSERT_NO_FATAL_FAILURE(OpenSaveFailureBox());
  const unsigned long box = box_;
  EXPECT_EQ(display_.FocusedWindow(), box);
  EXPECT_EQ(FindDialogText(CaptureOf(box), "user_data\\story\\Story01.dat のセーブに失敗しました！").size(), 1u);
  CaptureOf(0);  // the box over the game, for the screenshots
  display_.Focus(window_);
  Tap("Escape");
  SleepMs(1000);
  ASSERT_TRUE(player_->Running()) << "the game's window took Escape while the box was up";
  ASSERT_FALSE(display_.WaitWindowGone(box, 0));
  display_.Focus(box);
  SleepMs(LoadStretchedMs(300));
  Tap("Return");
  ASSERT_TRUE(display_.WaitWindowGone(box, LoadStretchedMs(30000)));
  EXPECT_TRUE(WaitFor([&] { return display_.FocusedWindow() == window_; }, LoadStretchedMs(30000)));
  Tap("Escape");
  const CloseClock close;
  EXPECT_EQ(player_->WaitExit(ExitWaitMs()), 0) << player_->Output();
  EXPECT_TRUE(close.WithinLimit("Escape after the box")) << close.ElapsedMs() << " ms";
  ExpectNoSanitizerReport();
}

// SIGTERM while the game thread waits on its box: the program ends in order within the close
// limit.
TEST_F(SaveFailure, SigtermEndsTheProgramWhileTheBoxIsUp) {
  ASSERT_NO_FATAL_FAILURE(OpenSaveFailureBox());
  kill(player_->Pid(), SIGTERM);
  const CloseClock close;
  EXPECT_EQ(player_->WaitExit(ExitWaitMs()), 0) << player_->Output();
  EXPECT_TRUE(close.WithinLimit("SIGTERM with the box up")) << close.ElapsedMs() << " ms";
  ExpectNoSanitizerReport();
}
}  // namespace
