// The hero walks through its own flows: two always-tested flows whose key conditions ask for
// right or left held start a straight move of one tenth of a second each, driven frame by
// frame by scripted input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "defs/ed_move.h"
#include "fixture/fixture.h"
#include "project/global_data.h"
#include "script/flow_trigger.h"
#include "script_kit.h"
#include "ui/input.h"

using namespace scriptkit;

namespace {

// An always-tested flow of one command, started while the key position is held.
cFlow KeyFlow(int keyPos, const cFlowCmd& cmd) {
  cFlow f = Flow(TRIGGER_ALWAYS, {cmd});
  cKeyList held;
  held.m_vKeyState.CheckedAt(keyPos) = KEYSTATE_HELD;
  held.m_bAnyLength = 1;
  f.m_vKeyList.push_back(held);
  return f;
}

// "右" or "左" for one tenth, at 1 dot per sub-step (10 × k tenths of a dot per frame).
cFlow WalkFlow(int keyPos, int direction, int k) {
  cFlowCmd move = Cmd(CMD_MOVE_LINE, 1);
  CreateEdMove(move.m_pMove);
  move.m_pMove->m_byDirection = static_cast<uint8_t>(direction);
  move.m_pMove->m_sSpeed = static_cast<int16_t>(10 * k);
  return KeyFlow(keyPos, move);
}

// One frame of player 1's input, events and the hero's sub-steps (act, motion, gravity and
// the map).
void Frame(playkit::PlayWorld& world, cPlayer& hero, WORD dir, WORD button, int k) {
  cInput& input = g_vInput.CheckedAt(0);
  input.SetWords(dir, button);
  input.LogChanges();
  ClearFlowFrameFlags(hero);
  hero.FireEvent(TRIGGER_ALWAYS);
  for (int s = 1; s <= k; ++s) {
    world.scene.m_nSubStep = s;
    hero.Act(0);
    hero.StepX();
    world.scene.MoveMapX(hero);
    hero.ApplyGravity();
    hero.StepY();
    world.scene.MoveMapY(hero);
  }
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
  g_vInput.CheckedAt(0).ResetLogs();
  const double x0 = hero.m_dX;
  // Right held on frames 0..2, left held on frame 10. Each press starts one walk of 6 frames
  // (6k sub-steps of one dot) from its first frame: right on frames 0..5, left on 10..15.
  for (int frame = 0; frame < 20; ++frame) {
    Frame(world, hero, frame <= 2 ? INPUT_RIGHT : frame == 10 ? INPUT_LEFT : 0, 0, k());
    const int right = frame < 6 ? frame + 1 : 6;
    const int left = frame < 10 ? 0 : frame < 16 ? frame - 9 : 6;
    EXPECT_EQ(hero.m_dX, x0 + (right - left) * k()) << "frame " << frame;
    EXPECT_EQ(hero.m_nDir, frame < 10 ? 1 : 0) << "frame " << frame;
  }
}

INSTANTIATE_TEST_SUITE_P(SubSteps, HeroWalk, ::testing::Values(1, 2));

// Button 1 starts a jump of 2 half-blocks, right a walk, both on frame 0; the hero stands on
// a floor at stage row 8 (k = 1, gravity 0.4 per sub-step).
TEST(HeroJumpFlow, TheButtonStartsAJumpThatRisesFallsAndLandsWhileTheHeroWalks) {
  cStage stage = fixture::Stage(20, 15);
  stage.m_nSpeedLevel = 1;
  fixture::Fill(stage, fixture::Block(3), 0, 8, 19, 8);
  playkit::PlayWorld world(stage);
  g_lpfnFireEventEx = nullptr;
  cCharaData def = fixture::Hero(1);
  def.m_byDirection = 1;
  cFlowCmd jump = Cmd(CMD_JUMP, 0);
  jump.m_vParam = {0, 0, 2, 0, 0};
  def.m_vFlow.assign(1, KeyFlow(KEYPOS_BUTTON_1, jump));
  def.m_vFlow.push_back(WalkFlow(KEYPOS_DIR_RIGHT, 3, 1));
  cPlayer& hero = world.PlaceHero(def, 5, 7);
  g_vInput.CheckedAt(0).ResetLogs();
  // Settle on the floor first: standing, the body sinks by the gravity until its bottom
  // enters the floor row and is put back one dot above it.
  for (int i = 0; i < 3; ++i) Frame(world, hero, 0, 0, 1);
  const double x0 = hero.m_dX;
  const double h = hero.m_dFarY - hero.m_dY;
  ASSERT_EQ(h, 23);
  // The same rules by hand: start speed for 32 dots (−g − √(g (8 × 32 + g))) / 2 × (0.99 −
  // 0.025 × 0.4) on frame 0; each sub-step gravity, then the move; a bottom that reaches
  // into row (8 + 10) lands: speed 0, y back by (bottom & 31) + 1.
  const double g = 0.4;
  double v = (-g - std::sqrt(g * (8 * 32 + g))) / 2 * (0.99 - 0.025 * 0.4);
  const double y0 = hero.m_dY;
  double y = y0;
  int landing = -1;
  double top = y;
  for (int frame = 0; frame < 40; ++frame) {
    Frame(world, hero, frame == 0 ? INPUT_RIGHT : 0, frame == 0 ? 1 : 0, 1);
    v += g;
    y += v;
    const int bottom = static_cast<int>(y + h);
    if (bottom >= (8 + 10) * 32) {
      y -= (bottom & 31) + 1;
      v = 0;
      if (landing < 0) landing = frame;
    }
    top = std::min(top, y);
    EXPECT_NEAR(hero.m_dY, y, 1e-9) << "frame " << frame;
    EXPECT_EQ(hero.m_dX, x0 + (frame < 6 ? frame + 1 : 6)) << "frame " << frame;
  }
  // The rise of 5.158 a sub-step, 0.4 less each, turns on frame 12 about 30.7 dots up; the
  // fall lands on frame 24, and the jump is not made again while the button stays up.
  EXPECT_EQ(landing, 24);
  EXPECT_NEAR(y0 - top, 30.7, 0.05);
}

// A jump of 7 half-blocks whose height the button decides (the key-controlled jump): after
// landing, each fresh press jumps again, after a press held through the whole rise as after
// one let go early.
TEST(HeroJumpFlow, EachFreshPressAfterLandingJumpsAgain) {
  cStage stage = fixture::Stage(20, 15);
  stage.m_nSpeedLevel = 1;
  fixture::Fill(stage, fixture::Block(3), 0, 8, 19, 8);
  playkit::PlayWorld world(stage);
  g_lpfnFireEventEx = nullptr;
  cCharaData def = fixture::Hero(1);
  cFlowCmd jump = Cmd(CMD_JUMP, 0);
  jump.m_vParam = {1, 0, 7, 0, 3};
  def.m_vFlow.assign(1, KeyFlow(KEYPOS_BUTTON_1, jump));
  cPlayer& hero = world.PlaceHero(def, 5, 4);
  g_vInput.CheckedAt(0).ResetLogs();
  for (int i = 0; i < 40; ++i) Frame(world, hero, 0, 0, 1);
  for (int held : {40, 40, 2, 40, 1, 40}) {
    SCOPED_TRACE(testing::Message() << "a press held " << held << " frames");
    const double floorY = hero.m_dY;
    double high = floorY;
    for (int frame = 0; frame < 80; ++frame) {
      Frame(world, hero, 0, frame < held ? 1 : 0, 1);
      high = std::min(high, hero.m_dY);
    }
    EXPECT_GT(floorY - high, 8) << "the hero rose";
    EXPECT_NEAR(hero.m_dY, floorY, 1) << "and is back on the floor";
  }
}

}  // namespace
