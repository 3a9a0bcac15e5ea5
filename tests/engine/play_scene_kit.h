// The play scene run as the frame runs it, on a stage built in memory: free play of a stage
// file (no replay recorded) unless a test says otherwise, the modes put back afterwards, the
// test clock at 1000 ms, and a
// stage character that logs its steps and returns the codes a test gives it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "play_kit.h"

namespace playscene {

// One line per call in the order of the frame: "<id>:<what>".
extern std::vector<std::string> g_calls;

// A stage character whose Act, StepX and StepY are logged and return the codes given.
class LoggedChara : public cStageChara {
 public:
  int act = 0;
  int stepX = 0;
  int stepY = 0;
  int Act(int bDying) override;
  int StepX() override;
  int StepY() override;
};

class PlaySceneTest {
 public:
  explicit PlaySceneTest(const cStage& stage);
  ~PlaySceneTest();
  PlaySceneTest(const PlaySceneTest&) = delete;
  PlaySceneTest& operator=(const PlaySceneTest&) = delete;

  cPlayScene& Scene() { return world.scene; }
  // A logged character added to the list and its drawing list at a cell, active and in range.
  LoggedChara& AddLogged(int cellX, int cellY, bool block);
  // Frames of the scene.
  void Frames(int n);

  playkit::PlayWorld world;

 private:
  int savedPlayMode_ = 0;
  int savedGameMode_ = 0;
  int savedFreePlay_ = 0;
  int savedTestPlay_ = 0;
};

}  // namespace playscene
