// The player on the sample game, headless (SDL's dummy drivers):
// - one whole frame of each sample stage, update and draw under Direct3D at 32 bits on the
//   software device and the present (without the frame-rate wait), in microseconds per frame,
//   with its share of the 16.7 ms a frame of the game lasts;
// - start-up to the title menu's first frame: the process's own steps (the report log, the main
//   window, the whole start-up of every subsystem) and the first tick of the scene manager, timed
//   in a fresh process each time (the program starts once per process);
// - replay playback by play_headless, as a multiple of real time (frames a second ÷ 60).
// Each runs on a copy of the sample game written by the build, with vertical sync off.
// With TW_BENCH_SMOKE set in the environment (CTest's run of every benchmark), each runs once
// over a few frames: a check that every path still runs, whose figures mean nothing.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/process.h"
#include "app/scene.h"
#include "app/start_game.h"
#include "app/startup.h"
#include "app/system_report.h"
#include "core/log.h"
#include "core/path.h"
#include "core/shell_link.h"
#include "draw/present.h"
#include "engine/play_scene.h"
#include "project/shell_state.h"

extern char** environ;

namespace {

const char* const kStages[] = {"data\\stg4\\c01-1.stg4", "data\\stg4\\c02-1.stg4", "data\\stg4\\c03-1.stg4",
                               "data\\stg4\\c04-1.stg4"};
constexpr int kStageCount = 4;
bool Smoke() {
  static const bool smoke = std::getenv("TW_BENCH_SMOKE") != nullptr;
  return smoke;
}
// Frames of play timed per stage, frames of a replay played back, and the runs of each
// start-up and playback.
const int kPlayFrames = Smoke() ? 10 : 1200;
const long kReplayFrames = Smoke() ? 300 : 20000;
const int kStartUps = Smoke() ? 1 : 5;
const int kPlaybacks = Smoke() ? 1 : 3;

double NowSeconds() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// The folder of the copy, for its removal at exit: a plain array, which no destructor at exit
// takes away before the removal reads it.
char g_szGameCopy[] = "/tmp/play_bench-XXXXXX";

// A copy of the sample game in a temporary folder, made once and removed at exit; empty when it
// cannot be made.
const std::string& GameCopy() {
  static const std::string dir = [] {
    if (!mkdtemp(g_szGameCopy)) return std::string();
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(g_szGameCopy, ignored);
    });
    std::error_code error;
    std::filesystem::copy(TW_SAMPLE_GAME_DIR, g_szGameCopy, std::filesystem::copy_options::recursive, error);
    FILE* ini = error ? nullptr : std::fopen((std::string(g_szGameCopy) + "/System.ini").c_str(), "w");
    if (!ini) return std::string();
    std::fputs("Direct3D=1\nWindowMode=1\nVSync=0\nShowFps=0\nExit\n", ini);
    std::fclose(ini);
    return std::string(g_szGameCopy);
  }();
  return dir;
}

// When the report log's head was written, in the start-up being timed.
double g_dReportWritten = 0;

// The program's start in this process, as its entry runs it on the window thread: the report
// log, the main window, the start-up. The caller is in the project folder.
bool StartProgram() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  SetErrorLogPath(0, "EC_Game.txt");
  char report[MAX_PATH] = "Report_Game.txt";
  MakeFullPath(report);
  if (!BeginReportLog(report)) return false;
  g_dReportWritten = NowSeconds();
  constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  WNDCLASSEXA wc{};
  wc.cbSize = 48;
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
  wc.lpfnWndProc = WndProc;
  wc.lpszClassName = "Tessellwhirl4";
  if (!RegisterClassExA(&wc)) return false;
  g_MainWindow.Setup(640, 480, 100, 100, 640, 480, kStyle, 0, 0, 0, 0, 0);
  const HWND hWnd = CreateWindowExA(0, wc.lpszClassName, "", kStyle, 100, 100, g_MainWindow.m_rcWindow.right,
                                    g_MainWindow.m_rcWindow.bottom, nullptr, nullptr, nullptr, nullptr);
  if (!hWnd) return false;
  g_MainWindow.m_hWnd = hWnd;
  g_hWnd = hWnd;
  return InitApplication("", SW_SHOWNORMAL);
}

// The child process of the start-up timing: start, one tick (the title menu's first frame),
// then the seconds it took on stdout, and those after the report log's head (whose system report
// measures the processor's clock for a second).
int StartUpOnce(const char* project) {
  const double start = NowSeconds();
  if (chdir(project) != 0 || !StartProgram() || g_SceneManager.m_nScene != SCENE_TITLE || !g_SceneManager.Tick() ||
      !g_SceneManager.SceneOf(SCENE_TITLE)) {
    return 1;
  }
  const double end = NowSeconds();
  std::printf("%.9f %.9f\n", end - start, end - g_dReportWritten);
  std::fflush(stdout);
  // The process ends here: its end is not timed, and nothing of it is used again.
  _exit(0);
}

