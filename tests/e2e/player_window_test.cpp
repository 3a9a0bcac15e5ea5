// The player program in a real window on a virtual X display, on a copy of the sample game:
// the title screen, free play of a stage chosen in the file dialog, the hero walking, a replay
// saved with F1 and played back from the title, and the close request of the window.
// Each test starts its own Xvfb; without Xvfb or xdotool the tests are skipped.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "draw/png_file.h"
#include "support/bytes.h"
#include "support/temp_dir.h"
#include "support/wait.h"
#include "x_display.h"

extern char** environ;

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

// The player as a process on the display, its output kept in a file.
class Player {
 public:
  Player(const std::string& display, const std::string& project, const std::string& log) : log_(log) {
    // The test's environment, with the display, no SDL video driver of the tests, silent sound,
    // and the sanitizers' options: the X libraries keep allocations to the end, which are not
    // the program's leaks; any other report ends the program with a failure.
    std::vector<std::string> env = {"DISPLAY=" + display, "SDL_AUDIODRIVER=dummy",
                                    "ASAN_OPTIONS=halt_on_error=1:detect_leaks=0",
                                    "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1"};
    for (char** e = environ; *e; ++e) {
      const std::string var = *e;
      bool replaced = var.rfind("SDL_VIDEODRIVER=", 0) == 0;
      for (size_t i = 0; i < 4; ++i) replaced = replaced || var.rfind(env[i].substr(0, env[i].find('=') + 1), 0) == 0;
      if (!replaced) env.push_back(var);
    }
    std::vector<char*> envp;
    for (const std::string& v : env) envp.push_back(const_cast<char*>(v.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<std::string> args = {"tessellwhirl", "--project", project};
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, TW_PLAYER_EXE, &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Player() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  pid_t Pid() const { return pid_; }
  // The exit status, waiting up to ms; -1 when it has not ended (it is then killed).
  int WaitExit(int ms) {
    int status = 0;
    const bool ended = WaitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, ms, 20);
    if (!ended) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
    }
    pid_ = -1;
    if (!ended) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
  }
  // What the program and the sanitizers wrote.
  std::string Output() const { return ReadFileBytes(log_); }

 private:
  std::string log_;
  pid_t pid_ = -1;
};

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
    if (!ProgramInstalled("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(ProgramInstalled("xdotool")) << "xdotool is not installed (tools/setup_debian.sh)";
    std::string error;
    ASSERT_TRUE(display_.Start(&error)) << error;
    project_ = dir_ / "game";
    std::error_code ec;
    fs::copy(TW_SAMPLE_GAME_DIR, project_, fs::copy_options::recursive, ec);
    ASSERT_FALSE(ec) << "cannot copy the sample game: " << ec.message();
    ASSERT_TRUE(ReadBmp8(TW_SAMPLE_GAME_DIR "/bmp/Title.bmp", &title_));
    ASSERT_EQ(title_.w, 640);
    ASSERT_EQ(title_.h, 480);
  }

  // Starts the player and waits for its window, focused.
  void StartPlayer() {
    player_.reset(new Player(display_.Name(), project_, dir_ / "player.log"));
    ASSERT_GT(player_->Pid(), 0);
    window_ = display_.WaitWindow(player_->Pid(), {}, LoadStretchedMs(30000));
    ASSERT_NE(window_, 0u) << "no window; the program wrote:\n" << player_->Output();
    display_.Focus(window_);
  }

  // The window's pixels; with TW_E2E_SHOTS set to a folder, each is also written there as a
  // numbered PNG file, for a person to look at.
  Shot Capture() const {
    Shot shot;
    EXPECT_TRUE(display_.Capture(window_, &shot));
    if (const char* folder = std::getenv("TW_E2E_SHOTS")) {
      static int count = 0;
      char name[256];
      std::snprintf(name, sizeof name, "/%s-%03d.png", testing::UnitTest::GetInstance()->current_test_info()->name(),
                    count++);
      WritePngFile((folder + std::string(name)).c_str(), shot.w, shot.h, shot.px.data());
    }
    return shot;
  }

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

  // A key pressed and let go, held long enough for a frame to see it.
  void Tap(const char* key) {
    display_.Xdotool({"keydown", key});
    SleepMs(100);
    display_.Xdotool({"keyup", key});
    SleepMs(150);
  }

  // Moves the title menu's cursor to the row, watching where it is.
  bool CursorTo(int row) {
    for (int i = 0; i < 16; ++i) {
      const int now = CursorRow(Capture());
      if (now == row) return true;
      Tap(now >= 0 && now > row ? "Up" : "Down");
    }
    return false;
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

  // Asks the window to close; the program must end in order, within two seconds, without a
  // sanitizer report. The exit is awaited well past the limit, so that a slow close is told
  // apart from one that never ends.
  void CloseAndExpectCleanExit() {
    display_.RequestClose(window_);
    const long long start = NowMs();
    const int limit = CloseLimitMs();
    const int code = player_->WaitExit(std::max(10000, 3 * limit));
    const long long took = NowMs() - start;
    EXPECT_EQ(code, 0) << player_->Output();
    EXPECT_LE(took, limit) << "closing ends the process within two seconds";
    ExpectNoSanitizerReport();
  }

  void ExpectNoSanitizerReport() const {
    const std::string out = player_->Output();
    EXPECT_EQ(out.find("runtime error"), std::string::npos) << out;
    EXPECT_EQ(out.find("Sanitizer"), std::string::npos) << out;
  }

  // Free play from the title: the stage file chosen in the file dialog, until the stage is
  // drawn with the hero at its start.
  void OpenFreePlayStage() {
    ASSERT_TRUE(CursorTo(kRowFreePlay));
    Tap("z");
    const unsigned long dialog = WaitDialog();
    ASSERT_NE(dialog, 0u) << "no file dialog";
    ChooseInDialog(2);  // [..], [old_ver], c01-1.stg4_000
    ASSERT_TRUE(display_.WaitWindowGone(dialog, LoadStretchedMs(5000)));
    display_.Focus(window_);
    ASSERT_TRUE(WaitShot([](const Shot& shot) { return HeroAtStart(shot); }, 30000)) << "the stage is not drawn";
  }

  // F1, held until play sees it, saves the attempt in play: the save dialog proposes a name in
  // user_data\rpl4, taken as it is.
  void SaveReplayWithF1() {
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
    const std::vector<std::string> saved = {"c01_00.rpl4_790"};
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
  EXPECT_NE(player_->WaitExit(LoadStretchedMs(30000)), -1) << "the program did not end";
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
  ASSERT_TRUE(WaitShot([this](const Shot& shot) { return TitleMismatches(shot) > 100; }, 30000));
  SleepMs(LoadStretchedMs(500));
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

}  // namespace
