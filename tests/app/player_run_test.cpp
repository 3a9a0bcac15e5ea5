// The player program itself, started as a process on a project folder written by the fixture
// builder: it starts, plays the stage named on its command line, and closes in order on
// SIGTERM; a second start in the same folder ends the first; a start-up that fails ends with
// status 1 and a line on standard error that names the failure.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <time.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/instance_lock.h"
#include "app_fixture.h"
#include "support/bytes.h"
#include "support/spawn.h"
#include "support/temp_dir.h"
#include "support/wait.h"

namespace {

// The program started with the arguments; with errFile, its standard error goes to that file;
// the variables of env ("NAME=value") take the place of the test's own.
pid_t Spawn(const std::vector<std::string>& args, const std::string& errFile = "",
            const std::vector<std::string>& env = {}) {
  SpawnSpec spec;
  spec.args = args;
  spec.env = env;
  spec.err = errFile;
  return SpawnProgram(TW_PLAYER_EXE, spec);
}

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// The exit status of the process, waiting up to ms milliseconds; -1 when it has not ended.
int WaitExit(pid_t pid, int ms) {
  int status = 0;
  const bool ended = WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, ms);
  if (!ended) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
}

std::string ReportOf(const std::string& project) { return ReadFileBytes(project + "/Report_Game.txt"); }

// Until the program's drawing device runs (the display lines in the report log), well into its
// start-up, and long enough for the fonts, the sound and the world map after it (the program
// writes nothing when they are done): a span that grows with the load.
bool WaitStarted(const std::string& project) {
  const bool made = WaitFor([&] { return ReportOf(project).find("\nBpp : ") != std::string::npos; }, 20000);
  SleepMs(LoadStretchedMs(2500));
  return made;
}

// Starts the program on the project with a stage, lets it run, ends it with SIGTERM; its exit
// status, and whether it ended within the close limit (where the machine lets that be measured).
int RunAndTerminate(const std::string& project, const char* stage, bool* inTime = nullptr) {
  const pid_t pid = Spawn({"tessellwhirl", "--project", project, stage});
  if (pid <= 0) return -2;
  const bool started = WaitStarted(project);
  kill(pid, SIGTERM);
  const CloseClock close;
  const int code = WaitExit(pid, ExitWaitMs());
  if (inTime) *inTime = close.WithinLimit("closing on SIGTERM");
  return started ? code : -3;
}

TEST(PlayerRun, PlaysTheNamedStageAndClosesInOrderOnSigterm) {
  TempDir dir;
  const std::string project = dir / "game";
  ASSERT_TRUE(appfixture::WriteProject(project));
  bool inTime = false;
  EXPECT_EQ(RunAndTerminate(project, "data\\stg4\\free.stg4", &inTime), 0);
  EXPECT_TRUE(inTime) << "closing ends the process within two seconds";
  // Windowed: the placement is saved (32 bytes).
  EXPECT_EQ(ReadFileBytes(project + "/user_data/Window.dat").size(), 32u);
  const std::string report = ReportOf(project);
  // The log begins with the version and the machine, and once the device runs the display.
  EXPECT_EQ(report.rfind("App : ver 790\nOS : ", 0), 0u) << report;
  EXPECT_NE(report.find("\nMode : Window\nBpp : "), std::string::npos) << report;
  EXPECT_EQ(report.find("free.stg4"), std::string::npos) << "the stage was found: " << report;
}

TEST(PlayerRun, StageNamedInTheSystemsCharactersOnTheCommandLine) {
  TempDir dir;
  const std::string project = dir / "game";
  appfixture::Options options;
  options.stageName = "\x83\x58\x83\x65\x81\x5B\x83\x57";  // "ステージ" in Shift-JIS
  ASSERT_TRUE(appfixture::WriteProject(project, options));
  // The command line is UTF-8.
  EXPECT_EQ(RunAndTerminate(project, reinterpret_cast<const char*>(u8"data/stg4/ステージ.stg4")), 0);
  EXPECT_EQ(ReportOf(project).find("stg4"), std::string::npos) << "the stage was found";
}

