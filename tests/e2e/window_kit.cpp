#include "window_kit.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "draw/png_file.h"
#include "support/bytes.h"
#include "support/spawn.h"
#include "support/wait.h"

Player::Player(const std::string& display, const std::string& project, const std::string& log,
               const std::string& stage, const std::vector<std::string>& env)
    : log_(log) {
  SpawnSpec spec;
  spec.args = {"tessellwhirl", "--project", project};
  if (!stage.empty()) spec.args.push_back(stage);
  spec.env = env;
  spec.env.insert(spec.env.end(), {"DISPLAY=" + display, "SDL_AUDIODRIVER=dummy", "SDL_VIDEODRIVER",
                                   "ASAN_OPTIONS=halt_on_error=1:detect_leaks=0:detect_stack_use_after_return=1",
                                   "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1"});
  spec.out = spec.err = log;
  pid_ = SpawnProgram(TW_PLAYER_EXE, spec);
}

Player::~Player() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

int Player::WaitExit(int ms) {
  int status = 0;
  const bool ended = WaitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, ms, 20);
  if (!ended) {
    const std::string stacks = log_ + ".stacks";
    if (WriteThreadStacks(pid_, stacks)) {
      std::printf("the program did not end; its threads:\n%s\n", ReadFileBytes(stacks).c_str());
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
  }
  pid_ = -1;
  if (!ended) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
}

bool Player::Running() {
  int status = 0;
  if (pid_ <= 0) return false;
  if (waitpid(pid_, &status, WNOHANG) != pid_) return true;
  pid_ = -1;
  return false;
}

std::string Player::Output() const { return ReadFileBytes(log_); }

void StartTestDisplay(XDisplay& display) {
  if (!ProgramInstalled("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  ASSERT_TRUE(ProgramInstalled("xdotool")) << "xdotool is not installed (tools/setup_debian.sh)";
  std::string error;
  ASSERT_TRUE(display.Start(&error)) << error;
}

Shot CaptureKept(const XDisplay& display, unsigned long window) {
  Shot shot;
  EXPECT_TRUE(display.Capture(window, &shot));
  if (const char* folder = std::getenv("TW_E2E_SHOTS")) {
    static int count = 0;
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? test->name() : "shot";
    // A parameterised test's name holds a slash.
    for (char& c : name) c = c == '/' ? '-' : c;
    char file[512];
    std::snprintf(file, sizeof file, "%s/%s-%03d.png", folder, name.c_str(), count++);
    WritePngFile(file, shot.w, shot.h, shot.px.data());
  }
  return shot;
}

bool NamesTheLostWindow(const std::string& output) {
  const std::string line = "tessellwhirl: the window was lost: ";
  for (size_t at = output.find(line); at != std::string::npos; at = output.find(line, at + 1)) {
    const std::string rest = output.substr(at + line.size(), output.find('\n', at) - at - line.size());
    if (rest.rfind("X error ", 0) == 0) return true;
    if (rest.rfind("window 0x", 0) == 0 && rest.find(" destroyed by another program") != std::string::npos) return true;
  }
  return false;
}
