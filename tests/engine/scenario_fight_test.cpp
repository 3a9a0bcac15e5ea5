// A fight on a stage run through the real play frame: the hero fires a shot on a held button
// through its own flow, an enemy touching it takes its hit points, and a falling block
// character crushes it against the floor. Positions in stage dots relative to the map origin
// (the 10-cell margin cancels out of every distance below); one sub-step per frame.
#include <gtest/gtest.h>

#include "defs/cmd_kind.h"
#include "defs/ed_shot.h"
#include "defs/key_history.h"
#include "engine/shot.h"
#include "fixture/fixture.h"
#include "play_scene_kit.h"
#include "project/global_data.h"
#include "script/flow_trigger.h"
#include "ui/input.h"

namespace {

using playscene::PlaySceneTest;

// Button 1 held: one shot, one object flying right at 16 dots a frame (held to the speed limit) from 64 dots right of
// the hero's centre (past the enemy standing on the hero's cell), power 1.
cFlow ShootFlow() {
  cFlowCmd shot;
  shot.m_byKind = static_cast<int8_t>(CMD_SHOT);
  if (const cCmdKindInfo* info = GetCmdKindInfo(0, CMD_SHOT)) shot.m_vParam.assign(static_cast<size_t>(info->m_nParamCount), 0);
  shot.m_sTime = 1;
  shot.m_pShot.reset(new cEdShot());
  cEdShot& s = *shot.m_pShot;
  s.m_byFormation = 4;
  s.m_byCount = 1;
  s.m_byDirection = 3;
  s.m_sSpeed = 160;
  s.m_sOffsetX = 64;
  s.m_nPower = 1;
  cFlow f;
  f.m_byTrigger = TRIGGER_ALWAYS;
  f.m_vCmd.push_back(shot);
  cKeyList held;
  held.m_vKeyState.CheckedAt(KEYPOS_BUTTON_1) = KEYSTATE_HELD;
  held.m_bAnyLength = 1;
  f.m_vKeyList.push_back(held);
  return f;
}

cStage FightStage() {
  cStage s = fixture::Stage(30, 15);
  fixture::Fill(s, fixture::Block(1), 0, 14, 29, 14);
  cCharaData hero = fixture::Hero(1);
  hero.m_nMaxHp = 10;
  hero.m_byLayer = 1;
  hero.m_vFlow.assign(1, ShootFlow());
  fixture::Place(s, hero, 2, 13);
  // The enemy that touches the hero: on its cell, power 3.
  cCharaData toucher = fixture::Chara(2);
  toucher.m_byLayer = 2;
  toucher.m_nPower = 3;
  toucher.m_nMaxHp = 50;
  fixture::Place(s, toucher, 2, 13);
  // The enemy that is shot: one hit point, worth 100.
  cCharaData target = fixture::Chara(2);
  target.m_byLayer = 2;
  target.m_nMaxHp = 1;
  target.m_nScore = 100;
  fixture::Place(s, target, 8, 13);
  // The block character that falls onto the hero.
  cCharaData block = fixture::Chara(3);
  block.m_bBlockChara = 1;
  block.m_byLayer = 2;
  fixture::Place(s, block, 2, 3);
  s.m_nSpeedLevel = 1;
  s.m_bShowStartBanner = 0;
  s.m_bShowStageBanner = 0;
  s.m_nHitChecks = 0;
  s.m_bHitOnScreenOnly = 0;
  fixture::EncloseGrid(s);
  return s;
}

cStageChara* FindByScore(int score) {
  cStageChara* found = nullptr;
  g_lChara.ForEach([&](cStageChara& c) {
    if (!c.m_bDead && c.m_Data.m_nScore == score && !c.m_Data.m_bBlockChara) found = &c;
  });
  return found;
}

TEST(FightScenario, TheHeroShootsAnEnemyIsHitByAnotherAndIsCrushedByABlock) {
  PlaySceneTest t(FightStage());
  ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
  t.Scene().m_nState = 2;
  g_lpfnFireEventEx = nullptr;  // events start the flows
  g_SaveData.m_nStageScore = 0;
  cPlayer& hero = g_vPlayer[0];
  ASSERT_EQ(g_lChara.Count(), 3u);
  cStageChara* target = FindByScore(100);
  ASSERT_NE(target, nullptr);
  cStageChara* block = nullptr;
  g_lChara.ForEach([&](cStageChara& c) {
    if (c.m_Data.m_bBlockChara) block = &c;
  });
  ASSERT_NE(block, nullptr);
  cInput& input = g_vInput.CheckedAt(0);
  int frame = 0;
  auto runTo = [&](int last) {
    while (frame < last) {
      input.SetWords(0, frame == 0 ? 1 : 0);
      t.Frames(1);
      ++frame;
    }
  };

  // Frame 1: button 1 fires; the toucher's contact box (12 × 24 on the cell's bottom) meets
  // the hero's (16 × 24) on the same cell: 10 − 3 = 7. Both then pause for each other for 30
  // sub-steps, so the next contact comes on frame 31 (7 − 3 = 4) and the one after on frame 61.
  runTo(1);
  EXPECT_EQ(hero.m_nHp, 7);
  ASSERT_EQ(t.Scene().m_lShot.Count(), 1u);

  // The shot, 16 × 16, starts centred on the hero's 32-dot graphic cell (x 12 × 32 = 384,
  // centre 400) plus 64: left 400 − 8 + 64 = 456. Its 16 dots a frame are held to the speed
  // limit of 6, and it moves in the frame that made it: left 456 + 6n after frame n. The
  // target's shot-hit box (30 wide, centred on cell 18) starts at 18 × 32 + 1 = 577; the
  // shot's right edge 456 + 6n + 15 reaches it first on frame 18 (579; frame 17: 573).
  // The block character has the 32 × 32 body of its cell (row 3: y 13 × 32 = 416). It falls
  // 0.4 a frame faster each frame up to the limit of 6: after n ≤ 15 frames y = 416 +
  // 0.2 n (n + 1) (frame 10: 438; frame 15: 464), then 6 a frame (frame 40: 614; frame 56:
  // 710; frame 57: 716). Its bottom (y + 31) meets the hero's top (23 × 32 + 8 = 744) first on
  // frame 57 (747; frame 56: 741): pressed between it and the floor the hero dies there. The
  // positions are sums of tenths: compared within a millionth.
  runTo(10);
  double shotX = 0;
  t.Scene().m_lShot.ForEach([&](cShot& s) { shotX = s.m_dX; });
  EXPECT_EQ(shotX, 456 + 6 * 10);
  EXPECT_NEAR(block->m_dY, 438, 1e-6);
  runTo(15);
  EXPECT_NEAR(block->m_dY, 464, 1e-6);
  runTo(17);
  EXPECT_EQ(FindByScore(100), target);
  EXPECT_EQ(g_lChara.Count(), 3u);
  EXPECT_EQ(g_SaveData.m_nStageScore, 0);
  EXPECT_EQ(t.Scene().m_lShot.Count(), 1u);
  runTo(18);
  EXPECT_EQ(FindByScore(100), nullptr) << "the target was killed";
  EXPECT_EQ(g_lChara.Count(), 2u) << "and erased at once";
  EXPECT_EQ(g_SaveData.m_nStageScore, 100);
  EXPECT_EQ(t.Scene().m_lShot.Count(), 0u) << "the shot was spent on the hit";

  runTo(30);
  EXPECT_EQ(hero.m_nHp, 7);
  runTo(31);
  EXPECT_EQ(hero.m_nHp, 4);

  runTo(40);
  EXPECT_NEAR(block->m_dY, 614, 1e-6);
  runTo(56);
  EXPECT_NEAR(block->m_dY, 710, 1e-6);
  EXPECT_EQ(hero.m_bDead, 0);
  EXPECT_EQ(hero.m_nHp, 4);
  runTo(57);
  EXPECT_EQ(hero.m_bDead, 1) << "crushed";
}

}  // namespace
