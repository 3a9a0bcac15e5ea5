// The sample game played through: each stage with a scripted input (walking, jumps over pits and
// spikes, shots at the enemies and crates) reaches its goal and ends in a clear, run through the
// play_headless tool as a person would.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "sample_game.h"
#include "support/temp_dir.h"

namespace {

struct RunResult {
  int status = -1;
  std::string out;
};

RunResult RunHeadless(const std::string& args) {
  RunResult r;
  const std::string command = std::string(PLAY_HEADLESS) + " " + args + " 2>&1";
  FILE* p = popen(command.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int status = pclose(p);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

// The text after `prefix` on the first line that starts with it, or "(missing)".
std::string LineAfter(const std::string& text, const std::string& prefix) {
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = text.find('\n', at);
    const std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
    if (line.compare(0, prefix.size(), prefix) == 0) return line.substr(prefix.size());
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return "(missing)";
}

// The input of a run: the right arrow held all along, the shot button pressed every 12 frames
// from frame 170 (the first play frame after the start banner), and the jump button held for 31
// frames from each of `jumps`.
std::string ScriptedInput(int frames, const std::vector<int>& jumps) {
  std::string text = "1-" + std::to_string(frames) + " right\n";
  for (int f = 170; f <= frames; f += 12) text += std::to_string(f) + " b2\n";
  for (int f : jumps) text += std::to_string(f) + "-" + std::to_string(f + 30) + " b1\n";
  return text;
}

struct StageRun {
  const char* file;
  int frames;
  std::vector<int> jumps;
};

class SamplePlay : public ::testing::TestWithParam<StageRun> {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    std::string error;
    ASSERT_TRUE(sample::WriteSampleGame(*dir_ / "game", &error)) << error;
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static TempDir* dir_;
};
TempDir* SamplePlay::dir_ = nullptr;

TEST_P(SamplePlay, ScriptedRunReachesTheGoal) {
  const StageRun& run = GetParam();
  const std::string input = *dir_ / (std::string(run.file) + ".txt");
  std::ofstream(input) << ScriptedInput(run.frames, run.jumps);
  const RunResult r = RunHeadless("--project " + (*dir_ / "game") + " --input " + input + " --frames " +
                                  std::to_string(run.frames) + " --describe " + std::to_string(run.frames) +
                                  " 'data\\stg4\\" + run.file + ".stg4_000'");
  ASSERT_EQ(r.status, 0) << r.out;
  // Play ended in the end-of-play display of a clear (state 4) with the hero alive; a game over
  // or a run that never ends shows no such state. The clear asks for the next stage of the
  // series, which the world map stands for: the report is not "none".
  const std::string state = LineAfter(r.out, "time=");
  EXPECT_NE(state.find(" state=4 "), std::string::npos) << state;
  const std::string hero = LineAfter(r.out, "hero ");
  EXPECT_NE(hero.find(" dead=0 "), std::string::npos) << hero;
  const std::string next = LineAfter(r.out, "next stage: ");
  EXPECT_NE(next, "(missing)");
  EXPECT_NE(next, "none");
}

INSTANTIATE_TEST_SUITE_P(Stages, SamplePlay,
                         ::testing::Values(StageRun{"c01-1", 1000, {270, 487, 730}},
                                           StageRun{"c02-1", 980, {355, 652}}),
                         [](const ::testing::TestParamInfo<StageRun>& info) {
                           std::string name = info.param.file;
                           for (char& c : name)
                             if (c == '-') c = '_';
                           return name;
                         });

}  // namespace
