// Small stages played through the real frame: commands and flows built from a few values, a
// stage with a floor and the hero, flying computer characters, and the stage set up as a stage
// start and played frame by frame with the events starting the flows (no stand-in for the
// flows, the triggers or the commands). Positions are stage dots: the 10-cell margin adds 320
// to x and y.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "defs/flow.h"
#include "engine/stage_chara.h"
#include "play_scene_kit.h"
#include "project/stage.h"

namespace frameplay {

// A flow command of a kind lasting `time` tenths (0: one tick), its parameters sized to the kind
// and the first ones given.
cFlowCmd Cmd(int kind, std::initializer_list<int32_t> params = {}, int time = 0);
cFlow Flow(int trigger, const std::vector<cFlowCmd>& cmds, int id = 0);
cFlowCmd Wait(int tenths);
// "ステータスの操作": stage variable n + 1.
cFlowCmd CountInS(int n);
// "ターゲットの設定": target slot `slot` (0..3) = the first character with that character ID, on
// any side.
cFlowCmd TargetById(int cid, int slot = 0);
// "コードの実行" of a text.
cFlowCmd Code(const std::string& text);

// A stage of width × 15 cells with a floor on row 14 (columns 0..floorEnd, all for -1) and the
// hero on cell (3, 13) facing right, with character ID 7 and the given flows; one sub-step a
// frame, no start banners.
cStage FloorStage(int width, const std::vector<cFlow>& heroFlows = {}, int floorEnd = -1);
// A flying computer character (HP 10, score 100) facing left, with a character ID, a side and
// flows.
cCharaData Flyer(int cid, int layer, const std::vector<cFlow>& flows = {});

// Sword type 1 of the game database: 24 × 8 in front of its owner for 2 tenths, then 16 × 16
// above it for 1 tenth (type 0 stays the default).
void PutSwordType1();

// The stage set up as a stage start (after `startUp`, which may build what the program's
// start-up builds) and played frame by frame on a thread of its own, as the game thread plays
// it: the requests it sends to the main window are served meanwhile.
class Play {
 public:
  explicit Play(const cStage& stage, const std::function<void()>& startUp = nullptr);
  // Runs the frames up to frame `last` (1 is the first).
  void To(int last);
  int S(int n);
  cPlayScene& Scene() { return t.Scene(); }

  playscene::PlaySceneTest t;
  bool ok = false;
  int frame = 0;
};

// The character in play with that character ID; null when it is not (or no more).
cStageChara* InPlay(int cid);

}  // namespace frameplay
