// The hero walks through its own flows: two always-tested flows whose key conditions ask for
// right or left held start a straight move of one tenth of a second each, driven frame by
// frame by scripted input.
#include <gtest/gtest.h>

#include <vector>

#include "defs/ed_move.h"
#include "fixture/fixture.h"
#include "project/global_data.h"
#include "script/flow_trigger.h"
#include "script_kit.h"
#include "ui/input.h"

using namespace scriptkit;

namespace {

// "右" or "左" for one tenth, at 1 dot per sub-step (10 × k tenths of a dot per frame).
cFlow WalkFlow(int keyPos, int direction, int k) {
  cFlowCmd move = Cmd(CMD_MOVE_LINE, 1);
  CreateEdMove(move.m_pMove);
  move.m_pMove->m_byDirection = static_cast<uint8_t>(direction);
  move.m_pMove->m_sSpeed = static_cast<int16_t>(10 * k);
  cFlow f = Flow(TRIGGER_ALWAYS, {move});
  cKeyList held;
  held.m_vKeyState.CheckedAt(keyPos) = KEYSTATE_HELD;
  held.m_bAnyLength = 1;
  f.m_vKeyList.push_back(held);
  return f;
}

class HeroWalk : public ::testing::TestWithParam<int> {
 protected:
  int k() const { return GetParam(); }
};

TEST_P(HeroWalk, RightAndLeftKeysStartTheWalkFlows) {
  cStage stage = fixture::Stage(20, 15);
  stage.m_nSpeedLevel = k();
  playkit::PlayWorld world(stage);
  g_lpfnFireEventEx = nullptr;  // events start the flows
  cCharaData def = fixture::Hero(1);
  def.m_bFixedFacing = 0;
  def.m_byDirection = 1;
  def.m_vFlow.assign(1, WalkFlow(KEYPOS_DIR_RIGHT, 3, k()));
  def.m_vFlow.push_back(WalkFlow(KEYPOS_DIR_LEFT, 2, k()));
  cPlayer& hero = world.PlaceHero(def, 5, 5);
  ASSERT_EQ(hero.m_vFlowRun.size(), 2u);
  cInput& input = g_vInput.CheckedAt(0);
  input.ResetLogs();
  const double x0 = hero.m_dX;
  // Right held on frames 0..2, left held on frame 10. Each press starts one walk of 6 frames
  // (6k sub-steps of one dot) from its first frame: right on frames 0..5, left on 10..15.
  for (int frame = 0; frame < 20; ++frame) {
    WORD dir = frame <= 2 ? INPUT_RIGHT : frame == 10 ? INPUT_LEFT : 0;
    input.SetWords(dir, 0);
    input.LogChanges();
    ClearFlowFrameFlags(hero);
    hero.FireEvent(TRIGGER_ALWAYS);
    for (int s = 1; s <= k(); ++s) {
      world.scene.m_nSubStep = s;
      hero.Act(0);
      hero.StepX();
    }
    const int right = frame < 6 ? frame + 1 : 6;
    const int left = frame < 10 ? 0 : frame < 16 ? frame - 9 : 6;
    EXPECT_EQ(hero.m_dX, x0 + (right - left) * k()) << "frame " << frame;
    EXPECT_EQ(hero.m_nDir, frame < 10 ? 1 : 0) << "frame " << frame;
  }
}

INSTANTIATE_TEST_SUITE_P(SubSteps, HeroWalk, ::testing::Values(1, 2));

}  // namespace
