// The fixture of the movement command tests: a stage in play with one character and a
// movement command with its state.
#pragma once

#include <gtest/gtest.h>

#include "defs/ed_move.h"
#include "defs/flow_cmd.h"
#include "fixture/fixture.h"
#include "script/cmd_state.h"
#include "script_kit.h"

// A 20 × 15 stage at one sub-step per frame with one walking character (16 × 24 body) in cell
// (5, 5): its body spans x 488.5 .. 503.5 and y 488 .. 511, its centre is (496, 496) in stage
// dots and the camera stands at the top-left limits (320, 320).
class MoveCmd : public ::testing::Test {
 protected:
  MoveCmd() : world_(Stage()), chara_(world_.PlaceChara(Def(), 5, 5)) {
    CreateEdMove(cmd_.m_pMove);
    cmd_.m_byKind = CMD_MOVE_LINE;
    state_.m_pCmd = &cmd_;
    state_.m_dSpeed = 2;
    chara_.m_Data.m_bFixedFacing = 0;
    chara_.m_nDir = 1;
  }
  static cStage Stage() {
    cStage s = fixture::Stage(20, 15);
    s.m_nSpeedLevel = 1;
    return s;
  }
  static cCharaData Def() { return fixture::Chara(1); }
  cEdMove& Move() { return *cmd_.m_pMove; }
  void Fly() {
    chara_.m_Data.m_byFlying = 1;
    chara_.m_bFree = 1;
  }
  // One tick of a handler on a fresh velocity.
  void Tick(CmdHandler handler) {
    chara_.m_dVX = chara_.m_dVY = 0;
    handler(chara_, state_);
  }

  playkit::PlayWorld world_;
  cStageChara& chara_;
  cFlowCmd cmd_;
  cCmdState state_;
};