TEST(PlayerRun, MissingStageIsReportedAndTheProgramRuns) {
  TempDir dir;
  const std::string project = dir / "game";
  ASSERT_TRUE(appfixture::WriteProject(project));
  EXPECT_EQ(RunAndTerminate(project, "data\\stg4\\none.stg4"), 0);
  EXPECT_NE(ReportOf(project).find("data\\stg4\\none.stg4"), std::string::npos);
}

TEST(PlayerRun, SecondStartEndsTheFirst) {
  TempDir dir;
  const std::string project = dir / "game";
  ASSERT_TRUE(appfixture::WriteProject(project));
  const pid_t first = Spawn({"tessellwhirl", "--project", project});
  ASSERT_GT(first, 0);
  ASSERT_TRUE(WaitStarted(project));
  // Without a display the question takes its first answer, "yes".
  const pid_t second = Spawn({"tessellwhirl", "--project", project});
  ASSERT_GT(second, 0);
  EXPECT_EQ(WaitExit(first, ExitWaitMs()), 0) << "the first program closed in order";
  ASSERT_TRUE(WaitFor([&] { return ReadFileBytes(project + "/" + g_lpszInstanceLockFile) == std::to_string(second) + "\n"; },
                      10000));
  SleepMs(LoadStretchedMs(1000));
  ASSERT_EQ(kill(second, SIGTERM), 0);
  EXPECT_EQ(WaitExit(second, ExitWaitMs()), 0);
  EXPECT_NE(ReportOf(project).find("Restart?"), std::string::npos) << "the question was asked";
}

TEST(PlayerRun, UnknownOptionAndMissingFolder) {
  TempDir dir;
  pid_t pid = Spawn({"tessellwhirl", "--bogus"});
  ASSERT_GT(pid, 0);
  EXPECT_EQ(WaitExit(pid, 10000), 2);
  pid = Spawn({"tessellwhirl", "--project", dir / "none"});
  ASSERT_GT(pid, 0);
  EXPECT_EQ(WaitExit(pid, 10000), 1);
}

}  // namespace

namespace {

TEST(PlayerRun, FailedStartUpInTestPlayTellsTheEditingProgram) {
  TempDir dir;
  // No "data" and no "default" folder: start-up cannot make the project's folder.
  dir.MakeDir("empty");
  const std::string project = dir / "empty";
  const pid_t pid = Spawn({"tessellwhirl", "--project", project, "--test-play"});
  ASSERT_GT(pid, 0);
  EXPECT_EQ(WaitExit(pid, 20000), 1);
  const std::string report = ReportOf(project);
  EXPECT_NE(report.find("NotifyEditorStart : Tessellwhirl4_Editor 1"), std::string::npos) << report;
  EXPECT_NE(report.find("NotifyEditorExit : Tessellwhirl4_Editor 0"), std::string::npos) << report;
  EXPECT_FALSE(Exists(project + "/user_data/Window.dat"));
}

}  // namespace

