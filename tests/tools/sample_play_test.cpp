// The sample game played through: each stage with a scripted input (walking, jumps over pits and
// spikes, shots at the enemies and crates) reaches its goal and ends in a clear, run through the
// play_headless tool as a person would.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "headless_run.h"
#include "sample_game.h"
#include "support/temp_dir.h"

namespace {

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

// The input of a run: the right arrow held from the start up to frame `walk` (the hero walks
// once play starts after the start banner, at frame 160), the shot button pressed every 12 frames
// from frame 170, and the jump button held for 31 frames from each of `jumps`.
std::string ScriptedInput(int frames, int walk, const std::vector<int>& jumps) {
  std::string text = "1-" + std::to_string(walk) + " right\n";
  for (int f = 170; f <= frames; f += 12) text += std::to_string(f) + " b2\n";
  for (int f : jumps) text += std::to_string(f) + "-" + std::to_string(f + 30) + " b1\n";
  return text;
}

struct StageRun {
  const char* file;
  int frames;
  int walk;
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
  std::ofstream(input) << ScriptedInput(run.frames, run.walk, run.jumps);
  const HeadlessRun r = RunHeadless("--project " + (*dir_ / "game") + " --input " + input + " --frames " +
                                  std::to_string(run.frames) + " --describe " + std::to_string(run.frames) +
                                  " 'data\\stg4\\" + run.file + ".stg4_000'");
  ASSERT_EQ(r.status, 0) << r.out;
  // Play ended in the end-of-play display of a clear (state 4) with the hero alive; a game over
  // or a run that never ends shows no such state.
  const std::string state = LineAfter(r.out, "time=");
  EXPECT_NE(state.find(" state=4 "), std::string::npos) << state;
  const std::string hero = LineAfter(r.out, "hero ");
  EXPECT_NE(hero.find(" dead=0 "), std::string::npos) << hero;
  // The tool plays a stage file on its own, as the player started on it does: after the clear
  // the same file is played again (a game over would report "none").
  const std::string next = LineAfter(r.out, "next stage: ");
  EXPECT_EQ(next.substr(0, next.find('\n')), "data\\stg4\\" + std::string(run.file) + ".stg4_000 (again)");
}

INSTANTIATE_TEST_SUITE_P(Stages, SamplePlay,
                         ::testing::Values(
                             // The meadow: the first spring throws the hero onto the bridge, one
                             // pit is jumped, the spring at the last pit throws the hero over it.
                             StageRun{"c01-1", 1000, 1000, {487}},
                             // The cave: over both spike fields, crates shot open on the way.
                             StageRun{"c02-1", 980, 980, {355, 652}},
                             // The sky: the springs throw the hero onto the high clouds, the other
                             // gaps are jumped; the key at the end clears.
                             StageRun{"c03-1", 1000, 1000, {407, 504, 802, 898}},
                             // The castle: close enough for the boss to wake, then shots until
                             // it falls; two seconds later the stage clears. The hero stops in
                             // the middle of the stretch from which this works (walking 281 to
                             // 292 frames: less and the boss is not beaten in time, more and it
                             // tramples the hero).
                             StageRun{"c04-1", 1000, 286, {}}),
                         [](const ::testing::TestParamInfo<StageRun>& info) {
                           std::string name = info.param.file;
                           for (char& c : name)
                             if (c == '-') c = '_';
                           return name;
                         });

}  // namespace