// Runs a program with its output into a pipe (or /dev/null); its exit status, -1 when it could
// not be run. The output read is put into *out when given.
int Run(const std::vector<std::string>& args, std::string* out) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  int fds[2];
  if (pipe(fds) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (out) {
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  }
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addclose(&actions, fds[1]);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  char buf[256];
  ssize_t n;
  while ((n = read(fds[0], buf, sizeof buf)) > 0) {
    if (out) out->append(buf, static_cast<size_t>(n));
  }
  close(fds[0]);
  if (spawned != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void BM_StartUpToTitle(benchmark::State& state) {
  const std::string& game = GameCopy();
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (game.empty() || n <= 0) {
    state.SkipWithError("the sample game or this program cannot be found");
    return;
  }
  self[n] = '\0';
  double launched = 0, afterReport = 0;
  for (auto _ : state) {
    std::string out;
    const double start = NowSeconds();
    if (Run({self, "--start-up-once", game}, &out) != 0) {
      state.SkipWithError("the program did not start");
      return;
    }
    launched += NowSeconds() - start;
    double total = 0, after = 0;
    if (std::sscanf(out.c_str(), "%lf %lf", &total, &after) != 2) {
      state.SkipWithError("the program's timing cannot be read");
      return;
    }
    afterReport += after;
    state.SetIterationTime(total);
  }
  // With the process's launch and end around it, in milliseconds.
  state.counters["with_launch_ms"] = benchmark::Counter(launched * 1000, benchmark::Counter::kAvgIterations);
  // From the report log's head on, in milliseconds.
  state.counters["after_report_ms"] = benchmark::Counter(afterReport * 1000, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_StartUpToTitle)->UseManualTime()->Iterations(kStartUps)->Unit(benchmark::kMillisecond);

// The program started once in this process, for the frame timing; shut down before the process
// ends (the sound and music objects would otherwise go with the static objects while the audio
// thread still runs).
bool g_bProgramStarted = false;
bool ProgramRunning() {
  static const bool running = [] {
    g_bProgramStarted = !GameCopy().empty() && chdir(GameCopy().c_str()) == 0;
    return g_bProgramStarted && StartProgram();
  }();
  return running;
}

// One frame as the frame tick runs it (the current screen's update, which draws) and the
// present without the frame-rate wait.
void Frame() {
  g_SceneManager.SetScene(g_SceneManager.m_nScene);
  if (cScene* scene = g_SceneManager.SceneOf(g_SceneManager.m_nScene)) scene->Update();
  DDPresent(0, 0, nullptr);
}

// Enters play on a stage, as a free play of the stage started from the program's command line,
// and runs the start display; false when the stage does not reach its play.
bool EnterStage(const char* stage) {
  g_SceneManager.m_nScene = SCENE_TITLE;
  g_SceneManager.SetScene(SCENE_TITLE);
  g_bFreePlay = 1;
  if (!StartGameFromFile(stage, 1)) return false;
  g_nGameMode = GAMEMODE_FREE;
  g_SceneManager.m_bRanking = 1;
  g_nPlayMode = PLAYMODE_FREE_STAGE;
  g_SceneManager.m_nScene = SCENE_PLAY;
  g_SceneManager.m_nPrevScene = SCENE_TITLE;
  for (int i = 0; i < 1000; ++i) {
    Frame();
    if (g_lpPlayScene && g_lpPlayScene->m_nState == 2) return true;
  }
  return false;
}

void BM_SampleStageFrame(benchmark::State& state) {
  const char* stage = kStages[state.range(0)];
  state.SetLabel(std::string(stage + 10) + ", Direct3D 32");
  if (!ProgramRunning() || !EnterStage(stage)) {
    state.SkipWithError("the program or the stage did not start");
    return;
  }
  int inPlay = 0;
  const double start = NowSeconds();
  for (auto _ : state) {
    Frame();
    inPlay += g_SceneManager.m_nScene == SCENE_PLAY;
  }
  state.counters["frames_in_play"] = inPlay;
  // The time of a frame as a share of a frame of the game: seconds ÷ (frames ÷ 60).
  state.counters["share_of_16.7ms"] = (NowSeconds() - start) * 60.0 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_SampleStageFrame)->DenseRange(0, kStageCount - 1)->Iterations(kPlayFrames)->UseRealTime()->Unit(
    benchmark::kMicrosecond);

void BM_ReplayPlayback(benchmark::State& state) {
  const char* stage = kStages[state.range(0)];
  const std::string& game = GameCopy();
  const std::string replay = game + "/bench.rpl4_790";
  const std::string frames = std::to_string(kReplayFrames);
  const std::string stageFile = std::string(stage) + "_000";
  state.SetLabel(std::string(stage + 10));
  if (game.empty() || Run({PLAY_HEADLESS, "--project", game, "--frames", frames, "--random-input", "1", "--record",
                           replay, stageFile},
                          nullptr) != 0) {
    state.SkipWithError("the run to play back could not be recorded");
    return;
  }
  double seconds = 0;
  for (auto _ : state) {
    const double start = NowSeconds();
    if (Run({PLAY_HEADLESS, "--project", game, "--frames", frames, "--replay", replay}, nullptr) != 0) {
      state.SkipWithError("the playback failed");
      return;
    }
    const double took = NowSeconds() - start;
    seconds += took;
    state.SetIterationTime(took);
  }
  state.counters["x_real_time"] =
      benchmark::Counter(static_cast<double>(kReplayFrames) / 60.0 * static_cast<double>(state.iterations()) / seconds);
}
BENCHMARK(BM_ReplayPlayback)->DenseRange(0, kStageCount - 1)->UseManualTime()->Iterations(kPlaybacks)->Unit(
    benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--start-up-once") == 0) return StartUpOnce(argv[2]);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (g_bProgramStarted) ExitApplication();
  return 0;
}