namespace {

// The lines of standard error that the program itself wrote.
std::vector<std::string> ProgramLines(const std::string& err) { return LinesStartingWith(err, "tessellwhirl: "); }

// A start-up that fails ends with status 1 and one line on standard error naming the failure.
TEST(PlayerRun, FailedStartUpsEndWithAFailureAndNameIt) {
  struct Case {
    const char* what;
    std::function<void(const std::string& project)> make;  // spoils the project
    std::vector<std::string> env;
    const char* line;  // what the line says
  };
  const auto cutFile = [](const char* rel) {
    return [rel](const std::string& project) { WriteFileBytes(project + "/" + rel, std::string("\x16\x03\0\0\x04\0", 6)); };
  };
  const Case cases[] = {
      {"no game in the folder", [](const std::string& project) { std::filesystem::remove_all(project + "/data"); }, {},
       "tessellwhirl: start-up failed: no game here: there is no data folder, and none was made from a default folder"},
      {"System.dat cut short", cutFile("data/System.dat"), {},
       "tessellwhirl: start-up failed: data\\System.dat cannot be read: damaged or cut short"},
      {"System.dat missing", [](const std::string& project) { std::filesystem::remove(project + "/data/System.dat"); },
       {}, "tessellwhirl: start-up failed: data\\System.dat cannot be read: No such file or directory"},
      {"a database file cut short", cutFile("data/database/Sound.dat"), {},
       "tessellwhirl: start-up failed: data\\database\\Sound.dat cannot be read: damaged or cut short"},
      {"the world map made by a newer version",
       [](const std::string& project) { WriteFileBytes(project + "/data/WorldMap.dat", ByteWriter().I32(791).I32(0).str()); },
       {}, "tessellwhirl: start-up failed: data\\WorldMap.dat cannot be read: made by a newer version of the program"},
      // The system's libraries that SDL tries for a display keep allocations to the end, which
      // are not the program's leaks.
      {"no display for the window", nullptr,
       {"SDL_VIDEODRIVER=x11", "DISPLAY=:9999", "WAYLAND_DISPLAY=",
        "ASAN_OPTIONS=halt_on_error=1:detect_leaks=0:detect_stack_use_after_return=1"},
       "tessellwhirl: the main window cannot be made (is there a display?)"},
      // No video driver named: SDL's fall-back that shows nothing is not taken.
      {"no display at all", nullptr,
       {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY",
        "ASAN_OPTIONS=halt_on_error=1:detect_leaks=0:detect_stack_use_after_return=1"},
       "tessellwhirl: the main window cannot be made (is there a display?)"},
      {"a display that is not there", nullptr,
       {"SDL_VIDEODRIVER", "DISPLAY=:9999", "WAYLAND_DISPLAY",
        "ASAN_OPTIONS=halt_on_error=1:detect_leaks=0:detect_stack_use_after_return=1"},
       "tessellwhirl: the main window cannot be made (is there a display?)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string project = dir / "game";
    ASSERT_TRUE(appfixture::WriteProject(project));
    if (c.make) c.make(project);
    const pid_t pid = Spawn({"tessellwhirl", "--project", project}, dir / "err.txt", c.env);
    ASSERT_GT(pid, 0);
    EXPECT_EQ(WaitExit(pid, 20000), 1);
    const std::string err = ReadFileBytes(dir / "err.txt");
    EXPECT_EQ(ProgramLines(err), std::vector<std::string>{c.line}) << err;
    EXPECT_EQ(err.find("Sanitizer"), std::string::npos) << err;
  }
}

// A game folder in which no file can be made: the box says so, and the program ends with a
// failure before anything else.
TEST(PlayerRun, UnwritableGameFolderIsToldAndEndsWithAFailure) {
  TempDir dir;
  const std::string project = dir / "game";
  ASSERT_TRUE(appfixture::WriteProject(project));
  ScopedUnwritableDir unwritable(project);
  if (!unwritable.Made()) GTEST_SKIP() << unwritable.Reason();
  const pid_t pid = Spawn({"tessellwhirl", "--project", project}, dir / "err.txt");
  ASSERT_GT(pid, 0);
  EXPECT_EQ(WaitExit(pid, 20000), 1);
  const std::vector<std::string> lines = ProgramLines(ReadFileBytes(dir / "err.txt"));
  ASSERT_EQ(lines.size(), 1u) << ReadFileBytes(dir / "err.txt");
  EXPECT_EQ(lines[0].rfind("tessellwhirl: the game folder " + project + " cannot be written: Report_Game.txt: ", 0), 0u)
      << lines[0];
  EXPECT_FALSE(Exists(project + "/Report_Game.txt"));
}

}  // namespace
